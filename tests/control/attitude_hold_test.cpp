// The hold law per axis, its automatic ends, and two instances holding at once.
#include "control/attitude_hold.h"

#include <cmath>
#include <limits>

#include "control/velocity_trim.h"
#include "control_world.h"
#include "vessel/levels.h"
#include "vessel/thruster_level.h"

namespace {

using control_test::ControlWorld;
using control_test::kRadPerDeg;
using control_test::kShortStep;

constexpr double kTolerance = 0.0017453292519943279;  // [rad] 0.1 deg

// The worked regime: pmi * m = 20 000 kg m^2, T = 0.25 s, 10 000 N m per axis,
// so a rate change of x rad/s asks for the level 8 x.
class HoldLaw : public ControlWorld {
 protected:
  void SetUp() override {
    ControlWorld::SetUp();
    ship = addVessel("Probe", {}, 20000.0);
    world->setFocus(ship);
    moduleState.control.vessel = moduleState.focusVessel = iface(ship);
    moduleState.control.pmi = VECTOR3{1.0, 1.0, 1.0};
    for (double& t : moduleState.control.axisTorque) t = 10000.0;
    moduleState.control.responseTime = 0.25;
  }
  // The level the law asks for to change the rate by `change` [rad/s].
  static double levelFor(double change) { return change * 1.0 * 20000.0 / 0.25 / 10000.0; }

  double holdPitch(double deviation, double rate) {
    setRate(ship, 0, rate);
    holdAxis(0, deviation, kTolerance, kShortStep);
    return rotLevel(ship, 0);
  }

  halcyra::ObjectId ship = 0;
};

TEST_F(HoldLaw, WorkedExampleGivesTheUnlimitedLevel) {
  // e = -5 deg, at rest: a wanted rate of -1 deg/s.
  holdAxis(1, 5.0 * kRadPerDeg, kTolerance, kShortStep);
  EXPECT_DOUBLE_EQ(rotLevel(ship, 1), -0.13962634015954623);
}

TEST_F(HoldLaw, RateScheduleStepsAtItsThresholds) {
  const double slowest = 0.00017453292519943277;  // 0.01 deg/s
  // Exactly the tolerance lies outside it.
  EXPECT_DOUBLE_EQ(holdPitch(-kTolerance, 0.0), levelFor(slowest));
  EXPECT_DOUBLE_EQ(holdPitch(-0.149 * kRadPerDeg, 0.0), levelFor(slowest));
  EXPECT_DOUBLE_EQ(holdPitch(-0.0026179938779914915, 0.0), levelFor(0.0043633231299858195));
  EXPECT_DOUBLE_EQ(holdPitch(-2.0 * kRadPerDeg, 0.0), levelFor(0.008726646259971639));
  EXPECT_DOUBLE_EQ(holdPitch(0.17453292519943278, 0.0), levelFor(-0.034906585039886556));
  EXPECT_DOUBLE_EQ(holdPitch(0.17453292519943278 * 0.999999, 0.0), levelFor(-0.017453292519943278));
}

TEST_F(HoldLaw, CoastsInsideTheRateBand) {
  // e = +5 deg wants +1 deg/s; 0.995 deg/s is within the 0.01 deg/s band.
  setRate(ship, 0, 0.3);  // a level left from before must be replaced
  holdAxis(0, 0.0, kTolerance, kShortStep);
  ASSERT_NE(rotLevel(ship, 0), 0.0);
  EXPECT_EQ(holdPitch(-5.0 * kRadPerDeg, 0.995 * kRadPerDeg), 0.0);
  // Just outside the band the law acts again.
  EXPECT_LT(holdPitch(-5.0 * kRadPerDeg, 1.011 * kRadPerDeg), 0.0);
  // Near the reference the band is half the 0.01 deg/s rate.
  EXPECT_EQ(holdPitch(-0.12 * kRadPerDeg, 0.006 * kRadPerDeg), 0.0);
  EXPECT_GT(holdPitch(-0.12 * kRadPerDeg, 0.004 * kRadPerDeg), 0.0);
}

TEST_F(HoldLaw, LevelsAreLimitedToFullThrust) {
  const double fastest = 0.034906585039886556;  // [rad/s] 2 deg/s
  // Rates at which the law computes 1.7 and -3.
  EXPECT_EQ(holdPitch(-20.0 * kRadPerDeg, fastest - 1.7 / 8.0), 1.0);
  EXPECT_EQ(holdPitch(20.0 * kRadPerDeg, 3.0 / 8.0 - fastest), -1.0);
  // No torque at all: full level in the needed sense.
  moduleState.control.axisTorque[0] = 0.0;
  EXPECT_EQ(holdPitch(-1.0 * kRadPerDeg, 0.0), 1.0);
  EXPECT_EQ(holdPitch(0.0, 0.01), -1.0);
}

TEST_F(HoldLaw, InsideToleranceOpposesAnyRateFromTheStrictThreshold) {
  const double threshold = 1.745329251994328e-06;  // [rad/s] 0.0001 deg/s
  EXPECT_DOUBLE_EQ(holdPitch(0.05 * kRadPerDeg, threshold), levelFor(-threshold));
  EXPECT_EQ(holdPitch(0.05 * kRadPerDeg, 0.999 * threshold), 0.0);
  // No band here: a rate well inside the outer band is opposed in full.
  EXPECT_DOUBLE_EQ(holdPitch(-0.09 * kRadPerDeg, -0.003 * kRadPerDeg),
                   levelFor(0.003 * kRadPerDeg));
}

TEST_F(HoldLaw, NanDeviationNullsTheRateInsteadOfTurning) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_DOUBLE_EQ(holdPitch(nan, 0.002), levelFor(-0.002));
  EXPECT_EQ(holdPitch(nan, 0.0), 0.0);
}

