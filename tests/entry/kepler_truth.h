// The descending crossing of a radius, computed here another way than the
// module does, as the truth its prediction is held against: in long double, on
// the eccentric anomaly centred on periapsis (E in (-pi, pi]) found from the
// apsis radii, tan(E/2) = sqrt((r - rp) / (ra - r)), with Kepler's equation
// M = (1 - e) E + e (E - sin E) and E - sin E by its series for small E; the
// state there by turning the present radius direction through the change of
// true anomaly. (The module works in double on E in [0, 2pi) from atan2 of
// e sin E and e cos E, with the universal Kepler equation and f and g.)
#pragma once

#include <cmath>

#include "hostapi/host_api.h"

namespace gyrelle_test {

using Real = long double;

struct RealVector {
  Real x, y, z;
};

struct TruthCrossing {
  bool crosses = false;               // bound, and the conic passes through the radius
  bool ahead = false;                 // the entry of this revolution is not behind the vessel
  Real timeToGo = 0;                  // [s], negative when behind
  Real entryAngle = 0;                // flight-path angle below the horizontal there [rad]
  RealVector position{}, velocity{};  // at the crossing [m], [m/s]
};

namespace truth_detail {

constexpr Real kPi = 3.141592653589793238462643383279502884L;

inline RealVector real(const VECTOR3& v) { return {v.x, v.y, v.z}; }
inline Real dot(const RealVector& a, const RealVector& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline RealVector cross(const RealVector& a, const RealVector& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline RealVector scaled(Real k, const RealVector& a) { return {k * a.x, k * a.y, k * a.z}; }
inline RealVector sum(const RealVector& a, const RealVector& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}

// E - sin E, by its series where the difference would cancel.
inline Real eMinusSinE(Real ecc) {
  if (std::fabs(ecc) >= 0.5L) return ecc - std::sin(ecc);
  Real term = ecc * ecc * ecc / 6, total = term;
  for (int k = 1; k < 16; ++k) {
    term *= -ecc * ecc / ((2 * k + 2) * (2 * k + 3));
    total += term;
  }
  return total;
}

}  // namespace truth_detail

// The next descending crossing of radius eiRadius [m] by the two-body orbit
// through (pos [m], vel [m/s]) about a body of parameter mu [m^3/s^2].
inline TruthCrossing truthCrossing(const VECTOR3& pos, const VECTOR3& vel, double mu,
                                   double eiRadius) {
  using namespace truth_detail;
  TruthCrossing out;
  const RealVector r0 = real(pos), v0 = real(vel), hVec = cross(r0, v0);
  const Real m = mu, big = eiRadius;
  const Real r = std::sqrt(dot(r0, r0)), h = std::sqrt(dot(hVec, hVec));
  const Real alpha = 2 / r - dot(v0, v0) / m;  // 1/a [1/m]
  if (!(alpha > 0)) return out;                // open
  const Real p = h * h / m;
  const Real sigma = dot(r0, v0) / std::sqrt(m);  // (r.v) / sqrt(mu)
  // e^2 from e cos E and e sin E of the state, or as 1 - p/a where e is near 1.
  const Real eCos = 1 - r * alpha, eSin = sigma * std::sqrt(alpha);
  const Real e = std::sqrt(p * alpha > 0.5L ? eCos * eCos + eSin * eSin : 1 - p * alpha);
  const Real oneMinusE = p * alpha / (1 + e);
  const Real rp = p / (1 + e), ra = 2 / alpha - rp;  // apsis radii [m]
  if (!(rp < big && big < ra)) return out;
  out.crosses = true;

  // tan(E/2) = sqrt(alpha) (r - rp) / sigma = sigma / (sqrt(alpha) (ra - r)),
  // each form where its denominator is the larger.
  const Real eccNow = r - rp < ra - r ? 2 * std::atan(sigma / (std::sqrt(alpha) * (ra - r)))
                                      : 2 * std::atan(std::sqrt(alpha) * (r - rp) / sigma);
  const Real eccEntry = -2 * std::atan(std::sqrt((big - rp) / (ra - big)));
  const bool pastPeriapsis = eccNow >= 0;  // rising: the entry comes after apoapsis
  const auto mean = [&](Real ecc) { return oneMinusE * ecc + e * eMinusSinE(ecc); };
  const Real meanMotion = std::sqrt(m * alpha * alpha * alpha);  // [rad/s]
  out.timeToGo = (mean(eccEntry) - mean(eccNow) + (pastPeriapsis ? 2 * kPi : 0)) / meanMotion;
  out.ahead = out.timeToGo >= 0;

  const Real radialSpeed = std::sqrt(m * alpha * (big - rp) * (ra - big)) / big;  // [m/s]
  out.entryAngle = std::atan2(radialSpeed * big, h);
  // tan(nu/2) = sqrt((1 + e) / (1 - e)) tan(E/2), nu in (-pi, pi].
  const auto trueAnomaly = [&](Real ecc) {
    return 2 * std::atan2(std::sqrt(1 + e) * std::sin(ecc / 2),
                          std::sqrt(oneMinusE) * std::cos(ecc / 2));
  };
  const Real turn = trueAnomaly(eccEntry) - trueAnomaly(eccNow) + (pastPeriapsis ? 2 * kPi : 0);
  const RealVector radial = scaled(1 / r, r0);
  // In the orbit plane, 90 degrees ahead of the radius; none on a radial orbit.
  const RealVector along = h > 0 ? cross(scaled(1 / h, hVec), radial) : RealVector{0, 0, 0};
  const Real c = std::cos(turn), s = std::sin(turn);
  const RealVector radialThere = sum(scaled(c, radial), scaled(s, along));
  const RealVector alongThere = sum(scaled(-s, radial), scaled(c, along));
  out.position = scaled(big, radialThere);
  out.velocity = sum(scaled(-radialSpeed, radialThere), scaled(h / big, alongThere));
  return out;
}

}  // namespace gyrelle_test
