// The reference attitudes of the four modes and the target-relative
// quantities, on an instance constructed in the test with a world installed.
#include "reference/reference_frames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "mfd/gyrelle_mfd.h"
#include "state/module_state.h"
#include "support/instance_fixture.h"
#include "targets/target_relative.h"

namespace {

using gyrelle_test::kEarthMu;
using gyrelle_test::kOrbitRadius;

constexpr double kPi = 3.14159265358979;
constexpr double kTolerance = 1e-9;
constexpr RefMode kAllModes[] = {RefMode::kUserAttitude, RefMode::kVelocity,
                                 RefMode::kTargetRelative, RefMode::kEntryInterface};

void expectNear(const VECTOR3& actual, const VECTOR3& expected, double tolerance = kTolerance) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

class ReferenceFrames : public gyrelle_test::InstanceFixture {
 protected:
  // A vessel in a circular orbit r = (R, 0, 0), v = (0, 0, V), focused, with its instance.
  GyrelleMFD& circularOrbit(const VECTOR3& orientation) {
    halcyra::VesselSpec spec;
    spec.name = "Circle";
    spec.body = "Earth";
    spec.position = VECTOR3{kOrbitRadius, 0.0, 0.0};
    spec.velocity = VECTOR3{0.0, 0.0, orbitalSpeed};
    spec.orientation = orientation;
    ship = world->addVessel(spec);
    world->setFocus(ship);
    mfd = std::make_unique<GyrelleMFD>(256, 280, world->vessel(ship)->iface.get());
    return *mfd;
  }
  halcyra::ObjectId addTarget(const VECTOR3& offset, const VECTOR3& velocity) {
    halcyra::VesselSpec spec;
    spec.name = "Target";
    spec.body = "Earth";
    spec.position = VECTOR3{kOrbitRadius, 0.0, 0.0} + offset;
    spec.velocity = velocity;
    return world->addVessel(spec);
  }

