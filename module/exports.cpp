// The module's exported entry points: the library entry routine and the five
// functions the host calls by name. Nothing else is exported (exports.map).
#include "control/vessel_control.h"
#include "control/vessel_release.h"
#include "mfd/gyrelle_mfd.h"
#include "module/host_api.h"
#include "module/mode_registration.h"
#include "module/module_state.h"

#define GYRELLE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
constexpr const char* kBuildDate = "Feb  6 2005";  // "Mmm dd yyyy", day right-aligned
constexpr double kControlPeriod = 0.25;            // [s] response time of the hold
}  // namespace

// A library loaded twice into one process is one copy with one storage and one
// mode: the mode is registered by the first InitModule and unregistered when
// the last load goes, so that unloading one load leaves the other's mode.
GYRELLE_EXPORT void ExitModule(HINSTANCE /*module*/) {
  if (initCount > 1) {
    --initCount;
    return;
  }
  initCount = 0;
  hapiUnregisterMFDMode(modeId);  // a second time is harmless
}

GYRELLE_EXPORT int DllMain(HINSTANCE module, uint32_t reason, void* /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    ++attachCount;
    InitLib(module);
    exitHook = reinterpret_cast<void (*)(HINSTANCE)>(GetProcAddress(module, "ExitModule"));
    if (exitHook == nullptr) {
      exitHook = reinterpret_cast<void (*)(HINSTANCE)>(GetProcAddress(module, "hpcDLLExit"));
    }
  } else if (reason == DLL_PROCESS_DETACH) {
    // Only the last load's detach ends the module; an earlier one's host has
    // called ExitModule already.
    if (attachCount <= 1 && exitHook != nullptr) exitHook(module);
    if (attachCount > 0) --attachCount;
  }
  return 1;
}

GYRELLE_EXPORT void InitModule(HINSTANCE /*module*/) {
  MFDMODESPEC spec{kModeName, kModeKey, gyrelleMsgProc};  // the host copies what it keeps
  if (initCount++ == 0) modeId = hapiRegisterMFDMode(spec);
  settingsSaved = false;
}

GYRELLE_EXPORT int32_t GetModuleVersion() {
  if (moduleVersion == 0) moduleVersion = Date2Int(kBuildDate);
  return moduleVersion;
}

GYRELLE_EXPORT void hpcPostStep(double /*simt*/, double simdt, double /*mjd*/) {
  if (instanceSlot[0] != nullptr) instanceSlot[0]->stepUpdate(simdt);
  if (instanceSlot[1] != nullptr) instanceSlot[1]->stepUpdate(simdt);
}

GYRELLE_EXPORT void hpcFocusChanged(OBJHANDLE newFocus, OBJHANDLE /*oldFocus*/) {
  // The vessel flown until now is let go before the new one is controlled; the
  // hold and trim carry on with the new vessel.
  for (GyrelleMFD* instance : instanceSlot) {
    if (instance != nullptr) releaseVessel(*instance);
  }
  focusVessel = hapiGetVesselInterface(newFocus);
  setupVesselControl(focusVessel, kControlPeriod);
}
