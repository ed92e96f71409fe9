// Module-wide storage: one copy per loaded module, zero when the library is
// loaded. Shared by all instances without locks: every entry point runs on the
// host's single simulation thread.
#pragma once

#include <cstdint>

#include "module/host_api.h"

class GyrelleMFD;

extern int32_t modeId;               // what hapiRegisterMFDMode returned
extern VESSEL* focusVessel;          // the vessel the pilot flies; never cleared
extern GyrelleMFD* instanceSlot[2];  // the instances that get the per-step update
extern void (*exitHook)(HINSTANCE);  // found at attach, called at detach
extern int32_t moduleVersion;        // 0 = not yet computed

// Settings a destroyed instance leaves for the next one (guarded by settingsSaved).
struct SavedSettings {
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
// destruction empties slot 0 if it holds the instance, else slot 1.
void takeInstanceSlot(GyrelleMFD* instance);
void leaveInstanceSlot(GyrelleMFD* instance);

// Live instances (constructed and not yet destroyed), so that a callback that
// arrives with a destroyed instance as its user data can be refused.
void registerLiveInstance(GyrelleMFD* instance);
void unregisterLiveInstance(GyrelleMFD* instance);
bool isLiveInstance(const void* instance);
