// What the lean gyrelle-sim has in place of the picture outputs: none is ever
// made, since a command line that asks for one (--frames, --gif) is handed
// over to gyrelle-sim-full (hand_over.h). Should one be asked for all the
// same, it fails as an output that cannot be written.
#include "sim/outputs/output_file.h"
#include "sim/outputs/run_outputs.h"

namespace sim {

void openPictureOutputs(const RunOptions& o, const Scenario&, halcyra::World&,
                        std::vector<std::unique_ptr<Output>>&) {
  const std::string& dir = o.framesDir.empty() ? o.gifDir : o.framesDir;
  if (!dir.empty())
    throw OutputError(dir + ": pictures are drawn by gyrelle-sim-full, not by this program");
}

void releasePictureCaches() noexcept {}

}  // namespace sim
