// Thruster levels as the module sends them to the host.
#pragma once

#include <cmath>

// A level limited to [-1, +1]: a value >= +1 gives +1, <= -1 gives -1, anything
// between passes unchanged. A value that is not a number (0/0 from a vessel
// with neither inertia nor torque, or from a corrupt input) gives 0, so that
// no level the module sends is ever anything but a finite number.
inline double limitLevel(double level) {
  if (std::isnan(level)) return 0.0;
  if (level >= 1.0) return 1.0;
  if (level <= -1.0) return -1.0;
  return level;
}
