// Keeping the target list in step with the host: rebuilt when the host's set
// of objects has changed, otherwise re-sorted by the distances of the moment.
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "instance/instance_record.h"
#include "targets/host_objects.h"
#include "targets/target_commands.h"

namespace {
// Whether every entry still names an object of the host's world. A list whose
// count matches the host's may still hold the handle of a deleted object when
// another object was created since.
bool allEntriesExist(const TargetList& list) {
  const std::vector<OBJHANDLE> objects = sortedHostObjects();
  if (objects.size() != list.count) return false;
  const TargetNode* node = list.head;
  for (uint32_t i = 0; i < list.count; ++i, node = node->next) {
    if (!containsObject(objects, node->object)) return false;
  }
  return true;
}
}  // namespace

void refreshTargetList(InstanceRecord& rec) {
  if (rec.targetList.count != hapiGetObjectCount() || !allEntriesExist(rec.targetList)) {
    rebuildTargetList(rec);
  } else {
    sortTargetList(rec.targetList);
  }
}

void rebuildTargetList(InstanceRecord& rec) {
  clearTargetList(rec.targetList);
  // The host's index order; current ends on the entry of the object at index 0.
  for (uint32_t i = 0; i < hapiGetObjectCount(); ++i) {
    appendTarget(rec.targetList, hapiGetObjectByIndex(static_cast<int>(i)));
  }
  sortTargetList(rec.targetList);
}

bool isFarther(const TargetNode* a, const TargetNode* b) {
  const VESSEL* focus = hapiGetFocusInterface();
  return objectDistance(focus, b->object) > objectDistance(focus, a->object);
}

// A stable sort by ascending distance: entries at equal distance keep their
// order, and the current mark moves with its object. Each object's distance is
// asked of the host once; the objects are then written back into the entries
// in order (entries are never relinked).
void sortTargetList(TargetList& list) {
  if (list.count < 2) return;
  struct Entry {
    double distance;  // [m]
    OBJHANDLE object;
    bool current;
  };
  const VESSEL* focus = hapiGetFocusInterface();
  std::vector<Entry> entries;
  entries.reserve(list.count);
  TargetNode* node = list.head;
  for (uint32_t i = 0; i < list.count; ++i, node = node->next) {
    double distance = objectDistance(focus, node->object);
    // A distance that is not a number would break the ordering; such an
    // object goes to the far end.
    if (std::isnan(distance)) distance = std::numeric_limits<double>::infinity();
    entries.push_back(Entry{distance, node->object, node == list.current});
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return a.distance < b.distance; });
  node = list.head;
  for (const Entry& entry : entries) {
    node->object = entry.object;
    if (entry.current) list.current = node;
    node = node->next;
  }
}
