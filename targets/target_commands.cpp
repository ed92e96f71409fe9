// The commands that choose the target of target-relative mode from the list:
// closest, next and previous in order of distance, a typed name, the base.
#include "targets/target_commands.h"

#include "control/velocity_trim.h"
#include "geometry/reference_frames.h"
#include "mfd/gyrelle_mfd.h"
#include "module/module_state.h"

namespace {
constexpr int kNameCapacity = 50;      // [characters] with the terminator
constexpr int kBaseNameCapacity = 20;  // [characters] with the terminator

// The list's head is the focus vessel (distance 0), so the nearest other
// object is the entry after it.
void markNearestOther(TargetList& list) {
  if (list.head != nullptr) list.current = list.head->next;
}

// One step along the list; the focus vessel is skipped once, so that from the
// farthest entry NXT runs on to the nearest other object.
void stepCurrent(TargetList& list, bool forward) {
  if (list.current == nullptr) return;
  list.current = forward ? list.current->next : list.current->prev;
  if (list.current->object == hapiGetFocusObject()) {
    list.current = forward ? list.current->next : list.current->prev;
  }
}

// The entry of `object`, searched from current along next for one lap.
TargetNode* findEntry(const TargetList& list, OBJHANDLE object) {
  TargetNode* node = list.current;
  for (uint32_t i = 0; i < list.count; ++i, node = node->next) {
    if (node->object == object) return node;
  }
  return nullptr;
}
}  // namespace

void selectCurrentTarget(GyrelleMFD& mfd) {
  if (mfd.targetList.current == nullptr) return;  // the host reports no objects
  mfd.targetHandle = mfd.targetList.current->object;
  hapiGetObjectName(mfd.targetHandle, mfd.targetName, kNameCapacity);
}

void enterTargetMode(GyrelleMFD& mfd) {
  endTrim(mfd);  // a trim on the previous target ends
  refreshTargetList(mfd);
  markNearestOther(mfd.targetList);
  selectCurrentTarget(mfd);
  // With no objects listed the old target stands; it may have gone since.
  if (mfd.targetList.current == nullptr && !checkTarget(mfd)) return;
  // The new target's figures are there before the next periodic refresh.
  updateTargetRelative(mfd);
}

void closestTarget(GyrelleMFD& mfd) {
  refreshTargetList(mfd);
  markNearestOther(mfd.targetList);
  selectCurrentTarget(mfd);
}

void nextTarget(GyrelleMFD& mfd) {
  refreshTargetList(mfd);
  stepCurrent(mfd.targetList, true);
  selectCurrentTarget(mfd);
}

void previousTarget(GyrelleMFD& mfd) {
  refreshTargetList(mfd);
  stepCurrent(mfd.targetList, false);
  selectCurrentTarget(mfd);
}

bool selectTargetByName(GyrelleMFD& mfd, const char* name) {
  if (name == nullptr) return false;
  OBJHANDLE object = hapiGetObjectByName(name);
  if (object == nullptr) return false;
  refreshTargetList(mfd);
  TargetNode* entry = findEntry(mfd.targetList, object);
  if (entry == nullptr) {
    // The host knows the name but the list does not hold it: build the list
    // afresh once; a name still missing is refused.
    rebuildTargetList(mfd);
    entry = findEntry(mfd.targetList, object);
    if (entry == nullptr) return false;
  }
  mfd.targetList.current = entry;
  selectCurrentTarget(mfd);
  return true;
}

bool targetNameEntered(void* /*id*/, char* text, void* userData) {
  // The box may outlive its screen's instance; a destroyed one refuses.
  if (!isLiveInstance(userData)) return false;
  return selectTargetByName(*static_cast<GyrelleMFD*>(userData), text);
}

bool selectBaseTarget(GyrelleMFD& mfd) {
  VESSEL* focus = hapiGetFocusInterface();
  if (focus == nullptr) return false;
  VESSELSTATUS status{};
  focus->GetStatus(status);
  if (status.base == nullptr) return false;
  // The list and its current mark stay: NXT moves on from the listed target.
  mfd.targetHandle = status.base;
  hapiGetObjectName(status.base, mfd.targetName, kBaseNameCapacity);
  return true;
}
