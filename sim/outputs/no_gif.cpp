// The animated screens on Windows: giflib is not built for it, so --gif is
// refused with a clear message before the run starts, and nothing is written.
#include "sim/outputs/gif_output.h"
#include "sim/outputs/output_file.h"

namespace sim {

std::unique_ptr<Output> openGifOutput(const std::string& dir, double /*speed*/, double /*every*/,
                                      double /*interval*/, halcyra::World& /*world*/) {
  throw OutputError(dir + ": animated screens (--gif) are not available in the Windows build");
}

}  // namespace sim
