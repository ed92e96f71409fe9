// The module's code linked into a harness and attached to a fresh world, the
// way the host attaches a loaded library: DllMain(attach), InitModule; at the
// end every screen closed, ExitModule, DllMain(detach). The module's storage
// starts afresh for every input, so that an input does the same every time.
// Also the invariants every harness holds the module to.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/world.h"
#include "mfd/gyrelle_mfd.h"
#include "state/module_state.h"

// The module's entry points (module/exports.cpp, linked in).
extern "C" int DllMain(HINSTANCE module, uint32_t reason, void* reserved);
extern "C" void InitModule(HINSTANCE module);
extern "C" void ExitModule(HINSTANCE module);
extern "C" void hpcPostStep(double simt, double simdt, double mjd);

namespace fuzzing {

[[noreturn]] inline void violated(const std::string& what) {
  std::fprintf(stderr, "invariant violated: %s\n", what.c_str());
  std::abort();
}

// Every level the module hands the host is finite and in [-1, 1].
inline void checkLevel(double level) {
  if (!std::isfinite(level) || level < -1.0 || level > 1.0)
    violated("the module set the level " + std::to_string(level));
}

// No instance slot holds an instance that no screen shows (a destroyed one).
inline void checkSlots(halcyra::World& world) {
  for (GyrelleMFD* slot : moduleState.instanceSlot) {
    if (slot == nullptr) continue;
    bool shown = false;
    for (size_t i = 0; i < world.screenCount(); ++i)
      shown = shown || world.screen(i).instance == static_cast<MFD*>(slot);
    if (!shown) violated("an instance slot holds an instance no screen shows");
  }
}

struct ModuleInWorld {
  halcyra::World world;
  ModuleInWorld() {
    halcyra::World::install(&world);
    halcyra::levelWatch = checkLevel;
    resetModuleState();
    DllMain(nullptr, DLL_PROCESS_ATTACH, nullptr);
    InitModule(nullptr);
  }
  ~ModuleInWorld() {
    for (size_t i = 0; i < world.screenCount(); ++i) world.setScreenMode(i, "");
    checkSlots(world);
    ExitModule(nullptr);
    DllMain(nullptr, DLL_PROCESS_DETACH, nullptr);
    halcyra::World::install(nullptr);
  }
  ModuleInWorld(const ModuleInWorld&) = delete;
  ModuleInWorld& operator=(const ModuleInWorld&) = delete;

  // One step of the dynamics and the module's per-step callback.
  void step(double t, double dt) {  // [s]
    world.step(dt);
    hpcPostStep(t, dt, 0.0);
    checkSlots(world);
  }
};

}  // namespace fuzzing
