// The target list: order by distance, the selection commands, and dropping
// objects that have left the world.
#include <random>

#include "target_world.h"
#include "vessel/trim_selection.h"

namespace {

using halcyra::ObjectId;
using target_test::TargetWorld;

class TargetList3 : public TargetWorld {
 protected:
  void SetUp() override {
    TargetWorld::SetUp();
    far = addVessel("Far", 500.0);
    near = addVessel("Near", 100.0);
    mid = addVessel("Mid", 300.0);
    makeInstance();
  }
  ObjectId far = 0, near = 0, mid = 0;
};

TEST_F(TargetList3, RebuildOrdersByDistanceAndMarksTheHostsFirstObject) {
  rebuildTargetList(*mfd);
  // Pad is 999 m away, Earth 1000 m.
  EXPECT_EQ(listOrder(), (std::vector<ObjectId>{focus, near, mid, far, pad, earth}));
  EXPECT_EQ(current(), earth);
  closestTarget(*mfd);
  EXPECT_EQ(target(), near);
  EXPECT_STREQ(mfd->targetName, "Near");
}

TEST_F(TargetList3, NextAndPreviousWrapPastTheFocusVessel) {
  ASSERT_TRUE(selectTargetByName(*mfd, "Earth"));  // the farthest
  nextTarget(*mfd);
  EXPECT_EQ(target(), near);
  previousTarget(*mfd);
  EXPECT_EQ(target(), earth);
  previousTarget(*mfd);
  EXPECT_EQ(target(), pad);
}

TEST_F(TargetList3, NextMovesFromTheSelectedObjectsNewPlaceAfterMotion) {
  closestTarget(*mfd);
  nextTarget(*mfd);
  ASSERT_EQ(target(), mid);
  moveTo(mid, 50.0);  // now the nearest
  nextTarget(*mfd);
  EXPECT_EQ(target(), near);
}

TEST_F(TargetList3, NewVesselRebuildsAndNextStartsFromTheHostsFirstObject) {
  closestTarget(*mfd);
  const ObjectId fresh = addVessel("Fresh", 50.0);
  nextTarget(*mfd);  // from Earth, the farthest, round past the focus vessel
  EXPECT_EQ(target(), fresh);
  EXPECT_EQ(mfd->targetList.count, 7u);
}

// A host may list the same objects in another order from one call to the
// next: the list is then re-sorted, not rebuilt, so NXT goes on from the
// selected object's place (a rebuild would put the mark on the object the
// host now lists first). The world's own order is Earth, Pad, Focus, Far,
// Near, Mid; none of these puts Mid first, where a rebuild would go unseen.
TEST_F(TargetList3, AHostListingTheSameObjectsInAnotherOrderKeepsNextsPlace) {
  const std::vector<std::vector<size_t>> permutations = {
      {1, 2, 3, 4, 5, 0},  // rotated
      {0, 1, 5, 4, 3, 2},  // the vessels reversed
      {3, 0, 1, 2, 4, 5},  // Far first
      {0, 1, 2, 4, 3, 5},  // two neighbours swapped
  };
  struct Restore {
    ~Restore() { halcyra::setObjectPermutation({}); }
  } restore;
  for (const std::vector<size_t>& permutation : permutations) {
    halcyra::setObjectPermutation({});
    closestTarget(*mfd);
    nextTarget(*mfd);
    ASSERT_EQ(target(), mid);
    const std::vector<ObjectId> before = listOrder();
    halcyra::setObjectPermutation(permutation);
    nextTarget(*mfd);
    EXPECT_EQ(target(), far) << "permutation starting " << permutation[0];
    EXPECT_EQ(listOrder(), before) << "permutation starting " << permutation[0];
  }
}

TEST_F(TargetList3, BaseTargetLeavesTheListMarkWhereItWas) {
  closestTarget(*mfd);
  ASSERT_TRUE(selectBaseTarget(*mfd));
  EXPECT_EQ(target(), pad);
  EXPECT_STREQ(mfd->targetName, "Pad");
  nextTarget(*mfd);
  EXPECT_EQ(target(), mid);
}

TEST_F(TargetList3, NoBaseChangesNothing) {
  closestTarget(*mfd);
  const ObjectId lone = addVessel("Lone", 700.0);
  world->setFocus(lone);
  EXPECT_FALSE(selectBaseTarget(*mfd));
  EXPECT_EQ(target(), near);
  EXPECT_STREQ(mfd->targetName, "Near");
}

TEST_F(TargetList3, TypedNames) {
  EXPECT_TRUE(selectTargetByName(*mfd, "Focus"));  // the focus vessel itself
  EXPECT_EQ(target(), focus);
  EXPECT_FALSE(selectTargetByName(*mfd, "Nobody"));
  EXPECT_FALSE(selectTargetByName(*mfd, nullptr));
  EXPECT_EQ(target(), focus);
  char text[] = "Mid";
  EXPECT_TRUE(targetNameEntered(nullptr, text, instanceToken(mfd->serial)));
  EXPECT_EQ(target(), mid);
  int notAnInstance = 0;
  EXPECT_FALSE(targetNameEntered(nullptr, text, &notAnInstance));
}

TEST_F(TargetWorld, EqualDistancesKeepTheHostsOrder) {
  const ObjectId beyond = addVessel("Beyond", 300.0);
  const ObjectId ahead = addVessel("Ahead", 200.0);
  const ObjectId behind = addVessel("Behind", -200.0);
  const ObjectId again = addVessel("Again", 200.0);
  makeInstance();
  rebuildTargetList(*mfd);
  EXPECT_EQ(listOrder(), (std::vector<ObjectId>{focus, ahead, behind, again, beyond, pad, earth}));
}

TEST_F(TargetWorld, AListOfOnlyTheFocusVesselSelectsIt) {
  ASSERT_TRUE(world->deleteObject(pad));
  ASSERT_TRUE(world->deleteObject(earth));
  makeInstance();
  closestTarget(*mfd);
  EXPECT_EQ(target(), focus);
  nextTarget(*mfd);
  EXPECT_EQ(target(), focus);
  previousTarget(*mfd);
  EXPECT_EQ(target(), focus);
}

// A literal insertion sort swapping neighbouring entries, for comparison with
// the one in use.
void insertionSort(TargetList& list) {
  if (list.count < 2) return;
  for (TargetNode* e = list.head->next; e != list.head; e = e->next) {
    for (TargetNode* p = e; p != list.head && isFarther(p, p->prev); p = p->prev) {
      swapTargetEntries(list, p, p->prev);
    }
  }
}

TEST_F(TargetWorld, SortMatchesTheInsertionSortIncludingTheCurrentMark) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> step(1, 6);  // few distinct distances: many ties
  for (int i = 0; i < 40; ++i) addVessel("V" + std::to_string(i), 50.0 * step(random));
  makeInstance();
  // Both lists start in the host's order; each round starts from the order
  // the last round left, with the current mark somewhere else.
  TargetList reference{};
  for (uint32_t i = 0; i < hapiGetObjectCount(); ++i) {
    appendTarget(mfd->targetList, hapiGetObjectByIndex(static_cast<int>(i)));
    appendTarget(reference, hapiGetObjectByIndex(static_cast<int>(i)));
  }
  for (int round = 0; round < 5; ++round) {
    TargetNode* ours = mfd->targetList.head;
    TargetNode* theirs = reference.head;
    const int mark = step(random) * 5;
    for (int i = 0; i < mark; ++i) ours = ours->next, theirs = theirs->next;
    mfd->targetList.current = ours;
    reference.current = theirs;
    for (halcyra::Vessel* v : world->vessels()) {
      if (v->id != focus) moveTo(v->id, 50.0 * step(random));
    }
    sortTargetList(mfd->targetList);
    insertionSort(reference);
    const TargetNode* a = mfd->targetList.head;
    const TargetNode* b = reference.head;
    for (uint32_t i = 0; i < reference.count; ++i, a = a->next, b = b->next) {
      ASSERT_EQ(a->object, b->object) << "round " << round << " entry " << i;
    }
    EXPECT_EQ(mfd->targetList.current->object, reference.current->object) << "round " << round;
  }
  clearTargetList(reference);
}

