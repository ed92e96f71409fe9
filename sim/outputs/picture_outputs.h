// The outputs that draw the screens as pictures (--frames, --gif): the only
// part of a flight that needs Cairo, libpng and giflib (on Windows GDI and the
// Windows Imaging Component). On Linux the lean gyrelle-sim is built without
// them (sim/outputs/no_pictures.cpp) and hands a command line that asks for
// pictures over to gyrelle-sim-full (sim/run/hand_over.h).
#pragma once

#include <memory>
#include <vector>

#include "sim/outputs/output.h"
#include "sim/run/runner.h"

namespace sim {

// Appends the picture outputs the options ask for; throws OutputError.
void openPictureOutputs(const RunOptions& options, const Scenario& scenario, halcyra::World& world,
                        std::vector<std::unique_ptr<Output>>& outputs);

// Frees what drawing keeps between pictures (font caches), at the program's end.
void releasePictureCaches() noexcept;

}  // namespace sim
