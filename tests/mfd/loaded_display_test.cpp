// The pages as the host records them from the real libgyrelle.so, with the
// state set through keys.
#include <gtest/gtest.h>

#include "mfd/page_fixture.h"

namespace {

using gyrelle_test::hasText;
using gyrelle_test::kCyan;
using gyrelle_test::kGreen;
using gyrelle_test::kGrey;
using gyrelle_test::kRed;
using gyrelle_test::kWhite;

class LoadedDisplay : public gyrelle_test::WorldFixture {};

TEST_F(LoadedDisplay, AttitudePageOnTwoScreenSizes) {
  world->vessel(vessel)->angVel = VECTOR3{0.0, 0.0, -0.02};  // [rad/s]
  const size_t small = loadModuleWithScreen(256, 280);
  const size_t tall = loadModuleWithScreen(300, 420);  // lineHeight 15
  {
    const auto& ops = world->redraw(small);
    EXPECT_TRUE(hasText(ops, 5, 0, "Gyrelle V3.0", kGrey));
    EXPECT_TRUE(hasText(ops, 5, 20, "Ref Mode:", kGreen));
    EXPECT_TRUE(hasText(ops, 90, 20, "Attitude", kWhite));
    EXPECT_TRUE(hasText(ops, 5, 60, "Set Pitch", kGreen));
    EXPECT_TRUE(hasText(ops, 5, 110, "Pitch:", kGreen));
    EXPECT_TRUE(hasText(ops, 5, 120, "Yaw:", kGreen));
    EXPECT_TRUE(hasText(ops, 5, 130, "Roll:", kGreen));
    EXPECT_TRUE(hasText(ops, 200, 130, "-1.15", kGreen));
    EXPECT_TRUE(hasText(ops, 10, 172, "Pitch", kWhite));
  }
  {
    const auto& ops = world->redraw(tall);
    EXPECT_TRUE(hasText(ops, 5, 0, "Gyrelle V3.0", kGrey));
    EXPECT_TRUE(hasText(ops, 90, 30, "Attitude", kWhite));
    EXPECT_TRUE(hasText(ops, 5, 165, "Pitch:", kGreen));
    EXPECT_TRUE(hasText(ops, 5, 195, "Roll:", kGreen));
    EXPECT_TRUE(hasText(ops, 10, 17 * 15 + 3, "Pitch", kWhite));
  }
}

TEST_F(LoadedDisplay, KeysChangeModeHoldColourAndHelp) {
  world->vessel(vessel)->angVel = VECTOR3{0.0, 0.0, -0.02};  // [rad/s]
  const size_t screen = loadModuleWithScreen();
  ASSERT_TRUE(world->pressKey(screen, 46));  // C: negative values in white
  EXPECT_TRUE(hasText(world->redraw(screen), 200, 130, "-1.15", kWhite));
  ASSERT_TRUE(world->pressKey(screen, 46));  // red
  EXPECT_TRUE(hasText(world->redraw(screen), 200, 130, "-1.15", kRed));

  ASSERT_TRUE(world->pressKey(screen, 3));   // mode 2
  ASSERT_TRUE(world->pressKey(screen, 35));  // hold on
  {
    const auto& ops = world->redraw(screen);
    EXPECT_TRUE(hasText(ops, 90, 20, "Velocity (Hold)", kWhite));
    EXPECT_TRUE(hasText(ops, 5, 30, "Velocity:", kGreen));
    EXPECT_TRUE(hasText(ops, 100, 30, "7.67k", kGreen));
    EXPECT_TRUE(hasText(ops, 5, 100, "Pitch:", kGreen));
    EXPECT_TRUE(hasText(ops, 10, 172, "Pitch", kWhite));
  }
  ASSERT_TRUE(world->pressKey(screen, 82));  // help
  {
    const auto& ops = world->redraw(screen);
    EXPECT_TRUE(hasText(ops, 5, 20, "Gyrelle Version 3.0 (050615)", kWhite));
    EXPECT_TRUE(hasText(ops, 5, 260, "Press any button or key: next page", kCyan));
  }
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(world->pressKey(screen, 57));
  EXPECT_TRUE(hasText(world->redraw(screen), 5, 260, "Press any button or key: Resume MFD", kCyan));
  ASSERT_TRUE(world->pressKey(screen, 57));
  EXPECT_TRUE(hasText(world->redraw(screen), 90, 20, "Velocity (Hold)", kWhite));
}

}  // namespace