// At steps longer than the response time the level acts for the whole step:
// the rate change is asked for within the step, and the commanded rate covers
// at most half the error in a step. Up to 0.25 s the tuned law stands.
TEST_F(HoldLaw, LongStepsStretchTheTimeConstants) {
  struct Case {
    double step;       // [s]
    double deviation;  // [deg]
    double rate;       // [deg/s]
    double level;      // expected
  };
  const double k = 20000.0 / 10000.0 * kRadPerDeg;  // level per deg/s of change per second
  const Case cases[] = {
      {0.25, -5.0, 0.0, 1.0 * k / 0.25},   // the tuned law: 1 deg/s within 0.25 s
      {1.0, -5.0, 0.0, 1.0 * k / 1.0},     // 1 deg/s covers 5 deg in 5 s: kept
      {10.0, -5.0, 0.0, 0.25 * k / 10.0},  // 5 deg in two 10 s steps: 0.25 deg/s
      {100.0, -30.0, -1.1, (0.15 + 1.1) * k / 100.0},
      {10.0, 0.05, 0.2, -0.2 * k / 10.0},  // inside the tolerance: the rate nulled
      {0.02, 0.05, 0.2, -0.2 * k / 0.25},
  };
  for (const Case& c : cases) {
    moduleState.control.responseTime = 0.25;
    setRate(ship, 0, c.rate * kRadPerDeg);
    holdAxis(0, c.deviation * kRadPerDeg, kTolerance, c.step);
    EXPECT_NEAR(rotLevel(ship, 0), c.level, 1e-15) << c.step << " s, " << c.deviation << " deg";
  }
}

TEST(ThrusterLevel, NeverPassesANonFiniteLevel) {
  EXPECT_EQ(limitLevel(std::numeric_limits<double>::quiet_NaN()), 0.0);
  EXPECT_EQ(limitLevel(std::numeric_limits<double>::infinity()), 1.0);
  EXPECT_EQ(limitLevel(-std::numeric_limits<double>::infinity()), -1.0);
  EXPECT_EQ(limitLevel(0.999), 0.999);
}

