// A dispersion's draws in one run. Each dispersion draws from its own stream
// (draw_stream.h), components and thrusters in order.
//
// A direction uniform over the sphere: z uniform in [-1, 1] and the longitude
// uniform in [0, 2 pi) (Archimedes' hat-box theorem: a sphere's zone has the
// area of its cylinder's, so z of a uniform point is uniform).
//
// A rotation uniform over all rotations: Shoemake's uniform random quaternion
// (Graphics Gems III, 1992, "Uniform random rotations"): from u1, u2, u3
// uniform in [0, 1), q = (sqrt(1 - u1) sin 2 pi u2, sqrt(1 - u1) cos 2 pi u2,
// sqrt(u1) sin 2 pi u3, sqrt(u1) cos 2 pi u3) is uniform on the unit sphere
// of quaternions, so its rotation is uniform (Haar measure) over SO(3).
//
// A cone: the scenario's attitude turned by a rotation vector v whose
// components (vessel axes) are each normal(0, sigma): R' = R E(v), E(v) the
// rotation by |v| about v (Rodrigues), so the columns of E are the new
// vessel axes in the old ones. |v| then follows Maxwell's distribution.
#include <charconv>
#include <cmath>

#include "host/frames.h"
#include "sim/campaign/dispersion.h"

namespace sim {
namespace {

constexpr double kTwoPi = 6.283185307179586;

halcyra::Matrix3 quaternionMatrix(double w, double x, double y, double z) {
  return halcyra::Matrix3{{{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                           {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                           {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}}};
}

// Rodrigues' formula: E = I + sin(a) K + (1 - cos a) K^2, K = [v / a]x, a = |v|.
halcyra::Matrix3 rotationAbout(const VECTOR3& v) {
  const double a = halcyra::length(v);
  halcyra::Matrix3 e{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  if (a == 0.0) return e;
  const halcyra::Matrix3 k = halcyra::crossMatrix(v * (1.0 / a));
  return e + k * std::sin(a) + (k * k) * (1.0 - std::cos(a));
}

// [rad] The angle of the rotation from a to b, 0..pi: atan2 of the sine
// (half the length of the skew part of a^T b) and the cosine ((trace - 1) / 2),
// accurate near 0 and pi, where acos of the cosine alone is not.
double angleBetween(const halcyra::Matrix3& a, const halcyra::Matrix3& b) {
  const halcyra::Matrix3 m = halcyra::transpose(a) * b;
  const double c = (m.m[0][0] + m.m[1][1] + m.m[2][2] - 1.0) / 2.0;
  const VECTOR3 skew{m.m[2][1] - m.m[1][2], m.m[0][2] - m.m[2][0], m.m[1][0] - m.m[0][1]};
  return std::atan2(halcyra::length(skew) / 2.0, c);
}

}  // namespace

std::vector<double> drawDispersion(const Dispersion& d, uint64_t runSeed) {
  DrawStream draws(runSeed, d.nameHash);
  switch (d.quantity) {
    case Quantity::Orientation: {
      const VECTOR3 baseAngles{d.baseValues[0], d.baseValues[1], d.baseValues[2]};
      const halcyra::Matrix3 before = halcyra::orientationMatrix(baseAngles);
      halcyra::Matrix3 after{};
      if (d.coneRotation) {
        VECTOR3 v{};
        for (int i = 0; i < 3; ++i) v[i] = d.coneSigma * draws.normal();
        after = before * rotationAbout(v);
      } else {
        // u01 gives (0, 1]; 1 - u is in [0, 1) as Shoemake's u.
        const double u1 = 1.0 - draws.uniform01();
        const double u2 = 1.0 - draws.uniform01();
        const double u3 = 1.0 - draws.uniform01();
        const double s1 = std::sqrt(1.0 - u1), s2 = std::sqrt(u1);
        after = quaternionMatrix(s2 * std::cos(kTwoPi * u3), s1 * std::sin(kTwoPi * u2),
                                 s1 * std::cos(kTwoPi * u2), s2 * std::sin(kTwoPi * u3));
      }
      const VECTOR3 angles = halcyra::orientationAngles(after);
      // The angle of the attitude flown: that of the angles written.
      const double angle = angleBetween(before, halcyra::orientationMatrix(angles));
      return {angles.x, angles.y, angles.z, angle};
    }
    case Quantity::AngularVelocity:
    case Quantity::Position:
    case Quantity::Velocity:
    case Quantity::Pmi:
    case Quantity::RelativePosition:
    case Quantity::RelativeVelocity: {
      if (!d.uniformDirection) {
        std::vector<double> v(3);
        for (double& x : v) x = d.dist.sample(draws);
        return v;
      }
      const double z = draws.uniformMinus11();
      const double longitude = kTwoPi * draws.uniform01();
      const double m = d.dist.sample(draws);
      const double r = std::sqrt(std::max(0.0, 1.0 - z * z));
      return {m * r * std::cos(longitude), m * r * std::sin(longitude), m * z};
    }
    case Quantity::ThrusterMax:
    case Quantity::ThrusterExhaustSpeed: {
      std::vector<double> v(d.thrusters);
      for (double& x : v) x = d.dist.sample(draws);
      return v;
    }
    case Quantity::EventInput: {
      // The number as typed: what the run sees.
      const std::string typed = typedNumber(d.dist.sample(draws), d.decimals);
      double value = 0.0;
      std::from_chars(typed.data(), typed.data() + typed.size(), value);
      return {value};
    }
    default:
      return {d.dist.sample(draws)};
  }
}

}  // namespace sim
