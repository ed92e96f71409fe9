// The module library as Linux's dynamic linker sees it: its dynamic symbol
// table, and the library entry routine that the host calls itself there.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "support/test_paths.h"
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

TEST(ModuleLibraryOnLinux, ExportsExactlyItsEntryPointsAndDllMain) {
  const std::set<std::string> expected = {"DllMain",          "InitModule",  "ExitModule",
                                          "GetModuleVersion", "hpcPostStep", "hpcFocusChanged"};
  EXPECT_EQ(definedDynamicSymbols(testsupport::envPath("GYRELLE_MODULE_PATH")), expected);
}

class LoadedModuleOnLinux : public WorldFixture {};

TEST_F(LoadedModuleOnLinux, DetachUnregistersThroughTheExitHook) {
  // Load by hand so that only the library entry's detach runs, not ExitModule.
  void* handle = dlopen(testsupport::envPath("GYRELLE_MODULE_PATH"), RTLD_NOW | RTLD_LOCAL);
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

// The system may keep a library mapped after the host lets it go (here a
// second handle keeps it); the next load must find its storage as at a first
// load, not the last load's: its version, for one, is computed anew.
TEST_F(LoadedModuleOnLinux, ALibraryKeptMappedStartsItsNextLoadAfresh) {
  void* kept = dlopen(testsupport::envPath("GYRELLE_MODULE_PATH"), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(kept, nullptr) << dlerror();
  const int before = halcyra::date2IntCalls();
  for (int load = 0; load < 2; ++load) {
    halcyra::ModuleLoader loader(testsupport::envPath("GYRELLE_MODULE_PATH"));
    EXPECT_EQ(loader.moduleVersion(), 20050206);
  }
  EXPECT_EQ(halcyra::date2IntCalls() - before, 2);
  dlclose(kept);
}

}  // namespace
