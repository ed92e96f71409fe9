// The animated screens (--gif DIR): screenN.gif for every screen, one frame
// per redraw (or, with an interval, every interval and at the end), played at
// `speed` times real time and looping forever.
//
// A frame is shown until the next one's time: its delay is the time between
// them divided by the speed, in the GIF's hundredths of a second, rounded on
// the running total so that the animation keeps time over a long run. A frame
// whose delay rounds to nothing is replaced by the one that follows it; the
// last frame is shown for one interval. Colours: sim/gif_palette.h.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/world.h"

namespace sim {

class GifWriter {
 public:
  // every [s]: 0 = a frame per redraw; interval [s]: the redraw interval,
  // the last frame's time on screen when every is 0. Throws OutputError.
  GifWriter(const std::string& dir, double speed, double every, double interval,
            halcyra::World& world);
  ~GifWriter();
  GifWriter(const GifWriter&) = delete;
  GifWriter& operator=(const GifWriter&) = delete;

  void redrawn(double t, size_t screen, const halcyra::Screen& s);  // after each redraw
  void sample(double t, halcyra::World& world);                     // every step
  // Writes the last frames and commits the files; throws OutputError.
  void finish(double t, halcyra::World& world);

 private:
  struct Animation;
  void add(double t, size_t screen, const halcyra::Screen& s);

  std::vector<std::unique_ptr<Animation>> screens_;
  double speed_;
  double every_;               // [s], 0 = every redraw
  double interval_;            // [s]
  double next_ = 0.0;          // [s] the next frame time when every_ > 0
  double lastSampled_ = -1.0;  // [s]
};

}  // namespace sim
