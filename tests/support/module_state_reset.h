// The module's storage as a freshly loaded library has it, for tests that link
// the module's code and build instances directly: the storage is process-wide,
// so each test starts from it anew.
#pragma once

#include "control/vessel_control.h"
#include "module/module_state.h"

namespace gyrelle_test {

inline void resetModuleState() {
  instanceSlot[0] = instanceSlot[1] = nullptr;
  settingsSaved = false;
  initCount = 0;
  attachCount = 0;
  focusVessel = nullptr;
  controlVessel = nullptr;
}

}  // namespace gyrelle_test
