// Rotations built another way than the host's angle convention, as an
// independent truth for attitudes the hold flies to.
#pragma once

#include <cmath>

#include "host/world.h"

namespace control_test {

// Rotation by `angle` [rad] about the unit axis u (Rodrigues' formula).
inline halcyra::Matrix3 axisAngle(const VECTOR3& u, double angle) {
  const double c = std::cos(angle), s = std::sin(angle), t = 1.0 - c;
  return halcyra::Matrix3{{{t * u.x * u.x + c, t * u.x * u.y - s * u.z, t * u.x * u.z + s * u.y},
                           {t * u.x * u.y + s * u.z, t * u.y * u.y + c, t * u.y * u.z - s * u.x},
                           {t * u.x * u.z - s * u.y, t * u.y * u.z + s * u.x, t * u.z * u.z + c}}};
}

}  // namespace control_test
