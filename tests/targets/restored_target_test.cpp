// Through the real libgyrelle.so: a target saved with a destroyed instance that
// has left the world by the time the next instance restores it.
#include <gtest/gtest.h>

#include "mfd/gyrelle_mfd.h"
#include "support/world_fixture.h"

namespace {

using gyrelle_test::kOrbitRadius;
using gyrelle_test::WorldFixture;

class RestoredTarget : public WorldFixture {};

TEST_F(RestoredTarget, GoneTargetIsDroppedAtTheRestoringRefresh) {
  const halcyra::ObjectId tender = addVessel("Tender", VECTOR3{kOrbitRadius, 0, 150});
  const size_t screen = loadModuleWithScreen();
  ASSERT_TRUE(world->pressKey(screen, 4));  // target-relative mode: the closest object
  auto* mfd = static_cast<GyrelleMFD*>(world->screen(screen).instance);
  ASSERT_EQ(halcyra::toId(mfd->targetHandle), tender);
  ASSERT_TRUE(world->pressKey(screen, 76));  // TRA
  ASSERT_EQ(mfd->trimActive, 1u);

  ASSERT_TRUE(world->setScreenMode(screen, "none"));  // saves mode 3, the target, the trim
  ASSERT_TRUE(world->deleteObject(tender));
  ASSERT_TRUE(world->setScreenMode(screen, "Gyrelle"));
  mfd = static_cast<GyrelleMFD*>(world->screen(screen).instance);
  EXPECT_EQ(mfd->refMode, RefMode::kTargetRelative);
  EXPECT_EQ(mfd->targetHandle, nullptr);
  EXPECT_STREQ(mfd->targetName, "");
  EXPECT_EQ(mfd->trimActive, 0u);
  EXPECT_EQ(mfd->rangeRate, 0.0);
  loader->postStep(0.0, 0.3, 0.0);  // another refresh with no target
  EXPECT_EQ(mfd->targetHandle, nullptr);

  // The next command finds a target again.
  ASSERT_TRUE(world->pressKey(screen, 57));           // CLT
  EXPECT_EQ(halcyra::toId(mfd->targetHandle), base);  // 400 km below
}

}  // namespace
