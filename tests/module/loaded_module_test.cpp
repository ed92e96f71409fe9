// The module as the host sees it: the real module library loaded by the
// stand-in host's loader.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "mfd/gyrelle_mfd.h"
#include "platform/library.h"
#include "support/test_paths.h"
#include "support/world_fixture.h"

namespace {

using gyrelle_test::WorldFixture;

class LoadedModule : public WorldFixture {};

TEST_F(LoadedModule, RegistersItsModeUnderItsNameAndKey) {
  loader = std::make_unique<halcyra::ModuleLoader>(testsupport::envPath("GYRELLE_MODULE_PATH"));
  ASSERT_EQ(world->modes().size(), 1u);
  EXPECT_EQ(world->modes()[0].name, "Gyrelle");
  EXPECT_EQ(world->modes()[0].key, 22u);
}

TEST_F(LoadedModule, LoadsUnloadsAndLoadsAgainInOneProcess) {
  for (int round = 0; round < 2; ++round) {
    loader = std::make_unique<halcyra::ModuleLoader>(testsupport::envPath("GYRELLE_MODULE_PATH"));
    const size_t screen = world->addScreen(256, 280);
    ASSERT_TRUE(world->setScreenMode(screen, "Gyrelle"));
    loader->postStep(0.0, 0.3, 0.0);
    world->redraw(screen);
    loader->unload();
    EXPECT_TRUE(world->modes().empty()) << "round " << round;
    EXPECT_EQ(world->screen(screen).instance, nullptr) << "round " << round;
  }
}

TEST_F(LoadedModule, UnloadingOneOfTwoLoadsLeavesTheOthersMode) {
  for (int first = 0; first < 2; ++first) {
    std::unique_ptr<halcyra::ModuleLoader> loads[2] = {
        std::make_unique<halcyra::ModuleLoader>(testsupport::envPath("GYRELLE_MODULE_PATH")),
        std::make_unique<halcyra::ModuleLoader>(testsupport::envPath("GYRELLE_MODULE_PATH"))};
    ASSERT_EQ(world->modes().size(), 1u);
    const size_t screen = world->addScreen(256, 280);
    ASSERT_TRUE(world->setScreenMode(screen, "Gyrelle"));
    loads[first]->unload();
    ASSERT_EQ(world->modes().size(), 1u) << "unloaded load " << first;
    EXPECT_NE(world->screen(screen).instance, nullptr);
    EXPECT_TRUE(world->setScreenMode(screen, "Gyrelle"));  // a new instance of the other load
    world->redraw(screen);
    loads[1 - first]->unload();
    EXPECT_TRUE(world->modes().empty());
    EXPECT_EQ(world->screen(screen).instance, nullptr);
  }
}

// A host may end its last load by closing the library alone: the library
// entry's detach then ends the module as ExitModule would, also after an
// earlier load went the full way (ExitModule, then detach).
TEST_F(LoadedModule, TheLastLoadClosedThroughTheLibraryEntryAloneTakesTheModeAway) {
  using EntryFn = void (*)(HINSTANCE);
  const std::string path = testsupport::envPath("GYRELLE_MODULE_PATH");
  HINSTANCE loads[2] = {};
  for (HINSTANCE& h : loads) {
    std::string error;
    h = openLibrary(path, error);
    ASSERT_NE(h, nullptr) << error;
    procAddress<EntryFn>(h, "InitModule")(h);
  }
  ASSERT_EQ(world->modes().size(), 1u);
  procAddress<EntryFn>(loads[0], "ExitModule")(loads[0]);
  closeLibrary(loads[0]);
  EXPECT_EQ(world->modes().size(), 1u) << "the second load's mode went with the first";
  closeLibrary(loads[1]);  // no ExitModule: the detach alone
  EXPECT_TRUE(world->modes().empty());
  // A mode left behind names code no longer loaded: gone before the world goes.
  std::vector<int> left;
  for (const auto& mode : world->modes()) left.push_back(mode.id);
  for (int id : left) world->unregisterMode(id);
}

TEST_F(LoadedModule, StepWithoutInstanceTouchesNothing) {
  loader = std::make_unique<halcyra::ModuleLoader>(testsupport::envPath("GYRELLE_MODULE_PATH"));
  focus().SetAttitudeRotLevel(VECTOR3{0.5, -0.25, 0.125});
  loader->postStep(0.0, 0.02, 0.0);
  loader->postStep(0.02, 0.5, 0.0);
  EXPECT_DOUBLE_EQ(focus().GetThrusterGroupLevel(THGROUP_PITCH_RAISE), 0.5);
  EXPECT_DOUBLE_EQ(focus().GetThrusterGroupLevel(THGROUP_YAW_LOWER), 0.25);
  EXPECT_DOUBLE_EQ(focus().GetThrusterGroupLevel(THGROUP_ROLL_RAISE), 0.125);
}

TEST_F(LoadedModule, MessagesOtherThanOpenCreateNothing) {
  loader = std::make_unique<halcyra::ModuleLoader>(testsupport::envPath("GYRELLE_MODULE_PATH"));
  const auto& mode = world->modes().at(0);
  const intptr_t vessel = reinterpret_cast<intptr_t>(&focus());
  EXPECT_EQ(mode.msgproc(0, mode.id, 256u | (280u << 16), vessel), 0);
  EXPECT_EQ(mode.msgproc(2, mode.id, 256u | (280u << 16), vessel), 0);
}

TEST_F(LoadedModule, VersionIsTheBuildDateComputedOnce) {
  loader = std::make_unique<halcyra::ModuleLoader>(testsupport::envPath("GYRELLE_MODULE_PATH"));
  const int before = halcyra::date2IntCalls();
  EXPECT_EQ(loader->moduleVersion(), 20050206);
  EXPECT_EQ(loader->moduleVersion(), 20050206);
  EXPECT_EQ(halcyra::date2IntCalls() - before, 1);
}

TEST_F(LoadedModule, FocusChangeMovesTheControlToTheNewVessel) {
  const size_t screen = loadModuleWithScreen();
  const halcyra::ObjectId tender = addVessel("Tender", VECTOR3{gyrelle_test::kOrbitRadius, 50, 0});
  ASSERT_TRUE(world->setFocus(tender));
  ASSERT_TRUE(world->pressKey(screen, 35));  // H: hold on, levels zeroed on the new focus
  world->vessel(tender)->iface->SetAttitudeRotLevel(VECTOR3{0.3, 0, 0});
  ASSERT_TRUE(world->pressKey(screen, 35));  // hold off again zeroes the new focus's levels
  EXPECT_DOUBLE_EQ(world->vessel(tender)->iface->GetThrusterGroupLevel(THGROUP_PITCH_RAISE), 0.0);
}

// Steps of no length, negative or not a number reach the module only from a
// faulty host (ours refuses them): the module ignores them whole, neither
// controlling nor moving its refresh timer, so normal steps go on as before.
TEST_F(LoadedModule, OddStepsAreIgnoredWithoutDisturbingTheTimers) {
  const size_t screen = loadModuleWithScreen();
  auto* mfd = static_cast<GyrelleMFD*>(world->screen(screen).instance);
  auto postStep = procAddress<void (*)(double, double, double)>(loader->handle(), "hpcPostStep");
  ASSERT_NE(postStep, nullptr);
  mfd->attDeviation = VECTOR3{0.5, 0.0, 0.0};  // far off: the hold would act at once
  mfd->holdActive = 1;
  postStep(0.0, 0.1, 0.0);  // a tenth of a second gathered towards the next refresh
  focus().SetAttitudeRotLevel(VECTOR3{0.25, 0, 0});
  const double inf = std::numeric_limits<double>::infinity();
  for (const double odd : {0.0, -0.0, -0.02, -inf, inf, std::nan("")}) {
    for (int i = 0; i < 1000; ++i) postStep(0.0, odd, 0.0);
    EXPECT_EQ(mfd->refreshTimer, 0.1) << odd;
    EXPECT_EQ(focus().GetThrusterGroupLevel(THGROUP_PITCH_RAISE), 0.25) << odd;
  }
  postStep(0.0, 0.1, 0.0);
  EXPECT_EQ(mfd->refreshTimer, 0.2);
  halcyra::Vessel& v = *world->vessel(vessel);
  v.position = v.position + VECTOR3{1000.0, 0, 0};
  postStep(0.0, 0.1, 0.0);  // the third tenth refreshes, as it would have anyway
  EXPECT_EQ(mfd->status.relPos.x, v.position.x);
  mfd->holdActive = 0;
}

}  // namespace
