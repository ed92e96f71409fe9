// Entry-interface prediction on plain states, one fixture per regime, with the
// worked Earth-orbit figures; the conic propagation against Kepler's equation.
#include "entry/entry_prediction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "entry/entry_prediction_core.h"
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

TEST_F(EllipticalEarthOrbit, NewtonConvergesInTwoSteps) {
  // The span and semi-major axis the prediction hands to the propagation.
  OrbitalElements el{};
  computeElements(apoPos, apoVel, kMu, el);
  const double s = std::sqrt(kMu), a = el.a, dt = predict(apoPos, apoVel).timeToGo;
  double chi = s * dt / a;
  double z = chi * chi / a;
  EXPECT_EQ(solveUniversalAnomalyCounted(apoPos, apoVel, a, dt, s, chi, z), 2);
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

// Open and radial orbits have no eccentric anomaly or period: undefined, and
// no time is computed from the NaN they would give.
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

TEST(EntryPredictionUndefined, RadialOrbitIsRefused) {
  const EntryPrediction p = predict({7e6, 0, 0}, {-1000, 0, 0});
  EXPECT_FALSE(p.valid);
  EXPECT_EQ(p.timeToGo, kSentinel);
}

// Periapsis a hair below the interface: rounding carries the crossing
// anomaly's cosine to 1 + 6e-15, which must not turn into NaN.
TEST(EntryPredictionRounding, GrazingPeriapsisStillGivesACrossing) {
  const EntryPrediction p = predict({7724135.131919294, 0, 0}, {0, 6858.930244055585, 0});
  ASSERT_TRUE(p.valid);
  EXPECT_FALSE(std::isnan(p.timeToGo));
  EXPECT_NEAR(vectorLength(p.eiPosition), kEiRadius, 1.0);
  EXPECT_NEAR(p.eiPosition.x, -kEiRadius, 1.0);  // at periapsis, half a revolution on
}

TEST(EccentricAnomaly, QuadrantsAndApsides) {
  EXPECT_EQ(eccentricAnomaly(0.0, 0.3), 0.0);
  // The pi literal itself still takes the first branch.
  EXPECT_EQ(eccentricAnomaly(3.14159265358979, 0.3), std::acos(-1.0));
  const double e = 0.2, nu = 2.0;
  const double expected = 2.0 * std::atan(std::sqrt((1 - e) / (1 + e)) * std::tan(nu / 2));
  EXPECT_NEAR(eccentricAnomaly(nu, e), expected, 1e-12);
  EXPECT_NEAR(eccentricAnomaly(6.28318530717958 - nu, e), 6.28318530717958 - expected, 1e-12);
}

TEST(Stumpff, MatchSeriesNearZeroOnBothSides) {
  EXPECT_EQ(stumpffC(0.0), 0.5);
  EXPECT_EQ(stumpffS(0.0), 1.0 / 6.0);
  for (double z : {-1e-2, -1e-3, 1e-3, 1e-2}) {
    EXPECT_NEAR(stumpffC(z), 0.5 - z / 24 + z * z / 720, 1e-9) << z;
    EXPECT_NEAR(stumpffS(z), 1.0 / 6 - z / 120 + z * z / 5040, 1e-9) << z;
  }
  const double pi = 3.141592653589793;
  EXPECT_NEAR(stumpffC(pi * pi), 2.0 / (pi * pi), 1e-15);
  EXPECT_NEAR(stumpffS(-1.0), std::sinh(1.0) - 1.0, 1e-15);
}

TEST(PropagateConic, ZeroSpanReturnsTheStartState) {
  VECTOR3 r, v;
  propagateConic({6671010, 0, 0}, {0, 7655.7227, 0}, 6546010.0, kMu, 0.0, r, v);
  EXPECT_EQ(r.x, 6671010.0);
  EXPECT_EQ(r.y, 0.0);
  EXPECT_EQ(v.x, 0.0);
  EXPECT_EQ(v.y, 7655.7227);
}

// Truth from Kepler's equation in the perifocal frame, solved here by bisection.
TEST(PropagateConic, AgreesWithKeplersEquationOnRandomEllipses) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> ecc(0.0, 0.7), periapsis(6.5e6, 9e6), angle(0.0, 6.28),
      fraction(0.0, 1.0);
  for (int k = 0; k < 100; ++k) {
    const double e = ecc(rng), rp = periapsis(rng), nu0 = angle(rng);
    const double a = rp / (1 - e), p = a * (1 - e * e);
    const double period = 6.283185307179586 * std::sqrt(a * a * a / kMu);
    const double dt = fraction(rng) * period;
    auto state = [&](double nu, VECTOR3& r, VECTOR3& v) {
      const double radius = p / (1 + e * std::cos(nu)), k = std::sqrt(kMu / p);
      r = {radius * std::cos(nu), radius * std::sin(nu), 0};
      v = {-k * std::sin(nu), k * (e + std::cos(nu)), 0};
    };
    VECTOR3 r0, v0, rTrue, vTrue;
    state(nu0, r0, v0);
    const double e0 = 2 * std::atan(std::sqrt((1 - e) / (1 + e)) * std::tan(nu0 / 2));
    const double mean = e0 - e * std::sin(e0) + dt * std::sqrt(kMu / (a * a * a));
    double lo = mean - 1.0, hi = mean + 1.0;  // |E - M| <= e < 1
    for (int i = 0; i < 200; ++i) {
      const double mid = 0.5 * (lo + hi);
      (mid - e * std::sin(mid) < mean ? lo : hi) = mid;
    }
    const double eccAnomaly = 0.5 * (lo + hi);
    state(2 * std::atan(std::sqrt((1 + e) / (1 - e)) * std::tan(eccAnomaly / 2)), rTrue, vTrue);
    VECTOR3 r, v;
    propagateConic(r0, v0, a, kMu, dt, r, v);
    EXPECT_LT(vectorLength(r - rTrue), 1.0) << "case " << k;  // Newton tolerance 1e-4 s
    EXPECT_LT(vectorLength(v - vTrue), 1e-3) << "case " << k;
  }
}

