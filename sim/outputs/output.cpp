#include "sim/outputs/output.h"

#include <cmath>

#include "sim/run/time_slack.h"

namespace sim {

const PageReading& Redraw::page() const {
  if (!page_) page_ = readPage(shown.lastDrawing);
  return *page_;
}

bool Interval::due(double t) {
  if (t < next_ - kTimeSlack) return false;
  next_ = (std::floor(t / every_ + kTimeSlack) + 1.0) * every_;  // the next multiple after t
  return true;
}

}  // namespace sim
