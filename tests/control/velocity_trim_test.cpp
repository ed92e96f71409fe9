// Velocity trim: the per-axis laws, engine take-over, and how trims start and end.
#include "control/velocity_trim.h"

#include "control/attitude_hold.h"
#include "control_world.h"
#include "targets/target_commands.h"

namespace {

using control_test::ControlWorld;
using control_test::kShortStep;

class Trim : public ControlWorld {
 protected:
  void SetUp() override {
    ControlWorld::SetUp();
    ship = addVessel("Ship", {});
    focusWithInstance(ship);
    mfd->refMode = RefMode::kTargetRelative;
    mfd->vesselMass = 10000.0;  // [kg]
    for (double& f : moduleState.control.linearThrust) f = 2000.0;
    moduleState.control.engineThrust[ENGINE_MAIN] = 100000.0;
    moduleState.control.engineThrust[ENGINE_RETRO] = 50000.0;
    moduleState.control.engineThrust[ENGINE_HOVER] = 0.0;
  }
  void fly(int32_t selection, VECTOR3 relVel, double stepLength = kShortStep) {
    mfd->trimActive = 1;
    mfd->trimSelection = selection;
    mfd->targetRelVel = relVel;
    trimStep(*mfd, stepLength);
  }
  halcyra::ObjectId ship = 0;
};

// A step longer than a second removes the velocity within the step, so the
// level shrinks with it and an engine takes over only where the RCS would
// need three times its thrust for the whole step.
TEST_F(Trim, LongStepsRemoveTheVelocityWithinTheStep) {
  struct Case {
    double step;  // [s]
    double vz;    // [m/s]
    double rcs, main, retro;
  };
  const Case cases[] = {
      {1.0, -0.1, 0.5, 0.0, 0.0},                                  // the one-second law
      {0.5, -0.1, 0.5, 0.0, 0.0},                                  // shorter steps keep it
      {10.0, -0.1, 0.05, 0.0, 0.0},  {10.0, -2.0, 1.0, 0.0, 0.0},  // L = 1: still the RCS
      {2.0, -2.0, 0.0, 0.1, 0.0},     // L = 5: the main engine, over two seconds
      {100.0, 80.0, 0.0, 0.0, 0.16},  // L = -4: the retro engine
  };
  for (const Case& c : cases) {
    fly(TRIM_FORE_AFT, VECTOR3{0, 0, c.vz}, c.step);
    EXPECT_DOUBLE_EQ(linLevel(ship, 2), c.rcs) << c.step << " s, " << c.vz << " m/s";
    EXPECT_DOUBLE_EQ(engineLevel(ship, ENGINE_MAIN), c.main) << c.step << " s";
    EXPECT_DOUBLE_EQ(engineLevel(ship, ENGINE_RETRO), c.retro) << c.step << " s";
  }
}

TEST_F(Trim, MainEngineTakesLargeForwardCorrections) {
  fly(TRIM_FORE_AFT, VECTOR3{0, 0, -2.0});  // RCS would need level 10
  EXPECT_DOUBLE_EQ(engineLevel(ship, ENGINE_MAIN), 0.2);
  EXPECT_EQ(linLevel(ship, 2), 0.0);
  EXPECT_EQ(mfd->trimActive, 1u);
}

TEST_F(Trim, RetroEngineTakesLargeAftCorrections) {
  fly(TRIM_FORE_AFT, VECTOR3{0, 0, 2.0});
  EXPECT_DOUBLE_EQ(engineLevel(ship, ENGINE_RETRO), 0.4);
  EXPECT_EQ(engineLevel(ship, ENGINE_MAIN), 0.0);
  EXPECT_EQ(linLevel(ship, 2), 0.0);
}

TEST_F(Trim, WithoutRetroTheRcsGivesFullAftThrust) {
  moduleState.control.engineThrust[ENGINE_RETRO] = 0.0;
  fly(TRIM_FORE_AFT, VECTOR3{0, 0, 2.0});
  EXPECT_EQ(linLevel(ship, 2), -1.0);
  EXPECT_EQ(engineLevel(ship, ENGINE_RETRO), 0.0);
}

TEST_F(Trim, HoverTakesOverOnlyBeyondThreeTimesTheRcs) {
  moduleState.control.engineThrust[ENGINE_HOVER] = 100000.0;
  moduleState.control.linearThrust[1] = 2500.0;
  fly(TRIM_VERTICAL, VECTOR3{0, -0.75, 0});  // L exactly 3
  EXPECT_EQ(linLevel(ship, 1), 1.0);
  EXPECT_EQ(engineLevel(ship, ENGINE_HOVER), 0.0);
  fly(TRIM_VERTICAL, VECTOR3{0, -0.8, 0});
  EXPECT_EQ(linLevel(ship, 1), 0.0);
  EXPECT_DOUBLE_EQ(engineLevel(ship, ENGINE_HOVER), 0.08);
  // Downward corrections never use the hover engine.
  fly(TRIM_VERTICAL, VECTOR3{0, 0.8, 0});
  EXPECT_EQ(linLevel(ship, 1), -1.0);
  EXPECT_EQ(engineLevel(ship, ENGINE_HOVER), 0.0);
}

TEST_F(Trim, OnlyTheAxesOffTheirMatchAreFlownAndTheTrimEndsByItself) {
  fly(TRIM_ALL, VECTOR3{0.0005, -0.002, 0.001});
  EXPECT_EQ(mfd->trimActive, 1u);
  EXPECT_DOUBLE_EQ(linLevel(ship, 1), 0.01);
  EXPECT_EQ(linLevel(ship, 0), 0.0);
  EXPECT_EQ(linLevel(ship, 2), 0.0);
  mfd->targetRelVel.y = 0.001;  // exactly at the threshold counts as matched
  trimStep(*mfd, kShortStep);
  EXPECT_EQ(mfd->trimActive, 0u);
  for (int axis = 0; axis < 3; ++axis) EXPECT_EQ(linLevel(ship, axis), 0.0);
}

TEST_F(Trim, CommandsActOnlyInTargetRelativeMode) {
  mfd->refMode = RefMode::kUserAttitude;
  trimCommand(*mfd, TRIM_ALL);
  EXPECT_EQ(mfd->trimActive, 0u);
  EXPECT_EQ(mfd->trimSelection, 0);
}

TEST_F(Trim, SameCommandTwiceStopsWithEverythingAtZero) {
  trimCommand(*mfd, TRIM_ALL);
  ASSERT_EQ(mfd->trimActive, 1u);
  mfd->targetRelVel = VECTOR3{0.5, 0.5, -2.0};
  controlStep(*mfd, kShortStep);
  ASSERT_GT(engineLevel(ship, ENGINE_MAIN), 0.0);
  trimCommand(*mfd, TRIM_ALL);
  EXPECT_EQ(mfd->trimActive, 0u);
  for (int axis = 0; axis < 3; ++axis) {
    EXPECT_EQ(linLevel(ship, axis), 0.0);
    EXPECT_EQ(engineLevel(ship, axis), 0.0);
  }
}

TEST_F(Trim, OtherCommandStopsTheRunningTrimAndArmsItsOwn) {
  trimCommand(*mfd, TRIM_ALL);
  mfd->targetRelVel = VECTOR3{0.1, 0.1, 0.1};
  controlStep(*mfd, kShortStep);
  trimCommand(*mfd, TRIM_VERTICAL);
  EXPECT_EQ(mfd->trimActive, 0u);
  EXPECT_EQ(mfd->trimSelection, TRIM_VERTICAL);
  EXPECT_EQ(linLevel(ship, 0), 0.0);
  trimCommand(*mfd, TRIM_VERTICAL);
  EXPECT_EQ(mfd->trimActive, 1u);
  controlStep(*mfd, kShortStep);
  EXPECT_NE(linLevel(ship, 1), 0.0);
  EXPECT_EQ(linLevel(ship, 0), 0.0);
  EXPECT_EQ(linLevel(ship, 2), 0.0);
}

TEST_F(Trim, EnteringTargetModeAgainStopsTheEngines) {
  halcyra::VesselSpec spec;
  spec.name = "Tender";
  spec.vesselClass = "none";
  spec.body = "Earth";
  spec.position = VECTOR3{1200, 0, 0};
  world->addVessel(spec);
  fly(TRIM_FORE_AFT, VECTOR3{0, 0, -2.0});
  ASSERT_GT(engineLevel(ship, ENGINE_MAIN), 0.0);
  enterTargetMode(*mfd);
  EXPECT_EQ(mfd->trimActive, 0u);
  EXPECT_EQ(engineLevel(ship, ENGINE_MAIN), 0.0);
}

TEST_F(Trim, NonFiniteInputsSendNoLevel) {
  for (double& f : moduleState.control.linearThrust) f = 0.0;
  mfd->vesselMass = 0.0;  // 0 * v / 0
  fly(TRIM_LATERAL, VECTOR3{1.0, 0, 0});
  EXPECT_EQ(linLevel(ship, 0), 0.0);
  // No thrust at all but mass: full level in the needed sense.
  mfd->vesselMass = 1000.0;
  fly(TRIM_LATERAL, VECTOR3{1.0, 0, 0});
  EXPECT_EQ(linLevel(ship, 0), -1.0);
}

}  // namespace