namespace {

// Newton steps the prediction's propagation takes for a state, from the
// first guess s dt / a that the propagation uses; -1 when it did not converge.
int newtonSteps(const VECTOR3& pos, const VECTOR3& vel) {
  const EntryPrediction p = predict(pos, vel);
  OrbitalElements el{};
  computeElements(pos, vel, kMu, el);
  const double s = std::sqrt(kMu);
  double chi = s * p.timeToGo / el.a;
  double z = chi * chi / el.a;
  return solveUniversalAnomalyCounted(el.position, el.velocity, el.a, p.timeToGo, s, chi, z);
}

// Nearly radial (e = 0.9997): 4,629.53 m/s at 88.6 deg above the horizontal,
// rising from 14,799 km. The iteration wanders before it converges.
TEST(NewtonBound, AnEccentricOrbitConvergesAfterTheTenthStepOnTheInterface) {
  const double gamma = 88.6 * 3.14159265358979 / 180.0;  // flight-path angle [rad]
  const VECTOR3 pos{1.47988e7, 0, 0};
  const VECTOR3 vel{4629.53 * std::sin(gamma), 4629.53 * std::cos(gamma), 0};
  EXPECT_GT(newtonSteps(pos, vel), 10);
  const EntryPrediction p = predict(pos, vel);
  ASSERT_TRUE(p.valid);
  EXPECT_NEAR(vectorLength(p.eiPosition), kEiRadius, 1.0);  // not 58,472 km out
}

// An orbit on which the iteration never meets its tolerance: no prediction,
// rather than the last step's point reported as the crossing.
TEST(NewtonBound, AnIterationThatDoesNotConvergeLeavesThePredictionUndefined) {
  const VECTOR3 pos{23191540.109274104, 0, 0};
  const VECTOR3 vel{-130.63943582948303, 24.227290712110385, 0};
  ASSERT_EQ(newtonSteps(pos, vel), -1);
  const EntryPrediction p = predict(pos, vel);
  EXPECT_FALSE(p.valid);
  VECTOR3 r, v;
  EXPECT_FALSE(propagateConic(pos, vel, 1.16e7, kMu, 1e15, r, v));  // no double resolves 1e-4 s
}

}  // namespace
