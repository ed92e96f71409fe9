// The module's exported entry points: the library entry routine and the five
// functions the host calls by name. Nothing else is exported (exports.map).
#include "vessel/vessel_control.h"
#include "control/vessel_release.h"
#include "mfd/gyrelle_mfd.h"
#include "hostapi/host_api.h"
#include "module/mode_registration.h"
#include "state/module_state.h"

namespace {
constexpr const char* kBuildDate = "Feb  6 2005";  // "Mmm dd yyyy", day right-aligned
constexpr double kControlPeriod = 0.25;            // [s] response time of the hold
}  // namespace

// A library loaded twice into one process is one copy with one storage and one
// mode: the mode is registered by the first InitModule and unregistered when
// the last load goes, so that unloading one load leaves the other's mode.
GYRELLE_MODULE_EXPORT void ExitModule(HINSTANCE /*module*/) {
  ModuleState& m = moduleState;
  if (m.initCount > 1) {
    --m.initCount;
    return;
  }
  m.initCount = 0;
  hapiUnregisterMFDMode(m.modeId);  // a second time is harmless
}

GYRELLE_MODULE_EXPORT BOOL DllMain(HINSTANCE module, DllReason reason, void* /*reserved*/) {
  ModuleState& m = moduleState;
  if (reason == DLL_PROCESS_ATTACH) {
    ++m.attachCount;
    InitLib(module);
    m.exitHook = procAddress<void (*)(HINSTANCE)>(module, "ExitModule");
    if (m.exitHook == nullptr) {
      m.exitHook = procAddress<void (*)(HINSTANCE)>(module, "hpcDLLExit");
    }
  } else if (reason == DLL_PROCESS_DETACH) {
    // Only the last load's detach ends the module; an earlier one's host has
    // called ExitModule already.
    if (m.attachCount > 1) {
      --m.attachCount;
    } else {
      if (m.exitHook != nullptr) m.exitHook(module);
      resetModuleState();  // a library kept mapped loads afresh next time
    }
  }
  return 1;
}

GYRELLE_MODULE_EXPORT void InitModule(HINSTANCE /*module*/) {
  MFDMODESPEC spec{kModeName, kModeKey, gyrelleMsgProc};  // the host copies what it keeps
  ModuleState& m = moduleState;
  if (m.initCount++ == 0) m.modeId = hapiRegisterMFDMode(spec);
  m.settingsSaved = false;
}

GYRELLE_MODULE_EXPORT int32_t GetModuleVersion() {
  if (moduleState.moduleVersion == 0) moduleState.moduleVersion = Date2Int(kBuildDate);
  return moduleState.moduleVersion;
}

GYRELLE_MODULE_EXPORT void hpcPostStep(double /*simt*/, double simdt, double /*mjd*/) {
  GyrelleMFD* const* slot = moduleState.instanceSlot;
  if (slot[0] != nullptr) slot[0]->stepUpdate(simdt);
  if (slot[1] != nullptr) slot[1]->stepUpdate(simdt);
}

GYRELLE_MODULE_EXPORT void hpcFocusChanged(OBJHANDLE newFocus, OBJHANDLE /*oldFocus*/) {
  VESSEL* const next = hapiGetVesselInterface(newFocus);  // null: no focus vessel
  // The vessel flown until now is let go before the new one is controlled. An
  // attitude hold carries on with another vessel; what was set up against
  // this vessel's motion (a trim, a target-relative hold) ends, and with no
  // vessel at all nothing is flown.
  const VesselChange change = next == nullptr ? VesselChange::kNoVessel : VesselChange::kFocusMoved;
  for (size_t i = 0; i < liveInstanceCount(); ++i) {
    InstanceRecord& instance = *liveInstanceAt(i);
    if (next == moduleState.focusVessel) {
      releaseVessel(instance);
    } else {
      leaveVessel(instance, change);
    }
  }
  moduleState.focusVessel = next;
  setupVesselControl(next, kControlPeriod);
}
