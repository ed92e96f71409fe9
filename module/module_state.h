// Module-wide storage: one copy per loaded module, zero when the library is
// loaded. Shared by all instances without locks: every entry point runs on the
// host's single simulation thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "module/host_api.h"

class GyrelleMFD;
struct InstanceRecord;

extern int32_t modeId;               // what hapiRegisterMFDMode returned
extern VESSEL* focusVessel;          // the vessel the pilot flies; never cleared
extern GyrelleMFD* instanceSlot[2];  // the instances that get the per-step update
extern void (*exitHook)(HINSTANCE);  // found at attach, called at detach
extern int32_t moduleVersion;        // 0 = not yet computed
extern int32_t initCount;            // InitModule calls not yet ended by ExitModule
extern int32_t attachCount;          // library-entry attaches not yet detached

// Settings a destroyed instance leaves for the next one (guarded by settingsSaved).
struct SavedSettings {
  OBJHANDLE vessel;  // the focus vessel the settings were flown on (null: none)
  int32_t refMode;
  int32_t holdActive;
  VECTOR3 refAttitude;     // kept when the saved refMode is not 3
  VECTOR3 attOffset;       // kept when the saved refMode is not 3
  OBJHANDLE targetHandle;  // kept when the saved refMode is 3
  char targetName[50];     // kept when the saved refMode is 3
  uint32_t trimActive;     // kept when the saved refMode is 3
  int32_t trimSelection;   // kept when the saved refMode is 3
  int32_t colourMode;
};
extern bool settingsSaved;
extern SavedSettings savedSettings;

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
