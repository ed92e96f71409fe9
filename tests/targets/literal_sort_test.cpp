// The list's sort against the literal one it stands for: a stable insertion
// sort that swaps the objects of neighbouring entries whenever the nearer one
// is strictly farther, asking the host for both distances at every comparison.
// On random lists, steady, drifting and scrambled, with ties, both must leave
// the same objects in the same entries and the current mark on the same entry.
#include <algorithm>
#include <random>

#include "targets/target_world.h"

namespace target_test {
namespace {

void literalSort(TargetList& list) {
  if (list.count < 2) return;
  for (TargetNode* e = list.head->next; e != list.head; e = e->next)
    for (TargetNode* p = e; p != list.head && isFarther(p, p->prev); p = p->prev)
      swapTargetEntries(list, p, p->prev);
}

// A list holding the same objects in the same order, with the current mark
// on the entry at the same place.
void copyList(const TargetList& from, TargetList& to) {
  clearTargetList(to);
  const TargetNode* node = from.head;
  uint32_t currentAt = 0;
  for (uint32_t i = 0; i < from.count; ++i, node = node->next) {
    appendTarget(to, node->object);
    if (node == from.current) currentAt = i;
  }
  to.current = to.head;
  for (uint32_t i = 0; i < currentAt; ++i) to.current = to.current->next;
}

// Objects from head, and the current mark's place.
std::pair<std::vector<OBJHANDLE>, uint32_t> contents(const TargetList& list) {
  std::vector<OBJHANDLE> objects;
  uint32_t currentAt = 0;
  const TargetNode* node = list.head;
  for (uint32_t i = 0; i < list.count; ++i, node = node->next) {
    objects.push_back(node->object);
    if (node == list.current) currentAt = i;
  }
  return {objects, currentAt};
}

class LiteralSort : public TargetWorld {
 protected:
  // Vessels at whole metres from 1 to 40 m, so that many share a distance.
  void populate(int n) {
    for (int i = 0; i < n; ++i) ids.push_back(addVessel("V" + std::to_string(i), spot()));
  }
  double spot() { return double(std::uniform_int_distribution<int>(1, 40)(random)); }
  void scramble() {
    for (halcyra::ObjectId id : ids) moveTo(id, spot());
  }
  void drift() {
    for (halcyra::ObjectId id : ids) {
      if (std::uniform_int_distribution<int>(0, 9)(random) != 0) continue;
      const double x = world->vessel(id)->position.x - kFocusX;
      moveTo(id, x + (std::uniform_int_distribution<int>(0, 1)(random) ? 1.0 : -1.0));
    }
  }
  // Sorts the instance's list both ways from the same state and compares.
  void expectSameAsLiteral(const char* kind, int round) {
    TargetList literal;
    copyList(mfd->targetList, literal);
    // A random current mark, so that its move is checked anywhere in the list.
    literal.current = literal.head;
    mfd->targetList.current = mfd->targetList.head;
    const int at = std::uniform_int_distribution<int>(0, int(literal.count) - 1)(random);
    for (int i = 0; i < at; ++i) {
      literal.current = literal.current->next;
      mfd->targetList.current = mfd->targetList.current->next;
    }
    literalSort(literal);
    refreshTargetList(*mfd);
    EXPECT_EQ(contents(mfd->targetList), contents(literal)) << kind << " round " << round;
    clearTargetList(literal);
  }

  std::mt19937 random{2024};
  std::vector<halcyra::ObjectId> ids;
};

TEST_F(LiteralSort, SteadyDriftingAndScrambledListsEndAsTheLiteralSortLeavesThem) {
  populate(300);
  makeInstance();
  closestTarget(*mfd);  // builds the list
  for (int round = 0; round < 20; ++round) {
    expectSameAsLiteral("steady", round);
    drift();
    expectSameAsLiteral("drifting", round);
    scramble();
    expectSameAsLiteral("scrambled", round);
  }
}

TEST_F(LiteralSort, AFewEntriesOutOfPlaceAndAReversedList) {
  populate(50);
  makeInstance();
  closestTarget(*mfd);
  // Reversed: every entry moves (the insertion gives up and the rest is merged).
  for (size_t i = 0; i < ids.size(); ++i) moveTo(ids[i], 1000.0 - double(i));
  expectSameAsLiteral("reversed", 0);
  // One far entry becomes the nearest.
  moveTo(ids[7], 0.5);
  expectSameAsLiteral("one to the front", 0);
}

TEST_F(LiteralSort, ADeletedAndANewObjectAtTheSameCountRebuildTheList) {
  populate(5);
  makeInstance();
  closestTarget(*mfd);
  world->deleteObject(ids[2]);
  const halcyra::ObjectId added = addVessel("New", 2.5);
  nextTarget(*mfd);
  const auto [objects, currentAt] = contents(mfd->targetList);
  EXPECT_EQ(std::count(objects.begin(), objects.end(), halcyra::toHandle(ids[2])), 0);
  EXPECT_EQ(std::count(objects.begin(), objects.end(), halcyra::toHandle(added)), 1);
}

}  // namespace
}  // namespace target_test
