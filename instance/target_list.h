// The per-instance list of host objects, ordered by distance from the focus
// vessel: circular and doubly linked. Sorting exchanges the objects between
// entries and never relinks them, so the current mark moves with its object.
#pragma once

#include <cstdint>
#include <vector>

#include "hostapi/host_api.h"

struct TargetNode {
  OBJHANDLE object;
  TargetNode* next;  // in a sorted list: the next farther entry
  TargetNode* prev;  // in a sorted list: the next nearer entry
};

struct TargetList {
  TargetNode* head = nullptr;     // nearest entry; head->prev is the farthest
  TargetNode* current = nullptr;  // where NXT, PVT and a typed name move from
  uint32_t count = 0;
  // The host's objects by index when the entries were last found to be
  // exactly those objects (empty: not known). While the host still lists
  // these, index by index, every entry names an object of the host's world.
  std::vector<OBJHANDLE> hostOrder;
};

void appendTarget(TargetList& list, OBJHANDLE object);
void clearTargetList(TargetList& list);
void swapTargetEntries(TargetList& list, TargetNode* a, TargetNode* b);