// Objects that leave the world.
class GoneTarget : public TargetList3 {
 protected:
  void SetUp() override {
    TargetList3::SetUp();
    mfd->refMode = RefMode::kTargetRelative;
    closestTarget(*mfd);
    mfd->holdActive = 1;
    mfd->trimActive = 1;
    mfd->trimSelection = TRIM_ALL;
    mfd->targetRelPos = VECTOR3{100, 0, 0};
    mfd->targetRelVel = VECTOR3{1, 2, 3};
    mfd->rangeRate = 1.0;
    mfd->attDeviation = VECTOR3{0.1, 0.2, 0.0};
    moduleState.focusVessel->SetAttitudeRotLevel(VECTOR3{0.5, 0.5, 0.5});
    moduleState.focusVessel->SetAttitudeLinLevel(VECTOR3{0.5, 0.5, 0.5});
    moduleState.focusVessel->SetEngineLevel(ENGINE_MAIN, 0.5);
  }
};

TEST_F(GoneTarget, ExistingTargetIsKept) {
  EXPECT_TRUE(checkTarget(*mfd));
  EXPECT_EQ(target(), near);
  EXPECT_EQ(mfd->trimActive, 1u);
}

TEST_F(GoneTarget, IsDroppedWithItsFiguresHoldAndTrim) {
  ASSERT_TRUE(world->deleteObject(near));
  EXPECT_FALSE(checkTarget(*mfd));
  EXPECT_EQ(mfd->targetHandle, nullptr);
  EXPECT_STREQ(mfd->targetName, "");
  EXPECT_EQ(mfd->rangeRate, 0.0);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(mfd->targetRelPos[i], 0.0);
    EXPECT_EQ(mfd->targetRelVel[i], 0.0);
    EXPECT_EQ(mfd->attDeviation[i], 0.0);
  }
  EXPECT_EQ(mfd->holdActive, 0);
  EXPECT_EQ(mfd->trimActive, 0u);
  const auto& level = world->vessel(focus)->groupLevel;
  for (int g = 0; g < THGROUP_COUNT; ++g) EXPECT_EQ(level[g], 0.0) << "group " << g;
}

