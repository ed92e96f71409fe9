#include "module/module_state.h"

#include <algorithm>
#include <vector>

int32_t modeId = 0;
VESSEL* focusVessel = nullptr;
GyrelleMFD* instanceSlot[2] = {nullptr, nullptr};
void (*exitHook)(HINSTANCE) = nullptr;
int32_t moduleVersion = 0;
int32_t initCount = 0;
int32_t attachCount = 0;
bool settingsSaved = false;
SavedSettings savedSettings{};

void takeInstanceSlot(GyrelleMFD* instance) {
  if (instanceSlot[0] == nullptr) {
    instanceSlot[0] = instance;
  } else {
    instanceSlot[1] = instance;  // replaces whatever slot 1 held
  }
}

void leaveInstanceSlot(GyrelleMFD* instance) {
  // Only the slot that holds the instance: emptying slot 1 for an instance in
  // neither slot would stop a live instance's steps while it flies the vessel.
  for (GyrelleMFD*& slot : instanceSlot) {
    if (slot == instance) slot = nullptr;
  }
}

bool holdsInstanceSlot(const GyrelleMFD* instance) {
  return instance != nullptr && (instanceSlot[0] == instance || instanceSlot[1] == instance);
}

namespace {
struct LiveInstance {
  uintptr_t serial;
  InstanceRecord* instance;
};
// Made with the first live instance and deleted with the last, not a static
// object: an instance owned by a host object with static storage may be
// destroyed at process exit after such a list would have been, and a list
// left behind when the library is unloaded would leak.
std::vector<LiveInstance>* live = nullptr;
uintptr_t lastSerial = 0;
}  // namespace

uintptr_t registerLiveInstance(InstanceRecord* instance) {
  if (live == nullptr) live = new std::vector<LiveInstance>();
  try {
    live->push_back(LiveInstance{lastSerial + 1, instance});
  } catch (...) {
    if (live->empty()) {
      delete live;
      live = nullptr;
    }
    throw;
  }
  return ++lastSerial;  // counted only once the entry is stored
}

void unregisterLiveInstance(uintptr_t serial) {
  if (live == nullptr) return;
  live->erase(std::remove_if(live->begin(), live->end(),
                             [serial](const LiveInstance& l) { return l.serial == serial; }),
              live->end());
  if (live->empty()) {
    delete live;
    live = nullptr;
  }
}

size_t liveInstanceCount() { return live == nullptr ? 0 : live->size(); }

InstanceRecord* liveInstanceAt(size_t index) {
  return index < liveInstanceCount() ? (*live)[index].instance : nullptr;
}

InstanceRecord* liveInstance(const void* token) {
  const auto serial = reinterpret_cast<uintptr_t>(token);
  if (serial == 0 || live == nullptr) return nullptr;
  for (const LiveInstance& l : *live) {
    if (l.serial == serial) return l.instance;
  }
  return nullptr;
}
