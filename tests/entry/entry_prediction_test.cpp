// Entry-interface prediction on plain states: the worked Earth-orbit figures,
// the cases that end the call early and what they leave in the record, and the
// Stumpff functions (the regimes against a truth: prediction_truth_test.cpp).
#include "entry/entry_prediction.h"

#include <gtest/gtest.h>

#include <cmath>

#include "entry/entry_prediction_core.h"
#include "entry/universal_kepler.h"
#include "geometry/vector_math.h"

namespace {

constexpr double kMu = 3.986e14;         // Earth record [m^3/s^2]
constexpr double kEiRadius = 6470000.0;  // [m]
constexpr double kSentinel = -12345.0;

// A record whose fields show which steps wrote them.
EntryPrediction freshPrediction() {
  return {true,
          kSentinel,
          kSentinel,
          {kSentinel, kSentinel, kSentinel},
          {kSentinel, kSentinel, kSentinel}};
}

EntryPrediction predict(const VECTOR3& pos, const VECTOR3& vel) {
  EntryPrediction p = freshPrediction();
  predictEntryFromState(pos, vel, kMu, kEiRadius, p);
  return p;
}

// Periapsis 6,421,010 m, apoapsis 6,671,010 m: crosses the interface twice a revolution.
class EllipticalEarthOrbit : public ::testing::Test {
 protected:
  const VECTOR3 apoPos{6671010, 0, 0};
  const VECTOR3 apoVel{0, 7655.7227, 0};
  const VECTOR3 periPos{6421010, 0, 0};
  const VECTOR3 periVel{0, 7953.7958, 0};
  static constexpr double kEntryAngle = 0.015161;  // [rad], 0.8687 deg
};

}  // namespace

TEST_F(EllipticalEarthOrbit, FromApoapsisPredictsTheWorkedCrossing) {
  const EntryPrediction p = predict(apoPos, apoVel);
  ASSERT_TRUE(p.valid);
  EXPECT_NEAR(p.timeToGo, 1878.74, 0.01);
  EXPECT_NEAR(p.entryAngle, kEntryAngle, 1e-6);
  EXPECT_NEAR(p.entryAngle * 57.29577951308239, 0.8687, 1e-4);
  EXPECT_NEAR(p.eiPosition.x, -3855503, 2.0);
  EXPECT_NEAR(p.eiPosition.y, 5195767, 2.0);
  EXPECT_EQ(p.eiPosition.z, 0.0);
  EXPECT_NEAR(vectorLength(p.eiPosition), kEiRadius, 1.0);
  EXPECT_NEAR(p.eiVelocity.x, -6267.65, 0.01);
  EXPECT_NEAR(p.eiVelocity.y, -4799.93, 0.01);
  EXPECT_NEAR(vectorLength(p.eiVelocity), 7894.48, 0.01);
  // Descending through the interface.
  const double radialSpeed = (p.eiPosition.x * p.eiVelocity.x + p.eiPosition.y * p.eiVelocity.y) /
                             vectorLength(p.eiPosition);
  EXPECT_LT(radialSpeed, 0.0);
}

TEST_F(EllipticalEarthOrbit, FromPeriapsisGoesThroughApoapsisToTheNextEntry) {
  const EntryPrediction p = predict(periPos, periVel);
  ASSERT_TRUE(p.valid);
  EXPECT_NEAR(p.timeToGo, 4514.13, 0.01);
  EXPECT_NEAR(p.entryAngle, kEntryAngle, 1e-6);
  EXPECT_NEAR(vectorLength(p.eiPosition), kEiRadius, 1.0);
}

TEST_F(EllipticalEarthOrbit, InsideAndDescendingIsUndefinedButKeepsNewTimes) {
  const EntryPrediction p = predict({5574752.571, -3218584.897, 0}, {3902.3796, 6908.1563, 0});
  EXPECT_FALSE(p.valid);
  EXPECT_NEAR(p.timeToGo, -333.25, 0.01);
  EXPECT_NEAR(p.entryAngle, kEntryAngle, 1e-6);
  EXPECT_EQ(p.eiPosition.x, kSentinel);  // not reached
}

TEST(EntryPredictionUndefined, CircularOrbitNeverReachesTheInterface) {
  const double r = 6371010.0 + 400000.0;
  const EntryPrediction p = predict({r, 0, 0}, {0, std::sqrt(kMu / r), 0});
  EXPECT_FALSE(p.valid);
  EXPECT_EQ(p.entryAngle, kSentinel);  // ended at the angle test (c ~ 1.00099)
}

