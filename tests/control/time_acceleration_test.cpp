// The hold and the trim under time acceleration: the real libgyrelle.so flying
// the "generic" vessel in the stand-in host at host steps from 50 Hz to 100 s.
// A level holds for a whole step, so what a 50 Hz law does in a fraction of a
// second a long step does many times over; the laws must neither burn the
// tanks dry nor leave the vessel turning or drifting faster than it started.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "axis_angle.h"
#include "generic_flight.h"
#include "host/frames.h"

namespace {

using control_test::axisAngle;
using halcyra::length;
using halcyra::orientationMatrix;

constexpr double kRadPerDeg = 0.017453292519943278;
constexpr double kSteps[] = {0.02, 0.5, 1.0, 2.0, 10.0, 100.0};  // host steps [s]

// The vessel and a beacon 1 km ahead, far from the body.
class TimeAcceleration : public control_test::GenericFlight {
 protected:
  void build(double stepLength) {
    GenericFlight::build(stepLength, VECTOR3{1.0e7, 0, 0}, VECTOR3{0, 0, 0},
                         VECTOR3{1.0e7, 0, 1000.0});
  }
  double burnt() { return 4000.0 - vessel().propellant; }  // [kg]
};

// The hold from 30 deg off its reference with a 1.1 deg/s spin, for 3000 s.
TEST_F(TimeAcceleration, HoldSettlesAtEveryStepForTheSamePropellant) {
  double reference = 0.0;  // [kg] burnt at 50 Hz
  for (const double stepLength : kSteps) {
    SCOPED_TRACE("step " + std::to_string(stepLength) + " s");
    build(stepLength);
    const VECTOR3 wanted{0.3, -0.2, 1.0};
    vessel().rotation = orientationMatrix(wanted);
    ASSERT_TRUE(world->pressKey(0, 52));  // REF: the reference is this attitude
    fly(1.0);                             // a refresh takes it
    const VECTOR3 spinAxis = VECTOR3{1.0, -2.0, 0.5} * (1.0 / std::sqrt(5.25));
    vessel().rotation = orientationMatrix(wanted) * axisAngle(spinAxis, 30 * kRadPerDeg);
    vessel().angVel = spinAxis * (1.1 * kRadPerDeg);
    const double startRate = length(vessel().angVel);
    ASSERT_TRUE(world->pressKey(0, 35));  // H
    fly(3000.0);

    EXPECT_EQ(mfd->holdActive, 1);
    EXPECT_LT(length(vessel().angVel), 0.01 * kRadPerDeg);
    EXPECT_LT(length(vessel().angVel), startRate);
    for (int k = 0; k < 3; ++k) EXPECT_LT(std::fabs(mfd->attDeviation[k]), 0.5 * kRadPerDeg);
    if (stepLength == kSteps[0]) reference = burnt();
    EXPECT_LT(burnt(), 1.5 * reference);
    RecordProperty("hold_burnt_kg_at_" + std::to_string(stepLength), std::to_string(burnt()));
  }
}

// A trim of all three axes from 0.7 m/s relative to the beacon.
TEST_F(TimeAcceleration, TrimMatchesAtEveryStepForTheSamePropellant) {
  double reference = 0.0;  // [kg] burnt at 50 Hz
  for (const double stepLength : kSteps) {
    SCOPED_TRACE("step " + std::to_string(stepLength) + " s");
    build(stepLength);
    ASSERT_TRUE(world->pressKey(0, 4));     // target-relative mode: the beacon
    const VECTOR3 start{0.3, -0.4, 0.469};  // [m/s] 0.7 m/s relative
    vessel().velocity = start;
    fly(1.0);                             // a refresh sees it
    ASSERT_TRUE(world->pressKey(0, 76));  // TRA
    ASSERT_EQ(mfd->trimActive, 1u);
    fly(3000.0);

    EXPECT_EQ(mfd->trimActive, 0u);
    const double relSpeed = length(vessel().velocity);  // the beacon is at rest [m/s]
    EXPECT_LT(relSpeed, 0.01);
    EXPECT_LT(relSpeed, length(start));
    if (stepLength == kSteps[0]) reference = burnt();
    EXPECT_LT(burnt(), 1.5 * reference);
    RecordProperty("trim_burnt_kg_at_" + std::to_string(stepLength), std::to_string(burnt()));
  }
}

}  // namespace
