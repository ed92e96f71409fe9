// The entry page of the real libgyrelle.so on an orbit whose prediction does
// not converge: undefined, not a crossing far off the interface.
#include <gtest/gtest.h>

#include "mfd/page_fixture.h"
#include "non_converging_orbit.h"
#include "support/world_fixture.h"

namespace {

class LoadedEntry : public gyrelle_test::WorldFixture {};

TEST_F(LoadedEntry, ANonConvergedPredictionShowsUndefined) {
  const auto orbit = gyrelle_test::nonConvergingOrbit(gyrelle_test::kEarthMu, 6470000.0);
  ASSERT_TRUE(orbit.has_value()) << "no state near the searched one fails to converge";
  halcyra::Vessel* v = world->vessel(vessel);
  world->setPosition(*v, orbit->pos);  // from Earth's centre, which is at the origin
  v->velocity = orbit->vel;
  const size_t screen = loadModuleWithScreen();
  ASSERT_TRUE(world->pressKey(screen, 5));  // mode 4
  EXPECT_TRUE(gyrelle_test::hasText(world->redraw(screen), 5, 40, "Entry Interface Undefined",
                                    gyrelle_test::kGreen));
}

}  // namespace
