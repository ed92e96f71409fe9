// States about Earth in the regimes of the entry-interface prediction, drawn
// from a fixed seed: the same states on every run. (The maths library's last
// bits may move them on another platform; the comparison of the two builds
// draws them on Linux and hands both the same file.)
#pragma once

#include <cmath>
#include <random>
#include <vector>

#include "hostapi/host_api.h"

namespace gyrelle_test {

constexpr double kRegimeMu = 3.986e14;         // the Earth record's [m^3/s^2]
constexpr double kRegimeEiRadius = 6470000.0;  // [m]
constexpr int kRegimeStates = 300;             // states drawn for each regime
constexpr unsigned kRegimeSeed = 19;

enum class Regime {
  Elliptic,        // periapsis below the interface, apoapsis up to 40,000 km, any plane
  NearCircular,    // eccentricity 1e-5 .. 1e-2 about a semi-major axis near the interface
  Equatorial,      // in the reference plane, prograde (h along +z)
  Retrograde,      // inclination above 90 deg, half of them exactly 180 deg
  NearRadial,      // velocity 1e-8 .. 1e-4 rad off the radius, rising or falling
  Radial,          // velocity along the radius
  NearParabolic,   // bound, 1 - e from 1e-8 to 1e-2, up to 4 interface radii out
  AtInterface,     // at the interface radius, rising or falling
  BelowInterface,  // under the interface on a crossing orbit, rising or falling
  Open,            // hyperbolic
};

struct OrbitState {
  VECTOR3 pos;  // from the body's centre [m]
  VECTOR3 vel;  // [m/s]
};

namespace regime_detail {

inline VECTOR3 add(const VECTOR3& a, const VECTOR3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline VECTOR3 scale(double k, const VECTOR3& a) { return {k * a.x, k * a.y, k * a.z}; }

class Draw {
 public:
  explicit Draw(unsigned seed) : rng_(seed) {}
  double uniform(double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng_);
  }
  double logUniform(double lo, double hi) {
    return std::pow(10.0, uniform(std::log10(lo), std::log10(hi)));
  }
  bool coin() { return uniform(0.0, 1.0) < 0.5; }
  VECTOR3 direction() {
    while (true) {
      const VECTOR3 d{uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)};
      const double length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
      if (length > 0.1 && length < 1.0) return scale(1.0 / length, d);
    }
  }
  // A unit vector at right angles to the unit vector d.
  VECTOR3 across(const VECTOR3& d) {
    const VECTOR3 q = direction();
    const VECTOR3 p = add(q, scale(-(q.x * d.x + q.y * d.y + q.z * d.z), d));
    return scale(1.0 / std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), p);
  }

 private:
  std::mt19937 rng_;
};

// The state at true anomaly nu on the ellipse of periapsis radius rp and
// eccentricity e whose periapsis lies along p, q 90 degrees ahead of it.
inline OrbitState onEllipse(double rp, double e, double nu, const VECTOR3& p, const VECTOR3& q) {
  const double semiLatus = rp * (1 + e), radius = semiLatus / (1 + e * std::cos(nu));
  const double k = std::sqrt(kRegimeMu / semiLatus);
  return {add(scale(radius * std::cos(nu), p), scale(radius * std::sin(nu), q)),
          add(scale(-k * std::sin(nu), p), scale(k * (e + std::cos(nu)), q))};
}

// The velocity of the given speed [m/s] at flight-path angle gamma [rad] above
// the horizontal, in the plane of the unit vectors radial and across.
inline VECTOR3 velocityAt(const VECTOR3& radial, const VECTOR3& across, double speed,
                          double gamma) {
  return add(scale(speed * std::sin(gamma), radial), scale(speed * std::cos(gamma), across));
}

}  // namespace regime_detail

