// Module-wide storage: everything the module keeps between the host's calls
// that does not belong to one instance, in one record.
//
// Lifetime: `moduleState` has static storage and no constructor to run, so it
// holds the values below from the moment the library is loaded, before the
// library entry is called. The library entry's last detach puts it back to
// them (resetModuleState), so that a library the system keeps mapped starts
// its next load as a fresh one would. Shared by all instances without locks:
// every entry point runs on the host's single simulation thread.
//
// The one other module-wide storage is the scratch buffer of the target
// sort (targets/target_sort.cpp), which carries nothing from one command to
// the next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "instance/ref_mode.h"
#include "hostapi/host_api.h"

class GyrelleMFD;
struct InstanceRecord;

// Settings a destroyed instance leaves for the next one (guarded by settingsSaved).
struct SavedSettings {
  OBJHANDLE vessel = nullptr;  // the focus vessel the settings were flown on (null: none)
  RefMode refMode = RefMode::kUserAttitude;
  int32_t holdActive = 0;
  VECTOR3 refAttitude{};             // kept outside target-relative mode
  VECTOR3 attOffset{};               // kept outside target-relative mode
  OBJHANDLE targetHandle = nullptr;  // kept in target-relative mode
  char targetName[50]{};             // kept in target-relative mode
  uint32_t trimActive = 0;           // kept in target-relative mode
  int32_t trimSelection = 0;         // kept in target-relative mode
  int32_t colourMode = 0;
};

// The vessel the autopilot flies and its characteristics: torque and thrust
// capacities from its thruster groups, and its principal moments of inertia.
// One set for all instances; taken at each focus change and each instance
// construction (vessel/vessel_control.h), not refreshed in between.
struct VesselCharacteristics {
  VESSEL* vessel = nullptr;   // the vessel whose characteristics are held
  VECTOR3 pmi{};              // mass-normalised principal moments (pitch, yaw, roll) [m^2]
  double responseTime = 1.0;  // [s] time in which the hold asks for a rate change;
                              // 1 s until the first setup with a usable period
  double axisTorque[3]{};     // pitch, yaw, roll capacity [N m]
  double linearThrust[3]{};   // lateral, vertical, fore/aft capacity [N]
  double engineThrust[3]{};   // main, retro, hover [N]
};

struct LiveInstance {
  uintptr_t serial;
  InstanceRecord* instance;
};

struct ModuleState {
  int32_t modeId = 0;                                // what hapiRegisterMFDMode returned
  VESSEL* focusVessel = nullptr;                     // the vessel the pilot flies; never cleared
  GyrelleMFD* instanceSlot[2] = {nullptr, nullptr};  // the instances that get the per-step update
  void (*exitHook)(HINSTANCE) = nullptr;             // found at attach, called at detach
  int32_t moduleVersion = 0;                         // 0 = not yet computed
  int32_t initCount = 0;                             // InitModule calls not yet ended by ExitModule
  int32_t attachCount = 0;                           // library-entry attaches not yet detached
  bool settingsSaved = false;
  SavedSettings savedSettings{};
  VesselCharacteristics control{};
  // Live instances in the order they were constructed. Made with the first
  // live instance and deleted with the last, not held by value: an instance
  // owned by a host object with static storage may be destroyed at process
  // exit after a static list would have been, and a list left behind when the
  // library is unloaded would leak.
  std::vector<LiveInstance>* liveInstances = nullptr;
  uintptr_t lastSerial = 0;  // serial number of the newest instance
};

extern ModuleState moduleState;

// Puts moduleState back to the values it has at load, freeing what it owns.
void resetModuleState();

// Slot rules: construction takes slot 0 if empty, else slot 1 (replacing it);
// destruction empties the slot that holds the instance, if any.
void takeInstanceSlot(GyrelleMFD* instance);
void leaveInstanceSlot(GyrelleMFD* instance);
bool holdsInstanceSlot(const GyrelleMFD* instance);

// Live instances (constructed and not yet destroyed) by serial number. An
// input box carries its instance's serial number as the user data, so that a
// callback for a destroyed instance finds nothing, even when a new instance
// has been built at the same address since. Serial numbers start at 1 and are
// never reused while the library is loaded.
uintptr_t registerLiveInstance(InstanceRecord* instance);  // returns the new serial
void unregisterLiveInstance(uintptr_t serial);
// The user data that names the instance of `serial`.
inline void* instanceToken(uintptr_t serial) { return reinterpret_cast<void*>(serial); }
// The live instance that a token names, or null.
InstanceRecord* liveInstance(const void* token);
// The live instances in the order they were constructed: index 0 to count - 1.
size_t liveInstanceCount();
InstanceRecord* liveInstanceAt(size_t index);
