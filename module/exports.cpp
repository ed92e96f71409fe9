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

GYRELLE_EXPORT void ExitModule(HINSTANCE /*module*/) { hapiUnregisterMFDMode(modeId); }

GYRELLE_EXPORT int DllMain(HINSTANCE module, uint32_t reason, void* /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) {
    InitLib(module);
    exitHook = reinterpret_cast<void (*)(HINSTANCE)>(GetProcAddress(module, "ExitModule"));
    if (exitHook == nullptr) {
      exitHook = reinterpret_cast<void (*)(HINSTANCE)>(GetProcAddress(module, "hpcDLLExit"));
    }
  } else if (reason == DLL_PROCESS_DETACH) {
    if (exitHook != nullptr) exitHook(module);
  }
  return 1;
}

GYRELLE_EXPORT void InitModule(HINSTANCE /*module*/) {
  MFDMODESPEC spec{kModeName, kModeKey, gyrelleMsgProc};  // the host copies what it keeps
  modeId = hapiRegisterMFDMode(spec);
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