// The hold's automatic ends, through the per-step entry of an instance.
class HoldEnds : public ControlWorld {
 protected:
  void SetUp() override {
    ControlWorld::SetUp();
    ship = addVessel("Ship", {}, 20000.0, VECTOR3{1000, 0, 0}, 2);
    halcyra::VesselSpec spec;
    spec.name = "Tender";
    spec.vesselClass = "none";
    spec.body = "Earth";
    spec.position = VECTOR3{1100, 0, 0};
    tender = world->addVessel(spec);
    focusWithInstance(ship);
    for (double& t : moduleState.control.axisTorque) t = 10000.0;
    moduleState.control.linearThrust[2] = 1000.0;
    moduleState.control.engineThrust[ENGINE_MAIN] = 5000.0;
    // Holding, turning hard, with a fore/aft trim flying the main engine.
    mfd->refMode = RefMode::kTargetRelative;
    mfd->holdActive = 1;
    mfd->attDeviation = VECTOR3{0.5, 0.0, 0.0};
    mfd->trimActive = 1;
    mfd->trimSelection = TRIM_FORE_AFT;
    mfd->vesselMass = 20000.0;
    mfd->targetRelVel = VECTOR3{0.0, 0.0, -1.0};
    controlStep(*mfd, kShortStep);
  }
  void expectAllStopped() {
    EXPECT_EQ(mfd->holdActive, 0);
    EXPECT_EQ(mfd->trimActive, 0u);
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_EQ(rotLevel(ship, axis), 0.0) << "axis " << axis;
      EXPECT_EQ(linLevel(ship, axis), 0.0) << "axis " << axis;
      EXPECT_EQ(engineLevel(ship, axis), 0.0) << "engine " << axis;
    }
  }
  halcyra::ObjectId ship = 0;
  halcyra::ObjectId tender = 0;
};

TEST_F(HoldEnds, FlyingBeforeAnyEnd) {
  EXPECT_LT(rotLevel(ship, 0), 0.0);
  EXPECT_EQ(engineLevel(ship, ENGINE_MAIN), 1.0);
  EXPECT_EQ(mfd->holdActive, 1);
}

TEST_F(HoldEnds, HoldReleasesWhenPortEngagedAndStopsEverything) {
  ASSERT_TRUE(world->dock(ship, 1, tender));
  controlStep(*mfd, kShortStep);
  expectAllStopped();
}

TEST_F(HoldEnds, HoldReleasesWithoutEntryInterface) {
  mfd->refMode = RefMode::kEntryInterface;
  mfd->entryPrediction.valid = false;
  controlStep(*mfd, kShortStep);
  expectAllStopped();
}

TEST_F(HoldEnds, TrimRunsOnWhileDockedWithoutHold) {
  ASSERT_TRUE(world->dock(ship, 0, tender));
  toggleHold(*mfd);
  EXPECT_EQ(rotLevel(ship, 0), 0.0);
  controlStep(*mfd, kShortStep);
  EXPECT_EQ(mfd->trimActive, 1u);
  EXPECT_EQ(engineLevel(ship, ENGINE_MAIN), 1.0);
}

TEST_F(HoldEnds, SecondInstanceLevelsStand) {
  second = std::make_unique<GyrelleMFD>(256, 280, iface(ship));
  second->holdActive = 1;
  second->refMode = RefMode::kUserAttitude;
  second->attDeviation = VECTOR3{-0.5, 0.0, 0.0};
  for (double& t : moduleState.control.axisTorque) t = 10000.0;
  mfd->stepUpdate(0.02);
  ASSERT_LT(rotLevel(ship, 0), 0.0);
  second->stepUpdate(0.02);
  EXPECT_GT(rotLevel(ship, 0), 0.0);
}

TEST_F(HoldEnds, NoFocusVesselIsTolerated) {
  moduleState.focusVessel = nullptr;
  moduleState.control.vessel = nullptr;
  controlStep(*mfd, kShortStep);
  toggleHold(*mfd);
  endTrim(*mfd);
  EXPECT_EQ(mfd->trimActive, 0u);
}

}  // namespace
