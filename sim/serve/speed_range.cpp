#include "sim/serve/speed_range.h"

#include <cmath>
#include <cstdio>

namespace sim {

bool speedAllowed(double s) {
  return std::isfinite(s) && !std::signbit(s) && s <= kMaxSpeed && (s == 0.0 || s >= kMinSpeed);
}

std::string speedRangeText() {
  char text[80];
  std::snprintf(text, sizeof text, "0 (as fast as possible) or from %g to %g", kMinSpeed,
                kMaxSpeed);
  return text;
}

}  // namespace sim