inline std::vector<OrbitState> regimeStates(Regime regime, int count, unsigned seed) {
  using namespace regime_detail;
  constexpr double kTwoPi = 6.283185307179586;
  const double mu = kRegimeMu, big = kRegimeEiRadius;
  Draw draw(seed);
  std::vector<OrbitState> states;
  while (static_cast<int>(states.size()) < count) {
    switch (regime) {
      case Regime::Elliptic:
      case Regime::Equatorial:
      case Regime::Retrograde: {
        const double rp = draw.uniform(6.0e6, 6.46e6), ra = draw.uniform(6.5e6, 4.0e7);
        VECTOR3 p = draw.direction(), q = draw.across(p);
        if (regime != Regime::Elliptic) {
          const double w = draw.uniform(0.0, kTwoPi);
          p = {std::cos(w), std::sin(w), 0.0};
          q = {-std::sin(w), std::cos(w), 0.0};
        }
        if (regime == Regime::Retrograde) {
          if (draw.coin()) {
            q = scale(-1.0, q);  // exactly in the plane, h along -z
          } else {
            p = draw.direction();
            q = draw.across(p);
            if (p.x * q.y - p.y * q.x > 0.0) q = scale(-1.0, q);
          }
        }
        states.push_back(onEllipse(rp, (ra - rp) / (ra + rp), draw.uniform(0.0, kTwoPi), p, q));
        break;
      }
      case Regime::NearCircular: {
        const double a = big * draw.uniform(0.997, 1.003);
        const double e = std::fabs(1.0 - big / a) + draw.logUniform(1e-5, 1e-2);
        const VECTOR3 p = draw.direction();
        states.push_back(onEllipse(a * (1 - e), e, draw.uniform(0.0, kTwoPi), p, draw.across(p)));
        break;
      }
      case Regime::NearRadial:
      case Regime::Radial: {
        const VECTOR3 radial = draw.direction();
        const double r = big * draw.uniform(0.9, 3.0);
        const double ra = std::fmax(r, big) * draw.uniform(1.0001, 1.0 + 3.0 * big / r);
        const double speed = std::sqrt(2.0 * mu * (1.0 / r - 1.0 / ra));  // apoapsis near ra
        const double sign = draw.coin() ? 1.0 : -1.0;                     // rising or falling
        if (regime == Regime::Radial) {
          states.push_back({scale(r, radial), scale(sign * speed, radial)});
          break;
        }
        const double gamma = sign * (kTwoPi / 4 - draw.logUniform(1e-8, 1e-4));
        states.push_back({scale(r, radial), velocityAt(radial, draw.across(radial), speed, gamma)});
        break;
      }
      case Regime::NearParabolic: {
        const double rp = big * draw.uniform(0.5, 0.99), e = 1.0 - draw.logUniform(1e-8, 1e-2);
        const double farthest = std::acos((rp * (1 + e) / (4.0 * big) - 1.0) / e);  // nu at 4 R
        const VECTOR3 p = draw.direction();
        states.push_back(onEllipse(rp, e, draw.uniform(-farthest, farthest), p, draw.across(p)));
        break;
      }
      case Regime::AtInterface: {
        const VECTOR3 radial = draw.direction();
        const double speed = draw.uniform(0.3, 0.99) * std::sqrt(2.0 * mu / big);
        states.push_back({scale(big, radial),
                          velocityAt(radial, draw.across(radial), speed, draw.uniform(-1.5, 1.5))});
        break;
      }
      case Regime::BelowInterface: {
        const double rp = big * draw.uniform(0.5, 0.99), ra = big * draw.uniform(1.001, 3.0);
        const double e = (ra - rp) / (ra + rp);
        const double atInterface = std::acos((rp * (1 + e) / big - 1.0) / e);  // nu at R
        const VECTOR3 p = draw.direction();
        const double nu = draw.uniform(-atInterface, atInterface) * (1.0 - 1e-9);
        states.push_back(onEllipse(rp, e, nu, p, draw.across(p)));
        break;
      }
      case Regime::Open: {
        const VECTOR3 radial = draw.direction();
        const double r = big * draw.uniform(1.0, 4.0);
        const double speed = draw.uniform(1.0001, 2.0) * std::sqrt(2.0 * mu / r);
        states.push_back({scale(r, radial), velocityAt(radial, draw.across(radial), speed,
                                                       -draw.uniform(0.01, 1.5))});
        break;
      }
    }
  }
  return states;
}

}  // namespace gyrelle_test
