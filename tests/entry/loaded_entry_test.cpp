// The entry page of the real libgyrelle.so on an orbit whose prediction does
// not converge: undefined, not a crossing far off the interface.
#include <gtest/gtest.h>

#include "mfd/page_fixture.h"
#include "support/world_fixture.h"

namespace {

class LoadedEntry : public gyrelle_test::WorldFixture {};

TEST_F(LoadedEntry, ANonConvergedPredictionShowsUndefined) {
  halcyra::Vessel* v = world->vessel(vessel);
  v->position = VECTOR3{23191540.109274104, 0, 0};  // [m] from Earth's centre
  v->velocity = VECTOR3{-130.63943582948303, 24.227290712110385, 0};
  const size_t screen = loadModuleWithScreen();
  ASSERT_TRUE(world->pressKey(screen, 5));  // mode 4
  EXPECT_TRUE(gyrelle_test::hasText(world->redraw(screen), 5, 40, "Entry Interface Undefined",
                                    gyrelle_test::kGreen));
}

}  // namespace
