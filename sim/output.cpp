#include "sim/output.h"

#include <cmath>

namespace sim {
namespace {

constexpr double kTimeSlack = 1e-9;  // [s] the loop's slack: a time within it counts as reached

}  // namespace

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
