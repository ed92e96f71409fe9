// The animated screens (--gif DIR): screenN.gif for every screen, one frame
// per redraw (or, with an interval, every interval and at the end), played at
// `speed` times real time and looping forever.
//
// A frame is shown until the next one's time: its delay is the time between
// them divided by the speed, in the GIF's hundredths of a second, rounded on
// the running total so that the animation keeps time over a long run. A frame
// whose delay rounds to nothing is replaced by the one that follows it; the
// last frame is shown for one interval. Colours: sim/outputs/gif_palette.h. A frame
// whose drawing has not changed since the last one repeats that frame's
// encoded image, neither drawn nor indexed nor compressed again; one whose
// drawing changed is encoded as the rectangle in which it differs from the
// last (GifOutput::Animation::encode).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gif_writer.h"
#include "platform/picture.h"
#include "sim/outputs/gif_palette.h"
#include "sim/outputs/output.h"

namespace sim {

class GifOutput : public Output {
 public:
  // every [s]: 0 = a frame per redraw; interval [s]: the redraw interval,
  // the last frame's time on screen when every is 0. Throws OutputError.
  GifOutput(const std::string& dir, double speed, double every, double interval,
            halcyra::World& world);
  ~GifOutput() override;
  GifOutput(const GifOutput&) = delete;
  GifOutput& operator=(const GifOutput&) = delete;

  void redrawn(const Redraw& r) override;
  void sampled(double t, halcyra::World& world) override;
  // Writes the last frames and commits the files.
  void finished(double t, halcyra::World& world) override;

 private:
  struct Animation;
  void add(double t, size_t screen, const halcyra::Screen& s);

  std::vector<std::unique_ptr<Animation>> screens_;
  ColourIds ids_;
  render::Picture picture_;   // its buffer reused from frame to frame
  render::GifImage encoded_;  // a frame's image being encoded
  double speed_;
  double every_;               // [s], 0 = every redraw
  double interval_;            // [s]
  Interval due_;               // when every_ > 0
  double lastSampled_ = -1.0;  // [s]
};

// A GifOutput; throws OutputError, also where the system cannot write an
// animated GIF (platform/gif_writer.h).
std::unique_ptr<Output> openGifOutput(const std::string& dir, double speed, double every,
                                      double interval, halcyra::World& world);

}  // namespace sim
