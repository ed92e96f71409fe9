#include "sim/outputs/picture_outputs.h"

#include "platform/picture.h"
#include "sim/outputs/frame_output.h"
#include "sim/outputs/gif_output.h"

namespace sim {

void openPictureOutputs(const RunOptions& o, const Scenario& s, halcyra::World& world,
                        std::vector<std::unique_ptr<Output>>& outputs) {
  if (!o.framesDir.empty())
    outputs.push_back(std::make_unique<FrameOutput>(o.framesDir, o.frameEvery));
  if (!o.gifDir.empty())
    outputs.push_back(openGifOutput(o.gifDir, o.gifSpeed, o.gifEvery, s.redraw, world));
}

void releasePictureCaches() noexcept { render::releaseFontCaches(); }

}  // namespace sim
