// gyrelle-sim is built lean on Linux: it links neither the live server (the
// HTTP server and the TLS, crypto and compression libraries it brings) nor
// the pictures (Cairo, fontconfig, FreeType, the X11 libraries Cairo brings,
// libpng, giflib), whose loading and relocation would otherwise be most of
// a short flight's cost. A command line that asks for either (--serve,
// --frames, --gif) is handed over whole to gyrelle-sim-full, the same
// program with everything linked, beside it.
#pragma once

#include "sim/run/runner.h"

namespace sim {

// The program with everything linked, in the folder of gyrelle-sim.
inline constexpr const char* kFullProgram = "gyrelle-sim-full";

// Whether the command line asks for what only gyrelle-sim-full carries.
inline bool needsFullProgram(const RunOptions& o, bool serve) {
  return serve || !o.framesDir.empty() || !o.gifDir.empty();
}

// Replaces this process by gyrelle-sim-full, given the same arguments (argv
// as main received it, argv[0] included): the process id, standard streams,
// signals and exit status stay those that whoever started gyrelle-sim sees.
// Returns only by throwing std::runtime_error, saying why it cannot be
// started (exit 1, as for an output that cannot be written).
void handOverToFullProgram(char** argv);

}  // namespace sim
