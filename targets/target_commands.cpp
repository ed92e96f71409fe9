// The commands that choose the target of target-relative mode from the list:
// closest, next and previous in order of distance, a typed name, the base.
#include "targets/target_commands.h"

#include "instance/instance_record.h"
#include "state/module_state.h"
#include "targets/target_relative.h"
#include "vessel/levels.h"

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
// The figures of the target just named, at once, as entering the mode computes
// them: the page, the hold and the trim never work on the previous target's.
// In another mode (a name typed into a box opened before the mode changed)
// the deviations are that mode's; entering target mode computes them then.
void refreshSelectedTarget(InstanceRecord& rec) {
  if (rec.refMode != RefMode::kTargetRelative) return;
  if (checkTarget(rec)) {
    updateTargetRelative(rec);
  } else if (rec.targetHandle == nullptr) {
    clearTargetRelative(rec);
  }
}
}  // namespace

void selectCurrentTarget(InstanceRecord& rec) {
  if (rec.targetList.current == nullptr) return;  // the host reports no objects
  rec.targetHandle = rec.targetList.current->object;
  hapiGetObjectName(rec.targetHandle, rec.targetName, kNameCapacity);
}

void enterTargetMode(InstanceRecord& rec) {
  endTrim(rec);  // a trim on the previous target ends
  refreshTargetList(rec);
  markNearestOther(rec.targetList);
  selectCurrentTarget(rec);
  // With no objects listed the old target stands; it may have gone since.
  if (rec.targetList.current == nullptr && !checkTarget(rec)) return;
  // The new target's figures are there before the next periodic refresh.
  updateTargetRelative(rec);
}

void closestTarget(InstanceRecord& rec) {
  refreshTargetList(rec);
  markNearestOther(rec.targetList);
  selectCurrentTarget(rec);
  refreshSelectedTarget(rec);
}

void nextTarget(InstanceRecord& rec) {
  refreshTargetList(rec);
  stepCurrent(rec.targetList, true);
  selectCurrentTarget(rec);
  refreshSelectedTarget(rec);
}

void previousTarget(InstanceRecord& rec) {
  refreshTargetList(rec);
  stepCurrent(rec.targetList, false);
  selectCurrentTarget(rec);
  refreshSelectedTarget(rec);
}

bool selectTargetByName(InstanceRecord& rec, const char* name) {
  if (name == nullptr) return false;
  OBJHANDLE object = hapiGetObjectByName(name);
  if (object == nullptr) return false;
  refreshTargetList(rec);
  TargetNode* entry = findEntry(rec.targetList, object);
  if (entry == nullptr) {
    // The host knows the name but the list does not hold it: build the list
    // afresh once; a name still missing is refused.
    rebuildTargetList(rec);
    entry = findEntry(rec.targetList, object);
    if (entry == nullptr) return false;
  }
  rec.targetList.current = entry;
  selectCurrentTarget(rec);
  refreshSelectedTarget(rec);
  return true;
}

bool targetNameEntered(void* /*id*/, char* text, void* userData) {
  // The box may outlive its screen's instance; a destroyed one refuses.
  InstanceRecord* rec = liveInstance(userData);
  if (rec == nullptr) return false;
  return selectTargetByName(*rec, text);
}

bool selectBaseTarget(InstanceRecord& rec) {
  VESSEL* focus = hapiGetFocusInterface();
  if (focus == nullptr) return false;
  VESSELSTATUS status{};
  focus->GetStatus(status);
  if (status.base == nullptr) return false;
  // The list and its current mark stay: NXT moves on from the listed target.
  rec.targetHandle = status.base;
  hapiGetObjectName(status.base, rec.targetName, kBaseNameCapacity);
  refreshSelectedTarget(rec);
  return true;
}
