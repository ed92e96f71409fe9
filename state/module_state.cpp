#include "state/module_state.h"

#include <algorithm>
#include <type_traits>
#include <vector>

namespace {
// The storage as the library is loaded. Being a constant, it initialises
// moduleState without any code running at load.
constexpr ModuleState kStateAtLoad{};
static_assert(std::is_trivially_destructible_v<ModuleState>,
              "nothing of the module's storage may run at unload");
}  // namespace

ModuleState moduleState = kStateAtLoad;

void resetModuleState() {
  delete moduleState.liveInstances;
  moduleState = kStateAtLoad;
}

void takeInstanceSlot(GyrelleMFD* instance) {
  GyrelleMFD** slot = moduleState.instanceSlot;
  if (slot[0] == nullptr) {
    slot[0] = instance;
  } else {
    slot[1] = instance;  // replaces whatever slot 1 held
  }
}

void leaveInstanceSlot(GyrelleMFD* instance) {
  // Only the slot that holds the instance: emptying slot 1 for an instance in
  // neither slot would stop a live instance's steps while it flies the vessel.
  for (GyrelleMFD*& slot : moduleState.instanceSlot) {
    if (slot == instance) slot = nullptr;
  }
}

bool holdsInstanceSlot(const GyrelleMFD* instance) {
  const GyrelleMFD* const* slot = moduleState.instanceSlot;
  return instance != nullptr && (slot[0] == instance || slot[1] == instance);
}

uintptr_t registerLiveInstance(InstanceRecord* instance) {
  std::vector<LiveInstance>*& live = moduleState.liveInstances;
  if (live == nullptr) live = new std::vector<LiveInstance>();
  try {
    live->push_back(LiveInstance{moduleState.lastSerial + 1, instance});
  } catch (...) {
    if (live->empty()) {
      delete live;
      live = nullptr;
    }
    throw;
  }
  return ++moduleState.lastSerial;  // counted only once the entry is stored
}

void unregisterLiveInstance(uintptr_t serial) {
  std::vector<LiveInstance>*& live = moduleState.liveInstances;
  if (live == nullptr) return;
  live->erase(std::remove_if(live->begin(), live->end(),
                             [serial](const LiveInstance& l) { return l.serial == serial; }),
              live->end());
  if (live->empty()) {
    delete live;
    live = nullptr;
  }
}

size_t liveInstanceCount() {
  return moduleState.liveInstances == nullptr ? 0 : moduleState.liveInstances->size();
}

InstanceRecord* liveInstanceAt(size_t index) {
  return index < liveInstanceCount() ? (*moduleState.liveInstances)[index].instance : nullptr;
}

InstanceRecord* liveInstance(const void* token) {
  const auto serial = reinterpret_cast<uintptr_t>(token);
  if (serial == 0 || moduleState.liveInstances == nullptr) return nullptr;
  for (const LiveInstance& l : *moduleState.liveInstances) {
    if (l.serial == serial) return l.instance;
  }
  return nullptr;
}
