// Worlds with static storage end at process exit, after the host's own
// module-wide lists would have: the exit must still be clean.
#include <gtest/gtest.h>

#include <cstdlib>

#include "host/world.h"
#include "support/test_paths.h"

namespace {

// Two worlds in static storage, each with vessels, one with a screen showing
// the module, then a normal exit that runs their destructors.
[[noreturn]] void exitWithTwoStaticWorlds() {
  static halcyra::World first;
  static halcyra::World second;
  for (halcyra::World* w : {&first, &second}) {
    halcyra::World::install(w);
    w->addBody("Earth", 3.986e14, 6371010.0, VECTOR3{0, 0, 0});
    for (const char* name : {"Gyre-1", "Gyre-2", "Gyre-3"}) {  // enough to grow the lists
      halcyra::VesselSpec spec;
      spec.name = name;
      spec.body = "Earth";
      spec.position = VECTOR3{6771010.0, 0, 0};
      w->setFocus(w->addVessel(spec));
    }
  }
  static halcyra::ModuleLoader module(testsupport::envPath("GYRELLE_MODULE_PATH"));
  const size_t screen = second.addScreen(256, 280);
  if (!second.setScreenMode(screen, "Gyrelle")) std::exit(3);
  std::exit(0);
}

TEST(StaticWorlds, TwoWorldsWithStaticStorageExitCleanly) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(exitWithTwoStaticWorlds(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
