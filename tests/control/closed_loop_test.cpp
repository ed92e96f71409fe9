// The hold and the trim flying the "generic" vessel in the stand-in host, with
// the real libgyrelle.so driven the host's way at 50 Hz. Attitudes are checked
// against rotation matrices (the host's convention, and axis-angle turns built
// here), not against the module's own angles alone.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "axis_angle.h"
#include "generic_flight.h"
#include "host/frames.h"

namespace {

using control_test::axisAngle;
using halcyra::dot;
using halcyra::length;
using halcyra::Matrix3;
using halcyra::orientationMatrix;

constexpr double kRadPerDeg = 0.017453292519943278;
constexpr double kStep = 0.02;  // [s] 50 Hz

// The angle [rad] of the rotation that takes a to b.
double angleBetween(const Matrix3& a, const Matrix3& b) {
  double trace = 0.0;
  for (int i = 0; i < 3; ++i)
    for (int k = 0; k < 3; ++k) trace += a.m[k][i] * b.m[k][i];
  return std::acos(std::fmin(1.0, std::fmax(-1.0, 0.5 * (trace - 1.0))));
}

VECTOR3 column(const Matrix3& r, int j) { return VECTOR3{r.m[0][j], r.m[1][j], r.m[2][j]}; }

class GenericVesselFlight : public control_test::GenericFlight {
 protected:
  void SetUp() override {
    build(kStep, VECTOR3{1.0e6, 0, 0}, VECTOR3{0.3, -0.2, 1.0},
          VECTOR3{1.0e6 + 300.0, 200.0, -500.0});
  }
  void type(uint32_t key, const char* text) {
    ASSERT_TRUE(world->pressKey(0, key));
    ASSERT_TRUE(world->answerInput(0, text));
  }
  bool ratesBelow(double limit) {  // [rad/s]
    for (int k = 0; k < 3; ++k)
      if (!(std::fabs(vessel().angVel[k]) < limit)) return false;
    return true;
  }
};

TEST_F(GenericVesselFlight, HoldWithOffsetsSettlesFromRandomAttitudes) {
  type(25, "10");  // pitch offset [deg]
  type(21, "-5");  // yaw
  type(19, "3");   // roll
  const Matrix3 wanted = orientationMatrix(mfd->refAttitude) * orientationMatrix(mfd->attOffset);
  ASSERT_TRUE(world->pressKey(0, 35));  // hold on
  ASSERT_EQ(mfd->holdActive, 1);

  std::mt19937 random(2026);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  double longest = 0.0;  // [s]
  for (int run = 0; run < 20; ++run) {
    VECTOR3 axis{};
    do axis = VECTOR3{uniform(random), uniform(random), uniform(random)};
    while (length(axis) < 0.1 || length(axis) > 1.0);
    axis = axis * (1.0 / length(axis));
    const double angle = 60.0 * kRadPerDeg * (0.5 + 0.5 * uniform(random));
    vessel().rotation = wanted * axisAngle(axis, angle);
    vessel().angVel = VECTOR3{0, 0, 0};

    const long start = steps;
    bool settled = false;
    while (!settled && (steps - start) * kStep < 600.0) {
      flyStep();
      // After at least two refreshes, so that the deviations are this run's.
      if ((steps - start) * kStep < 0.6) continue;
      settled = ratesBelow(0.01 * kRadPerDeg) &&
                std::fabs(mfd->attDeviation.x) < 0.1 * kRadPerDeg &&
                std::fabs(mfd->attDeviation.y) < 0.1 * kRadPerDeg &&
                std::fabs(mfd->attDeviation.z) < 0.1 * kRadPerDeg;
    }
    ASSERT_TRUE(settled) << "run " << run << " from " << angle / kRadPerDeg << " deg";
    EXPECT_LT(angleBetween(vessel().rotation, wanted), 0.2 * kRadPerDeg) << "run " << run;
    EXPECT_EQ(mfd->holdActive, 1);
    longest = std::fmax(longest, (steps - start) * kStep);
  }
  RecordProperty("longest_settle_s", std::to_string(longest));
}

TEST_F(GenericVesselFlight, HoldInTargetModePointsTheNoseAtTheTarget) {
  ASSERT_TRUE(world->pressKey(0, 4));  // target-relative mode: the closest object
  ASSERT_EQ(mfd->refMode, RefMode::kTargetRelative);
  ASSERT_EQ(halcyra::toId(mfd->targetHandle), target);
  ASSERT_TRUE(world->pressKey(0, 35));
  const VECTOR3 lineOfSight = world->globalPosition(target) - world->globalPosition(ship);
  bool settled = false;
  while (!settled && steps * kStep < 600.0) {
    flyStep();
    const double off = std::acos(
        std::fmin(1.0, dot(column(vessel().rotation, 2), lineOfSight) / length(lineOfSight)));
    settled = steps * kStep > 0.6 && off < 0.15 * kRadPerDeg && ratesBelow(0.01 * kRadPerDeg);
  }
  EXPECT_TRUE(settled);
  RecordProperty("settle_s", std::to_string(steps * kStep));
  EXPECT_EQ(mfd->attDeviation.z, 0.0);  // roll plays no part in this mode
}

TEST_F(GenericVesselFlight, TrimAllEndsByItselfWithTheVelocityMatched) {
  vessel().rotation = orientationMatrix(VECTOR3{0, 0, 0});  // vessel axes = global axes
  ASSERT_TRUE(world->pressKey(0, 4));
  std::mt19937 random(11);
  std::uniform_real_distribution<double> speed(-2.0, 2.0);  // [m/s] per axis
  for (int run = 0; run < 3; ++run) {
    vessel().velocity = VECTOR3{speed(random), speed(random), speed(random)};
    for (int i = 0; i < 15; ++i) flyStep();  // a refresh sees the new velocity
    ASSERT_TRUE(world->pressKey(0, 76));     // TRA
    ASSERT_EQ(mfd->trimActive, 1u);
    const long start = steps;
    while (mfd->trimActive && (steps - start) * kStep < 120.0) flyStep();
    ASSERT_EQ(mfd->trimActive, 0u) << "run " << run;
    const VECTOR3 relVel = world->globalVelocity(ship) - world->globalVelocity(target);
    for (int k = 0; k < 3; ++k) EXPECT_LT(std::fabs(relVel[k]), 0.005) << "run " << run;
    for (int g = 0; g < 3; ++g) EXPECT_EQ(vessel().groupLevel[g], 0.0) << "engine " << g;
    for (int g = 9; g < 15; ++g) EXPECT_EQ(vessel().groupLevel[g], 0.0) << "group " << g;
  }
}

// Each of the seven trim keys flies its own axes and no other: vessel x is
// lateral (groups 9-10), y vertical (11-12), z fore/aft (13-14). The ship
// starts drifting on every axis against the beacon; the trim ends by itself
// with its axes matched and the others' drift untouched.
TEST_F(GenericVesselFlight, EachTrimKeyMatchesItsAxesAndLeavesTheOthers) {
  struct Case {
    uint32_t key;
    const char* name;
    bool lateral, vertical, foreAft;
  };
  const Case cases[] = {
      {79, "TRV", false, true, false}, {80, "TRL", true, false, false},
      {81, "TRF", false, false, true}, {76, "TRA", true, true, true},
      {71, "TVL", true, true, false},  {72, "TLF", true, false, true},
      {73, "TVF", false, true, true},
  };
  const VECTOR3 drift{0.4, -0.3, 0.5};  // [m/s] vessel axes
  for (const Case& c : cases) {
    build(kStep, VECTOR3{1.0e6, 0, 0}, VECTOR3{0, 0, 0}, VECTOR3{1.0e6 + 300.0, 200.0, -500.0});
    vessel().velocity = drift;               // vessel axes = global axes
    ASSERT_TRUE(world->pressKey(0, 4));      // target-relative mode: the beacon
    for (int i = 0; i < 15; ++i) flyStep();  // a refresh sees the drift
    ASSERT_TRUE(world->pressKey(0, c.key));
    ASSERT_EQ(mfd->trimActive, 1u) << c.name;
    const bool wanted[3] = {c.lateral, c.vertical, c.foreAft};
    bool flown[3] = {false, false, false};
    const auto& level = vessel().groupLevel;
    const long start = steps;
    while (mfd->trimActive && (steps - start) * kStep < 120.0) {
      flyStep();
      for (int k = 0; k < 3; ++k) flown[k] = flown[k] || level[9 + 2 * k] != level[10 + 2 * k];
    }
    for (int k = 0; k < 3; ++k) EXPECT_EQ(flown[k], wanted[k]) << c.name << ", axis " << k;
    ASSERT_EQ(mfd->trimActive, 0u) << c.name;
    const VECTOR3 relVel = world->globalVelocity(ship) - world->globalVelocity(target);
    for (int k = 0; k < 3; ++k) {
      if (wanted[k]) {
        EXPECT_LT(std::fabs(relVel[k]), 0.005) << c.name << ", axis " << k;
      } else {
        EXPECT_NEAR(relVel[k], drift[k], 1e-9) << c.name << ", axis " << k;
      }
    }
  }
}

}  // namespace
