// The circular, doubly linked list of target entries.
#include "instance/target_list.h"

void appendTarget(TargetList& list, OBJHANDLE object) {
  auto* node = new TargetNode{object, nullptr, nullptr};
  if (list.head == nullptr) {
    node->next = node;
    node->prev = node;
    list.head = node;
    list.current = node;
  } else {
    // In after the farthest entry, before head; head and current stay.
    TargetNode* last = list.head->prev;
    node->next = list.head;
    node->prev = last;
    last->next = node;
    list.head->prev = node;
  }
  ++list.count;
}

void clearTargetList(TargetList& list) {
  TargetNode* node = list.head;
  for (; list.count > 0; --list.count) {
    TargetNode* next = node->next;
    delete node;
    node = next;
  }
  list.head = nullptr;
  list.current = nullptr;
  list.hostOrder.clear();
}

void swapTargetEntries(TargetList& list, TargetNode* a, TargetNode* b) {
  OBJHANDLE object = a->object;
  a->object = b->object;
  b->object = object;
  // The current mark stays with its object.
  if (list.current == a) {
    list.current = b;
  } else if (list.current == b) {
    list.current = a;
  }
}
