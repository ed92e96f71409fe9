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
// another object was created since. The full check, by sorting the host's
// handles; hostObjectsUnchanged settles the usual case first.
bool allEntriesExist(const TargetList& list) {
  const std::vector<OBJHANDLE> objects = sortedHostObjects();
  if (objects.size() != list.count) return false;
  const TargetNode* node = list.head;
  for (uint32_t i = 0; i < list.count; ++i, node = node->next) {
    if (!containsObject(objects, node->object)) return false;
  }
  return true;
}

// Whether the host lists, index by index, the objects it listed when the
// entries were last found to be exactly its objects: then they still are
// (one pass over the host's objects, nothing sorted).
bool hostObjectsUnchanged(const TargetList& list) {
  const uint32_t count = hapiGetObjectCount();
  if (list.hostOrder.size() != count) return false;
  for (uint32_t i = 0; i < count; ++i) {
    if (hapiGetObjectByIndex(static_cast<int>(i)) != list.hostOrder[i]) return false;
  }
  return true;
}

void takeHostOrder(TargetList& list) {
  const uint32_t count = hapiGetObjectCount();
  list.hostOrder.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    list.hostOrder[i] = hapiGetObjectByIndex(static_cast<int>(i));
  }
}

struct Entry {
  double distance;  // [m]
  OBJHANDLE object;
  bool current;
};

// Kept between commands (module-wide; the host's one thread only), so that a
// command on a list of unchanged size allocates nothing.
std::vector<Entry>& sortBuffer() {
  static std::vector<Entry> entries;
  return entries;
}

// Stable insertion sort of entries[from, end) into the sorted entries before
// it, until more than `budget` entries have moved. Returns where it stopped.
size_t insertionSort(std::vector<Entry>& entries, size_t from, size_t budget) {
  size_t moves = 0;
  size_t i = from;
  for (; i < entries.size() && moves <= budget; ++i) {
    const Entry e = entries[i];
    size_t j = i;
    for (; j > 0 && entries[j - 1].distance > e.distance; --j) entries[j] = entries[j - 1];
    moves += i - j;
    entries[j] = e;
  }
  return i;
}
}  // namespace

void refreshTargetList(InstanceRecord& rec) {
  TargetList& list = rec.targetList;
  if (list.count != hapiGetObjectCount()) {
    rebuildTargetList(rec);
    return;
  }
  if (!hostObjectsUnchanged(list)) {
    if (!allEntriesExist(list)) {
      rebuildTargetList(rec);
      return;
    }
    takeHostOrder(list);
  }
  sortTargetList(list);
}

void rebuildTargetList(InstanceRecord& rec) {
  clearTargetList(rec.targetList);
  // The host's index order; current ends on the entry of the object at index 0.
  for (uint32_t i = 0; i < hapiGetObjectCount(); ++i) {
    appendTarget(rec.targetList, hapiGetObjectByIndex(static_cast<int>(i)));
  }
  takeHostOrder(rec.targetList);
  sortTargetList(rec.targetList);
}

bool isFarther(const TargetNode* a, const TargetNode* b) {
  const VESSEL* focus = hapiGetFocusInterface();
  return objectDistance(focus, b->object) > objectDistance(focus, a->object);
}

// A stable sort by ascending distance: entries at equal distance keep their
// order, and the current mark moves with its object, exactly as a stable
// insertion sort that swaps the objects of neighbouring entries would leave
// them. Each object's distance is asked of the host once. A list already in
// order costs those queries and nothing else; one that has drifted a little is
// put right by insertion on the distances; one in disorder by a merge sort.
// The objects are then written back into the entries in order (entries are
// never relinked).
void sortTargetList(TargetList& list) {
  if (list.count < 2) return;
  const VESSEL* focus = hapiGetFocusInterface();
  std::vector<Entry>& entries = sortBuffer();
  entries.clear();
  bool ordered = true;
  TargetNode* node = list.head;
  for (uint32_t i = 0; i < list.count; ++i, node = node->next) {
    double distance = objectDistance(focus, node->object);
    // A distance that is not a number would break the ordering; such an
    // object goes to the far end.
    if (std::isnan(distance)) distance = std::numeric_limits<double>::infinity();
    if (i > 0 && entries.back().distance > distance) ordered = false;
    entries.push_back(Entry{distance, node->object, node == list.current});
  }
  if (ordered) return;
  // A few moves per entry on average: beyond that the list is scrambled.
  const size_t stopped = insertionSort(entries, 1, 4 * entries.size());
  if (stopped < entries.size()) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.distance < b.distance; });
  }
  node = list.head;
  for (const Entry& entry : entries) {
    node->object = entry.object;
    if (entry.current) list.current = node;
    node = node->next;
  }
}
