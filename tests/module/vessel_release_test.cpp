// No vessel is left firing when the module stops controlling it, and a
// re-created instance flies on: through the real libgyrelle.so.
#include <gtest/gtest.h>

#include "mfd/page_fixture.h"
#include "support/flight_fixture.h"
#include "support/test_paths.h"

namespace {

using gyrelle_test::hasText;
using gyrelle_test::kGreen;
using gyrelle_test::kWhite;
using namespace gyrelle_test;  // scan codes

class VesselRelease : public FlightFixture {
 protected:
  // A vessel left to itself with no level in force burns nothing.
  void expectLeftAlone(halcyra::ObjectId id, double seconds) {
    EXPECT_EQ(firing(id), 0.0);
    const double before = propellant(id);
    fly(seconds);
    EXPECT_EQ(propellant(id), before) << "burned while nobody controls it";
    EXPECT_EQ(firing(id), 0.0);
  }
};

TEST_F(VesselRelease, ModeSwitchStopsTheHoldAndTrimLevels) {
  const size_t screen = loadModuleWithScreen();
  addDriftingTarget();
  holdAndTrimOnTarget(screen);
  fly(2.0);
  ASSERT_GT(rotationFiring(vessel), 0.0) << "the hold should be turning the vessel";
  ASSERT_GT(firing(vessel) - rotationFiring(vessel), 0.0) << "the trim should be firing";
  ASSERT_TRUE(world->setScreenMode(screen, "none"));  // the instance is destroyed
  expectLeftAlone(vessel, 300.0);
}

TEST_F(VesselRelease, SlotLossStopsTheLevelsOfTheInstanceThatLostIt) {
  loadModuleWithScreen();
  const size_t flying = loadModuleWithScreen();  // slot 1
  addDriftingTarget();
  holdAndTrimOnTarget(flying);
  fly(2.0);
  ASSERT_GT(firing(vessel), 0.0);
  loadModuleWithScreen();  // a third screen takes slot 1
  expectLeftAlone(vessel, 300.0);
  // Nobody flies its hold any more, so it no longer shows one.
  EXPECT_TRUE(hasText(world->redraw(flying), 90, 20, "Target Relative", kWhite));
}

TEST_F(VesselRelease, DestroyingAnUnslottedInstanceLeavesTheOthersFlying) {
  loadModuleWithScreen();
  const size_t unslotted = loadModuleWithScreen();
  const size_t flying = loadModuleWithScreen();  // takes slot 1 from `unslotted`
  addDriftingTarget();
  holdAndTrimOnTarget(flying);
  fly(2.0);
  ASSERT_GT(firing(vessel), 0.0);
  ASSERT_TRUE(world->setScreenMode(unslotted, "none"));
  const double before = propellant(vessel);
  fly(2.0);
  EXPECT_LT(propellant(vessel), before) << "the slotted instance lost its steps";
}

// The trim and the target-relative hold were set up against the old vessel's
// motion: neither follows the focus to the chaser.
TEST_F(VesselRelease, FocusChangeEndsTheTrimAndTargetHold) {
  const size_t screen = loadModuleWithScreen();
  addDriftingTarget();
  const halcyra::ObjectId chaser = addVessel("Chaser", VECTOR3{kOrbitRadius, 0.0, -400.0});
  holdAndTrimOnTarget(screen);
  fly(2.0);
  ASSERT_GT(firing(vessel), 0.0);
  ASSERT_TRUE(world->setFocus(chaser));
  expectLeftAlone(vessel, 120.0);
  expectLeftAlone(chaser, 1.0);
  EXPECT_TRUE(hasText(world->redraw(screen), 90, 20, "Target Relative", kWhite));
}

TEST_F(VesselRelease, OpeningTheModeLeavesEveryLevelAsItWas) {
  loader = std::make_unique<halcyra::ModuleLoader>(testsupport::envPath("GYRELLE_MODULE_PATH"));
  VESSEL& v = focus();
  v.SetAttitudeRotLevel(VECTOR3{0.5, -0.25, 0.125});
  v.SetAttitudeLinLevel(VECTOR3{-0.5, 0.75, 0.25});
  v.SetEngineLevel(ENGINE_MAIN, 0.3);
  v.SetEngineLevel(ENGINE_RETRO, 0.2);
  v.SetEngineLevel(ENGINE_HOVER, 0.1);
  const auto before = world->vessel(vessel)->groupLevel;
  loadModuleWithScreen();
  EXPECT_EQ(world->vessel(vessel)->groupLevel, before);
}

// --- A re-created instance flies on ---------------------------------------

TEST_F(VesselRelease, TrimContinuesAcrossARebuild) {
  const size_t screen = loadModuleWithScreen();
  addDriftingTarget();
  ASSERT_TRUE(world->pressKey(screen, kScan3));
  ASSERT_TRUE(world->pressKey(screen, kScanPad5));
  fly(0.5);
  ASSERT_GT(firing(vessel), 0.0);
  world->rebuildScreens();
  fly(0.1);
  EXPECT_GT(firing(vessel), 0.0) << "the restored trim ended at its first step";
  EXPECT_TRUE(hasText(world->redraw(screen), 5, 80, "Lateral", kWhite));  // highlighted: trimming
}

TEST_F(VesselRelease, EntryHoldContinuesAcrossARebuild) {
  // Slower than circular: the orbit's periapsis lies below the interface.
  world->vessel(vessel)->velocity = VECTOR3{0.0, 7000.0, 0.0};
  world->vessel(vessel)->angVel = VECTOR3{0.01, 0.0, 0.0};  // [rad/s]
  const size_t screen = loadModuleWithScreen();
  ASSERT_TRUE(world->pressKey(screen, kScan4));
  ASSERT_TRUE(world->pressKey(screen, kScanH));
  fly(0.5);
  ASSERT_TRUE(hasText(world->redraw(screen), 90, 20, "Entry Interface (Hold)", kWhite));
  world->rebuildScreens();
  fly(0.5);
  EXPECT_TRUE(hasText(world->redraw(screen), 90, 20, "Entry Interface (Hold)", kWhite));
  EXPECT_GT(rotationFiring(vessel), 0.0) << "the restored hold should be turning the vessel";
}

}  // namespace
