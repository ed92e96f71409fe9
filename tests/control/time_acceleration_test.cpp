// The hold and the trim under time acceleration: the real libgyrelle.so flying
// the "generic" vessel in the stand-in host at host steps from 50 Hz to 100 s.
// A level holds for a whole step, so what a 50 Hz law does in a fraction of a
// second a long step does many times over; the laws must neither burn the
// tanks dry nor leave the vessel turning or drifting faster than it started.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "axis_angle.h"
#include "host/frames.h"
#include "host/world.h"
#include "mfd/gyrelle_mfd.h"

namespace {

using control_test::axisAngle;
using halcyra::length;
using halcyra::orientationMatrix;

constexpr double kRadPerDeg = 0.017453292519943278;
constexpr double kSteps[] = {0.02, 0.5, 1.0, 2.0, 10.0, 100.0};  // host steps [s]

// A world without noticeable gravity: a body of mu 1 m^3/s^2 far away, the
// vessel and a beacon 1 km apart, the focus on the vessel, one screen.
class TimeAcceleration : public ::testing::Test {
 protected:
  void build(double stepLength) {
    step = stepLength;
    steps = 0;
    loader.reset();
    world = std::make_unique<halcyra::World>();
    halcyra::World::install(world.get());
    world->addBody("Earth", 1.0, 1.0, VECTOR3{0, 0, 0});
    halcyra::VesselSpec spec;
    spec.name = "Gyre";
    spec.body = "Earth";
    spec.position = VECTOR3{1.0e7, 0, 0};
    ship = world->addVessel(spec);
    halcyra::VesselSpec beacon;
    beacon.name = "Beacon";
    beacon.vesselClass = "none";
    beacon.body = "Earth";
    beacon.position = VECTOR3{1.0e7, 0, 1000.0};
    world->addVessel(beacon);
    world->setFocus(ship);
    loader = std::make_unique<halcyra::ModuleLoader>(GYRELLE_MODULE_PATH);
    world->addScreen(256, 280);
    ASSERT_TRUE(world->setScreenMode(0, "Gyrelle"));
    mfd = static_cast<GyrelleMFD*>(world->screen(0).instance);
  }
  void TearDown() override {
    loader.reset();
    world.reset();
    halcyra::World::install(nullptr);
  }
  void fly(double seconds) {
    const long last = steps + std::lround(seconds / step);
    while (steps < last) {
      ASSERT_EQ(world->step(step), 0u) << "state no longer finite at " << steps * step << " s";
      ++steps;
      loader->postStep(double(steps) * step, step, 0.0);
    }
  }
  halcyra::Vessel& vessel() { return *world->vessel(ship); }
  double burnt() const { return 4000.0 - world->vessel(ship)->propellant; }  // [kg]

  std::unique_ptr<halcyra::World> world;
  std::unique_ptr<halcyra::ModuleLoader> loader;
  GyrelleMFD* mfd = nullptr;
  halcyra::ObjectId ship = 0;
  double step = 0.0;  // [s]
  long steps = 0;
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
