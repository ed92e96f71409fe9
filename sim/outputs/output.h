// One output of a run (dump, telemetry, screen log, report, frames, GIF, the
// live flight's record), as the runner's loop feeds it (sim/run/flight.h):
// - redrawn: a screen was redrawn; the screens redrawn at a time come before
//   that time's sample;
// - sampled: once at every time the flight reaches, t = 0 included, when the
//   events and redraws due then are done; outputs written at an interval
//   take what is due (Interval below);
// - finished: the run ended at t, whole or not (interrupted, a state that is
//   no longer finite, another output that failed): the output writes what
//   comes at the end and commits itself under its name. One that failed
//   before removes its temporary and leaves its real name untouched.
// Each throws OutputError for what cannot be written.
#pragma once

#include <cmath>
#include <cstddef>
#include <optional>
#include <vector>

#include "host/world.h"
#include "sim/outputs/page_reading.h"
#include "sim/run/time_slack.h"

namespace sim {

// Screen `screen` redrawn at t [s]; its page is read when an output first
// asks for it, once for all of them.
class Redraw {
 public:
  Redraw(double t, size_t screen, const halcyra::Screen& shown)
      : t(t), screen(screen), shown(shown) {}
  const PageReading& page() const {
    if (!page_) page_ = readPage(shown.lastDrawing);
    return *page_;
  }

  double t;                      // [s]
  size_t screen;                 // the screen's index
  const halcyra::Screen& shown;  // its size and drawing (lastDrawing)

 private:
  mutable std::optional<PageReading> page_;
};

class Output {
 public:
  virtual ~Output() = default;
  virtual void redrawn(const Redraw& /*r*/) {}
  virtual void sampled(double /*t*/, halcyra::World& /*world*/) {}
  virtual void finished(double t, halcyra::World& world) = 0;
};

// The times an output written at an interval is due: 0, then every `every`
// seconds, each taken by the first time that reaches it.
class Interval {
 public:
  explicit Interval(double every) : every_(every) {}  // [s], > 0
  // Whether t [s] is due; a due time moves the next one on.
  bool due(double t) {
    if (t < next_ - kTimeSlack) return false;
    next_ = (std::floor(t / every_ + kTimeSlack) + 1.0) * every_;  // the next multiple after t
    return true;
  }

 private:
  double every_;
  double next_ = 0.0;  // [s]
};

}  // namespace sim
