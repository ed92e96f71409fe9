#include "sim/scenario/orbit_placement.h"

#include <cmath>

namespace sim {

StateVector stateFromOrbit(const OrbitPlacement& o, double mu, double radius) {
  const double rp = radius + o.periapsisAltitude;  // [m]
  const double ra = radius + o.apoapsisAltitude;   // [m]
  const double e = (ra - rp) / (ra + rp);
  const double p = 2.0 * ra * rp / (ra + rp);  // semi-latus rectum a (1 - e^2) [m]
  const double nu = o.trueAnomaly;
  const double r = p / (1.0 + e * std::cos(nu));
  const double vScale = std::sqrt(mu / p);  // [m/s]
  // Perifocal frame: x to periapsis, z along the angular momentum.
  const double px = r * std::cos(nu), py = r * std::sin(nu);
  const double vx = -vScale * std::sin(nu), vy = vScale * (e + std::cos(nu));

  const double cO = std::cos(o.ascendingNode), sO = std::sin(o.ascendingNode);
  const double ci = std::cos(o.inclination), si = std::sin(o.inclination);
  const double cw = std::cos(o.argumentOfPeriapsis), sw = std::sin(o.argumentOfPeriapsis);
  // The first two columns of the perifocal-to-global rotation (the third
  // multiplies the perifocal z, which is zero).
  const VECTOR3 P{cO * cw - sO * sw * ci, sO * cw + cO * sw * ci, sw * si};
  const VECTOR3 Q{-cO * sw - sO * cw * ci, -sO * sw + cO * cw * ci, cw * si};
  return StateVector{P * px + Q * py, P * vx + Q * vy};
}

}  // namespace sim