  const double orbitalSpeed = std::sqrt(kEarthMu / kOrbitRadius);  // [m/s]
  halcyra::ObjectId ship = 0;
};

TEST_F(ReferenceFrames, VelocityFrameOfACircularOrbit) {
  GyrelleMFD& m = circularOrbit(VECTOR3{0.0, 0.0, 0.0});
  m.refMode = RefMode::kVelocity;
  enterReferenceMode(m, RefMode::kVelocity);
  // z along v = (0, 0, 1), x along r x v = (0, -1, 0), y radial (1, 0, 0).
  expectNear(m.refAttitude, VECTOR3{0.0, 0.0, kPi / 2});
  m.refAttitude = VECTOR3{1.0, 1.0, 1.0};
  refreshReference(m);
  expectNear(m.refAttitude, VECTOR3{0.0, 0.0, kPi / 2});
}

TEST_F(ReferenceFrames, VesselAlignedWithItsVelocityFrameReadsZero) {
  GyrelleMFD& m = circularOrbit(VECTOR3{0.0, 0.0, kPi / 2});  // nose along v, +y radial
  m.refMode = RefMode::kVelocity;
  enterReferenceMode(m, RefMode::kVelocity);
  expectNear(m.attDeviation, VECTOR3{0.0, 0.0, 0.0}, 1e-6);
}

TEST_F(ReferenceFrames, UserReferenceIsTheOrientationOfTheLastRefresh) {
  GyrelleMFD& m = circularOrbit(VECTOR3{0.3, -0.2, 1.0});
  m.refMode = RefMode::kVelocity;
  enterReferenceMode(m, RefMode::kVelocity);
  m.refMode = RefMode::kUserAttitude;
  enterReferenceMode(m, RefMode::kUserAttitude);
  expectNear(m.refAttitude, m.status.orientation);
  expectNear(m.status.orientation, VECTOR3{0.3, -0.2, 1.0}, 1e-9);
  expectNear(m.attDeviation, VECTOR3{0.0, 0.0, 0.0}, 1e-6);
}

TEST_F(ReferenceFrames, TargetRelativeWorkedExample) {
  GyrelleMFD& m = circularOrbit(VECTOR3{0.0, 0.0, 0.0});  // vessel axes = global axes
  const halcyra::ObjectId target =
      addTarget(VECTOR3{100.0, 0.0, 100.0}, VECTOR3{0.0, 0.0, orbitalSpeed + 10.0});
  m.refAttitude = VECTOR3{0.1, 0.2, 0.3};
  m.attOffset = VECTOR3{0.5, 0.5, 0.5};  // not used in this mode
  m.refMode = RefMode::kTargetRelative;
  m.targetHandle = halcyra::toHandle(target);
  updateTargetRelative(m);
  expectNear(m.targetRelPos, VECTOR3{100.0, 0.0, 100.0}, 1e-6);
  expectNear(m.attDeviation, VECTOR3{0.0, kPi / 4, 0.0}, 1e-9);
  expectNear(m.targetRelVel, VECTOR3{0.0, 0.0, -10.0}, 1e-6);
  EXPECT_NEAR(m.rangeRate, -5.0 * std::sqrt(2.0), 1e-6);
  expectNear(m.refAttitude, VECTOR3{0.1, 0.2, 0.3}, 0.0);  // left as the previous mode left it

  m.targetRelPos = VECTOR3{0.0, 0.0, 0.0};
  m.refreshTimer = 0.0;
  m.stepUpdate(0.3);  // the periodic refresh computes the same
  expectNear(m.targetRelPos, VECTOR3{100.0, 0.0, 100.0}, 1e-6);
  EXPECT_NEAR(m.rangeRate, -5.0 * std::sqrt(2.0), 1e-6);
}

TEST_F(ReferenceFrames, NoTargetLeavesNoFigures) {
  GyrelleMFD& m = circularOrbit(VECTOR3{0.0, 0.0, 0.0});
  m.refMode = RefMode::kTargetRelative;
  m.targetHandle = nullptr;
  m.targetRelPos = VECTOR3{1.0, 2.0, 3.0};
  m.targetRelVel = VECTOR3{4.0, 5.0, 6.0};
  m.rangeRate = 7.0;
  m.attDeviation = VECTOR3{0.1, 0.2, 0.3};
  updateTargetRelative(m);
  expectNear(m.targetRelPos, VECTOR3{0.0, 0.0, 0.0}, 0.0);
  expectNear(m.targetRelVel, VECTOR3{0.0, 0.0, 0.0}, 0.0);
  expectNear(m.attDeviation, VECTOR3{0.0, 0.0, 0.0}, 0.0);
  EXPECT_EQ(m.rangeRate, 0.0);

  m.attDeviation = VECTOR3{0.1, 0.2, 0.3};
  refreshReference(m);
  expectNear(m.attDeviation, VECTOR3{0.0, 0.0, 0.0}, 0.0);
}

TEST_F(ReferenceFrames, EntryModeWithoutPredictionKeepsTheLastReference) {
  GyrelleMFD& m = circularOrbit(VECTOR3{0.0, 0.0, 0.0});  // never reaches the interface
  m.refMode = RefMode::kEntryInterface;
  m.refAttitude = VECTOR3{0.1, 0.2, 0.3};
  m.attDeviation = VECTOR3{0.4, 0.5, 0.6};
  m.entryPrediction.valid = true;
  enterReferenceMode(m, RefMode::kEntryInterface);
  EXPECT_FALSE(m.entryPrediction.valid);
  expectNear(m.refAttitude, VECTOR3{0.1, 0.2, 0.3}, 0.0);
  expectNear(m.attDeviation, VECTOR3{0.4, 0.5, 0.6}, 0.0);
  refreshReference(m);
  expectNear(m.refAttitude, VECTOR3{0.1, 0.2, 0.3}, 0.0);
  expectNear(m.attDeviation, VECTOR3{0.4, 0.5, 0.6}, 0.0);
}

TEST_F(ReferenceFrames, NothingHappensWithoutAFocusVessel) {
  GyrelleMFD& m = circularOrbit(VECTOR3{0.0, 0.0, 0.0});
  m.targetHandle = halcyra::toHandle(addTarget(VECTOR3{100.0, 0.0, 0.0}, VECTOR3{0.0, 0.0, 0.0}));
  m.refAttitude = VECTOR3{0.1, 0.2, 0.3};
  m.attDeviation = VECTOR3{0.4, 0.5, 0.6};
  m.targetRelPos = VECTOR3{1.0, 2.0, 3.0};
  VESSEL* saved = moduleState.focusVessel;
  moduleState.focusVessel = nullptr;
  for (RefMode mode : kAllModes) {
    m.refMode = mode;
    enterReferenceMode(m, mode);
    refreshReference(m);
  }
  captureUserReference(m);
  refreshUserReference(m);
  buildVelocityReference(m);
  updateTargetRelative(m);
  buildEntryReference(m);
  moduleState.focusVessel = saved;
  expectNear(m.refAttitude, VECTOR3{0.1, 0.2, 0.3}, 0.0);
  expectNear(m.attDeviation, VECTOR3{0.4, 0.5, 0.6}, 0.0);
  expectNear(m.targetRelPos, VECTOR3{1.0, 2.0, 3.0}, 0.0);
}

}  // namespace

namespace {

// A mode chosen between two refreshes: the vessel has flown on since the last
// one, and the deviations must not mistake that distance for an attitude.
TEST_F(ReferenceFrames, ModeChosenBetweenRefreshesUsesThePositionOfThatMoment) {
  GyrelleMFD& m = circularOrbit(VECTOR3{0.0, 0.0, kPi / 2});  // aligned with its velocity frame
  for (int i = 0; i < 10; ++i) world->step(0.02);             // 0.2 s, ~1.5 km, no refresh
  for (RefMode mode : {RefMode::kUserAttitude, RefMode::kVelocity}) {
    m.refMode = mode;
    enterReferenceMode(m, mode);
    expectNear(m.attDeviation, VECTOR3{0.0, 0.0, 0.0}, 1e-3);
  }
}

}  // namespace
