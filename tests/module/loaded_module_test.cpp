// The module as the host sees it: the real libgyrelle.so loaded by the
// stand-in host's loader.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>

#include "support/world_fixture.h"

namespace {

using gyrelle_test::WorldFixture;

std::set<std::string> definedDynamicSymbols(const std::string& path) {
  std::set<std::string> names;
  const std::string command = "nm -D --defined-only '" + path + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    char address[64], type[8], name[400];
    if (std::sscanf(line, "%63s %7s %399s", address, type, name) == 3) names.insert(name);
  }
  pclose(pipe);
  return names;
}

TEST(ModuleLibrary, ExportsExactlyItsEntryPoints) {
  const std::set<std::string> expected = {"DllMain",          "InitModule",  "ExitModule",
                                          "GetModuleVersion", "hpcPostStep", "hpcFocusChanged"};
  EXPECT_EQ(definedDynamicSymbols(GYRELLE_MODULE_PATH), expected);
}

class LoadedModule : public WorldFixture {};

TEST_F(LoadedModule, RegistersItsModeUnderItsNameAndKey) {
  loader = std::make_unique<halcyra::ModuleLoader>(GYRELLE_MODULE_PATH);
  ASSERT_EQ(world->modes().size(), 1u);
  EXPECT_EQ(world->modes()[0].name, "Gyrelle");
  EXPECT_EQ(world->modes()[0].key, 22u);
}

TEST_F(LoadedModule, LoadsUnloadsAndLoadsAgainInOneProcess) {
  for (int round = 0; round < 2; ++round) {
    loader = std::make_unique<halcyra::ModuleLoader>(GYRELLE_MODULE_PATH);
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
        std::make_unique<halcyra::ModuleLoader>(GYRELLE_MODULE_PATH),
        std::make_unique<halcyra::ModuleLoader>(GYRELLE_MODULE_PATH)};
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

TEST_F(LoadedModule, StepWithoutInstanceTouchesNothing) {
  loader = std::make_unique<halcyra::ModuleLoader>(GYRELLE_MODULE_PATH);
  focus().SetAttitudeRotLevel(VECTOR3{0.5, -0.25, 0.125});
  loader->postStep(0.0, 0.02, 0.0);
  loader->postStep(0.02, 0.5, 0.0);
  EXPECT_DOUBLE_EQ(focus().GetThrusterGroupLevel(THGROUP_PITCH_RAISE), 0.5);
  EXPECT_DOUBLE_EQ(focus().GetThrusterGroupLevel(THGROUP_YAW_LOWER), 0.25);
  EXPECT_DOUBLE_EQ(focus().GetThrusterGroupLevel(THGROUP_ROLL_RAISE), 0.125);
}

TEST_F(LoadedModule, MessagesOtherThanOpenCreateNothing) {
  loader = std::make_unique<halcyra::ModuleLoader>(GYRELLE_MODULE_PATH);
  const auto& mode = world->modes().at(0);
  const intptr_t vessel = reinterpret_cast<intptr_t>(&focus());
  EXPECT_EQ(mode.msgproc(0, mode.id, 256u | (280u << 16), vessel), 0);
  EXPECT_EQ(mode.msgproc(2, mode.id, 256u | (280u << 16), vessel), 0);
}

TEST_F(LoadedModule, VersionIsTheBuildDateComputedOnce) {
  loader = std::make_unique<halcyra::ModuleLoader>(GYRELLE_MODULE_PATH);
  const int before = halcyra::date2IntCalls();
  EXPECT_EQ(loader->moduleVersion(), 20050206);
  EXPECT_EQ(loader->moduleVersion(), 20050206);
  EXPECT_EQ(halcyra::date2IntCalls() - before, 1);
}

TEST_F(LoadedModule, DetachUnregistersThroughTheExitHook) {
  // Load by hand so that only the library entry's detach runs, not ExitModule.
  void* handle = dlopen(GYRELLE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  auto entry = reinterpret_cast<DllEntryRoutine>(dlsym(handle, "DllMain"));
  auto init = reinterpret_cast<InitModuleFn>(dlsym(handle, "InitModule"));
  ASSERT_NE(entry, nullptr);
  ASSERT_NE(init, nullptr);
  EXPECT_NE(entry(handle, DLL_PROCESS_ATTACH, nullptr), 0);
  init(handle);
  ASSERT_EQ(world->modes().size(), 1u);
  EXPECT_NE(entry(handle, DLL_PROCESS_DETACH, nullptr), 0);
  EXPECT_TRUE(world->modes().empty());
  // The host may unregister once more itself; that is harmless.
  auto exitModule = reinterpret_cast<ExitModuleFn>(dlsym(handle, "ExitModule"));
  exitModule(handle);
  EXPECT_TRUE(world->modes().empty());
  dlclose(handle);
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

}  // namespace
