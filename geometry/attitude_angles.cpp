#include "geometry/attitude_angles.h"

#include <algorithm>
#include <cmath>

#include "geometry/vector_math.h"

VECTOR3 attitudeDeviation(const VECTOR3& refAttitude, const VECTOR3& attOffset,
                          const VECTOR3& globalPos, const VESSEL& vessel) {
  const VECTOR3 z0{0.0, 0.0, 1.0};
  const VECTOR3 x0{1.0, 0.0, 0.0};
  // Offsets act about the reference frame's own axes, so they turn the unit
  // axes first; the reference then carries them into global axes. The wanted
  // attitude is orientationMatrix(refAttitude) * orientationMatrix(attOffset).
  const VECTOR3 z1 = rotateByAngles(z0, attOffset);
  const VECTOR3 x1 = rotateByAngles(x0, attOffset);
  const VECTOR3 z2 = rotateByAngles(z1, refAttitude);  // global axes
  const VECTOR3 x2 = rotateByAngles(x1, refAttitude);
  VECTOR3 zLocal;
  VECTOR3 xLocal;
  vessel.Global2Local(globalPos + z2, zLocal);
  vessel.Global2Local(globalPos + x2, xLocal);
  return relativeAngles(zLocal, xLocal);
}

VECTOR3 directionAngles(const VECTOR3& d) {
  const double r = vectorLength(d);
  const double q = d.y / r;
  const double pitch = -std::asin(q);
  // Length of d's projection on the vessel's x-z plane [same unit as d], formed
  // through sin(acos(q)): for d = (0, 1, 1) the yaw comes out near 2e-8, not 0.
  const double h = r * std::sin(std::acos(q));
  // Rounding carries |d.z / h| past 1 for some directions within 1e-9 of the
  // vessel's y-z plane, exactly where a hold drives the yaw: clamped, so that
  // only h = 0 leaves the yaw undefined.
  double yaw = std::acos(std::clamp(d.z / h, -1.0, 1.0));
  if (d.x < 0.0) yaw = -yaw;
  return {pitch, yaw, 0.0};
}
