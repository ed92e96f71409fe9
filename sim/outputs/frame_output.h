// --frames DIR: a PNG picture of every screen every interval and at the end,
// named screenN-TTTTTT.mmm.png, the time in seconds and milliseconds zero
// padded so that names sort in time order. Each picture is written under a
// temporary name and committed at once.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/picture.h"
#include "sim/outputs/output.h"

namespace sim {

class FrameOutput : public Output {
 public:
  FrameOutput(const std::string& dir, double every);  // every [s]; throws OutputError
  void sampled(double t, halcyra::World& world) override;
  // The last pictures, unless written at t already.
  void finished(double t, halcyra::World& world) override;

 private:
  void write(double t, halcyra::World& world);

  std::string dir_;
  Interval due_;
  double lastWritten_ = -1.0;  // [s]
  // Each screen's last picture file and the drawing it shows: a screen whose
  // drawing has not changed since (most pages most of the time) gets those
  // bytes again, neither drawn nor compressed.
  struct Shown {
    std::vector<GdiOp> ops;
    uint32_t width = 0, height = 0;  // [pixels]
    std::vector<unsigned char> png;  // empty until one is written
  };
  std::vector<Shown> shown_;
  render::Picture picture_;  // its buffer reused from picture to picture
};

// A picture's name: "screenN-TTTTTT.mmm.png" for screen N at t [s].
std::string frameName(size_t screen, double t);
// Whether name is a picture's name of that form.
bool isFrameName(std::string_view name);

}  // namespace sim
