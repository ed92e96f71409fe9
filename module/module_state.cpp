#include "module/module_state.h"

#include <algorithm>
#include <vector>

int32_t modeId = 0;
VESSEL* focusVessel = nullptr;
GyrelleMFD* instanceSlot[2] = {nullptr, nullptr};
void (*exitHook)(HINSTANCE) = nullptr;
int32_t moduleVersion = 0;
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
  // Slot 1 is emptied whether or not it holds the instance, so that a slot
  // never holds a destroyed instance.
  if (instanceSlot[0] == instance) {
    instanceSlot[0] = nullptr;
  } else {
    instanceSlot[1] = nullptr;
  }
}

namespace {
std::vector<const void*>& liveInstances() {
  static std::vector<const void*> live;
  return live;
}
}  // namespace

void registerLiveInstance(GyrelleMFD* instance) { liveInstances().push_back(instance); }

void unregisterLiveInstance(GyrelleMFD* instance) {
  auto& live = liveInstances();
  live.erase(std::remove(live.begin(), live.end(), instance), live.end());
}

bool isLiveInstance(const void* instance) {
  const auto& live = liveInstances();
  return instance != nullptr && std::find(live.begin(), live.end(), instance) != live.end();
}