TEST(EntryPredictionUndefined, EnergyTooLowToReachTheInterface) {
  // Falls from 6.3e6 m: its apoapsis lies below the interface.
  const EntryPrediction p = predict({6.3e6, 0, 0}, {0, 100, 0});
  EXPECT_FALSE(p.valid);
  EXPECT_EQ(p.entryAngle, kSentinel);
}

// Open orbits (energy at or above zero) have no eccentric anomaly or period:
// undefined, and no time is computed from the NaN they would give.
TEST(EntryPredictionUndefined, OpenOrbitsAreRefused) {
  for (const VECTOR3& vel : {VECTOR3{-8000, 3000, 0}, VECTOR3{8000, 3000, 0}}) {
    const EntryPrediction p = predict({2e7, 0, 0}, vel);
    EXPECT_FALSE(p.valid);
    EXPECT_EQ(p.timeToGo, kSentinel);
  }
  // Exactly parabolic: v^2 = 2 mu / r.
  const double r = 2e7;
  const EntryPrediction parabolic =
      predict({r, 0, 0}, {-std::sqrt(kMu / r), std::sqrt(kMu / r), 0});
  EXPECT_FALSE(parabolic.valid);
  EXPECT_FALSE(std::isnan(parabolic.timeToGo));
}

// Periapsis a hair below the interface: rounding may leave the radial speed
// squared there a hair below zero, which must not turn into NaN.
TEST(EntryPredictionRounding, GrazingPeriapsisStillGivesACrossing) {
  const EntryPrediction p = predict({7724135.131919294, 0, 0}, {0, 6858.930244055585, 0});
  ASSERT_TRUE(p.valid);
  EXPECT_FALSE(std::isnan(p.timeToGo));
  EXPECT_NEAR(vectorLength(p.eiPosition), kEiRadius, 1.0);
  EXPECT_NEAR(p.eiPosition.x, -kEiRadius, 1.0);  // at periapsis, half a revolution on
}

// Relative accuracy of C and S against their power series summed in long
// double, from z = 0 through both sides of the switch to the closed forms (the
// series keeps 17 digits in long double up to |z| = 20).
TEST(Stumpff, KeepTheirDigitsNearZeroAndAcrossTheSwitch) {
  EXPECT_EQ(stumpffC(0.0), 0.5);
  EXPECT_EQ(stumpffS(0.0), 1.0 / 6.0);
  const auto series = [](double z, int first) {  // sum of (-z)^k / (2k + first)!
    long double term = 1, total = 0;
    for (int i = 1; i <= first; ++i) term /= i;
    for (int k = 0; k < 60; ++k) {
      total += term;
      term *= -static_cast<long double>(z) / ((2 * k + first + 1) * (2 * k + first + 2));
    }
    return static_cast<double>(total);
  };
  for (double z : {1e-16, 1e-8, 1e-3, 0.5, 0.999, 1.0, 1.001, 4.0, 20.0}) {
    for (double signedZ : {z, -z}) {
      EXPECT_NEAR(stumpffC(signedZ) / series(signedZ, 2), 1.0, 1e-15) << signedZ;
      EXPECT_NEAR(stumpffS(signedZ) / series(signedZ, 3), 1.0, 1e-15) << signedZ;
    }
  }
  // As the eccentric anomaly nears a whole turn, 1 - cos of it nears 0:
  // C(z) = (1 - cos x) / z = 2 sin^2(x/2) / z with x/2 = pi - d, sin(x/2) = sin d.
  for (double d : {1e-2, 1e-4}) {
    const long double halfX = 3.14159265358979323846L - d, z = 4 * halfX * halfX;
    const long double truth =
        2 * std::sin(static_cast<long double>(d)) * std::sin(static_cast<long double>(d)) / z;
    EXPECT_NEAR(stumpffC(static_cast<double>(z)) / static_cast<double>(truth), 1.0, 1e-9) << d;
  }
}

TEST(PropagateConic, ZeroStepReturnsTheStartState) {
  VECTOR3 r, v;
  const VECTOR3 r0{6671010, 0, 0}, v0{0, 7655.7227, 0};
  EXPECT_EQ(timeOfFlight(r0, v0, 1.0 / 6546010.0, kMu, 0.0), 0.0);
  propagateConic(r0, v0, 1.0 / 6546010.0, kMu, 0.0, 6671010.0, r, v);
  EXPECT_EQ(r.x, 6671010.0);
  EXPECT_EQ(r.y, 0.0);
  EXPECT_EQ(v.x, 0.0);
  EXPECT_EQ(v.y, 7655.7227);
}
