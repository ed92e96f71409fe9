// Classical elements from a state: worked Earth orbits and the quadrant rules.
#include "entry/orbital_elements.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "entry/grav_bodies.h"

namespace {

constexpr double kMuEarth = 398600000000000.0;  // [m^3/s^2]
constexpr double kPi = 3.141592653589793;
constexpr double kCos45 = 0.7071067811865476;

// Periapsis 6,421,010 m, apoapsis 6,671,010 m about Earth.
class LowEarthEllipse : public ::testing::Test {
 protected:
  OrbitalElements at(const VECTOR3& pos, const VECTOR3& vel) {
    OrbitalElements el{};
    computeElements(pos, vel, kMuEarth, el);
    return el;
  }
};

}  // namespace

TEST(GravBodyCatalogue, EarthRecordHoldsTheOnlyEntryInterface) {
  EXPECT_STREQ(gravBodies[0].name, "Sun");
  EXPECT_STREQ(gravBodies[kEarthGravBody].name, "Earth");
  EXPECT_EQ(gravBodies[kEarthGravBody].mu, 3.986e14);
  EXPECT_EQ(gravBodies[kEarthGravBody].eiRadius, 6470000.0);
  EXPECT_EQ(gravBodies[kEarthGravBody].tilt, 23.44 * 0.017453292519943278);
  for (int i = 0; i < kGravBodyCount; ++i) {
    if (i != kEarthGravBody) {
      EXPECT_EQ(gravBodies[i].eiRadius, 0.0) << gravBodies[i].name;
    }
    if (i < kUnknownGravBody) {
      EXPECT_GT(gravBodies[i].mu, 0.0) << i;
    }
    for (int j = 0; j < i; ++j) EXPECT_STRNE(gravBodies[i].name, gravBodies[j].name);
  }
  const GravBody& last = gravBodies[kUnknownGravBody];
  EXPECT_STREQ(last.name, "");
  EXPECT_EQ(last.radius + last.mass + last.mu + last.surfaceGravity + last.escapeVelocity +
                last.tilt + last.eiRadius,
            0.0);
}

TEST_F(LowEarthEllipse, ApoapsisStateGivesTheWorkedElements) {
  const OrbitalElements el = at({6671010, 0, 0}, {0, 7655.7227, 0});
  EXPECT_NEAR(el.e, 0.0190956, 1e-7);
  EXPECT_NEAR(el.a, 6546010, 1.0);
  EXPECT_NEAR(el.p, 6543623, 1.0);
  EXPECT_NEAR(el.trueAnomaly, kPi, 1e-6);
  EXPECT_EQ(el.angMomentum.x, 0.0);
  EXPECT_EQ(el.angMomentum.y, 0.0);
  EXPECT_GT(el.angMomentum.z, 0.0);
  EXPECT_EQ(el.inclination, 0.0);
  EXPECT_EQ(el.n, 0.0);  // equatorial: no node line
  EXPECT_NEAR(el.energy, -kMuEarth / (2 * el.a), 1e-6);
}

TEST_F(LowEarthEllipse, PeriapsisStateHasZeroAnomalyAndEccentricityAlongX) {
  const OrbitalElements el = at({6421010, 0, 0}, {0, 7953.7958, 0});
  EXPECT_NEAR(el.trueAnomaly, 0.0, 1e-6);
  EXPECT_NEAR(el.e, 0.0190956, 1e-7);
  EXPECT_NEAR(el.eccVector.x, el.e, 1e-12);
  EXPECT_EQ(el.eccVector.y, 0.0);
}

TEST_F(LowEarthEllipse, ApproachingPeriapsisPutsAnomalyInSecondHalf) {
  // Same orbit at true anomaly 330 deg (periapsis on +x), descending.
  const OrbitalElements in = at({5574752.571, -3218584.897, 0}, {3902.3796, 6908.1563, 0});
  EXPECT_NEAR(in.trueAnomaly, 330.0 * kPi / 180.0, 1e-6);
  // Mirrored state moving away from periapsis: 30 deg.
  const OrbitalElements out = at({5574752.571, 3218584.897, 0}, {-3902.3796, 6908.1563, 0});
  EXPECT_NEAR(out.trueAnomaly, 30.0 * kPi / 180.0, 1e-6);
}

TEST(OrbitalElementsQuadrants, InclinedOrbitNodeAndZeroNodeComponent) {
  const double r = 7.0e6, v = 7600.0;
  OrbitalElements el{};
  computeElements({0, r, 0}, {-v * kCos45, 0, v * kCos45}, kMuEarth, el);
  EXPECT_NEAR(el.angMomentum.x, r * v * kCos45, 1e-3);
  EXPECT_NEAR(el.angMomentum.z, r * v * kCos45, 1e-3);
  EXPECT_NEAR(el.inclination, kPi / 4, 1e-12);
  EXPECT_NEAR(el.nodeVector.y, r * v * kCos45, 1e-3);
  EXPECT_NEAR(el.ascendingNode, kPi / 2, 1e-12);

  // n along +x with n_y exactly 0 counts as the lower half: 2pi as the literal.
  computeElements({r, 0, 0}, {0, v * kCos45, v * kCos45}, kMuEarth, el);
  EXPECT_EQ(el.nodeVector.y, 0.0);
  EXPECT_GT(el.nodeVector.x, 0.0);
  EXPECT_EQ(el.ascendingNode, 6.28318530717958);
}

// At an apsis the anomaly's cosine is +-1, and in the reference plane the
// inclination's: rounding carries some of them past it, which must give the
// angle (0 or pi), not NaN. Apsis states in tilted planes and in the plane.
TEST(OrbitalElementsQuadrants, ApsesAndThePlaneGiveAnglesNotNaN) {
  std::mt19937 rng(23);
  std::uniform_real_distribution<double> periapsis(6.2e6, 7.0e6), ecc(0.001, 0.9),
      angle(0.0, 6.283185307179586);
  int nearOne = 0;  // states whose cosine was rounded to +-1 or past it
  for (int k = 0; k < 400; ++k) {
    const double rp = periapsis(rng), e = ecc(rng), w = angle(rng), tilt = k % 2 ? 0.0 : angle(rng);
    const double p = rp * (1 + e);
    for (double nu : {0.0, kPi}) {
      const double r = p / (1 + e * std::cos(nu)),
                   speed = std::sqrt(kMuEarth / p) * (1 + e * std::cos(nu));
      // In the x-y plane turned by w, then tilted about the x axis.
      const double c = std::cos(w), s = std::sin(w), ct = std::cos(tilt), st = std::sin(tilt);
      const VECTOR3 pos{r * c, r * s * ct, r * s * st};
      const VECTOR3 vel{-speed * s, speed * c * ct, speed * c * st};
      OrbitalElements el{};
      computeElements(pos, vel, kMuEarth, el);
      EXPECT_FALSE(std::isnan(el.trueAnomaly)) << k;
      EXPECT_NEAR(std::remainder(el.trueAnomaly - nu, 6.28318530717958), 0.0, 1e-6) << k;
      EXPECT_FALSE(std::isnan(el.inclination)) << k;
      const double cosNu =
          (el.eccVector.x * pos.x + el.eccVector.y * pos.y + el.eccVector.z * pos.z) /
          (el.e * el.r);
      nearOne += std::fabs(cosNu) >= 1.0;
    }
  }
  EXPECT_GT(nearOne, 0);  // the case arises
}