TEST_F(GoneTarget, ANewObjectUnderTheSameNameIsNotTheTarget) {
  ASSERT_TRUE(world->deleteObject(near));
  addVessel("Near", 100.0);
  EXPECT_FALSE(checkTarget(*mfd));
  EXPECT_EQ(mfd->targetHandle, nullptr);
}

TEST_F(GoneTarget, ABaseUnderItsCutNameIsFound) {
  const ObjectId base = world->addBase("Base With A Rather Long Name", "Earth", VECTOR3{2, 0, 0});
  mfd->targetHandle = halcyra::toHandle(base);
  hapiGetObjectName(mfd->targetHandle, mfd->targetName, 20);
  ASSERT_STREQ(mfd->targetName, "Base With A Rather ");
  EXPECT_TRUE(checkTarget(*mfd));
  EXPECT_EQ(target(), base);
}

TEST_F(GoneTarget, HoldOnAnotherReferenceGoesOn) {
  mfd->refMode = RefMode::kUserAttitude;
  ASSERT_TRUE(world->deleteObject(near));
  EXPECT_FALSE(checkTarget(*mfd));
  EXPECT_EQ(mfd->holdActive, 1);
  EXPECT_EQ(mfd->trimActive, 0u);
}

TEST_F(GoneTarget, StaleEntriesRebuildTheListAtTheSameCount) {
  const uint32_t count = mfd->targetList.count;
  ASSERT_TRUE(world->deleteObject(mid));
  const ObjectId fresh = addVessel("Fresh", 400.0);
  nextTarget(*mfd);  // from Earth (rebuilt), round past the focus vessel
  EXPECT_EQ(mfd->targetList.count, count);
  EXPECT_EQ(listOrder(), (std::vector<ObjectId>{focus, near, fresh, far, pad, earth}));
  EXPECT_EQ(target(), near);
}

}  // namespace
