// Instance slots, the instance lifecycle, the refresh timing and the settings
// an instance leaves for the next: the module's own state, reached by linking
// its code into the test with a stand-in host world installed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "vessel/trim_selection.h"
#include "mfd/gyrelle_mfd.h"
#include "module/mode_registration.h"
#include "state/module_state.h"
#include "support/world_fixture.h"

namespace {

constexpr double kDegToRad = 0.017453292519943278;

class Instances : public gyrelle_test::WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    resetModuleState();
  }
  GyrelleMFD* open(uint32_t width = 256, uint32_t height = 280) {
    const intptr_t made =
        gyrelleMsgProc(1, 1, width | (height << 16), reinterpret_cast<intptr_t>(&focus()));
    return reinterpret_cast<GyrelleMFD*>(made);
  }
};

TEST_F(Instances, PackedSizeGivesWidthAndHeight) {
  GyrelleMFD* mfd = open(256, 300);
  ASSERT_NE(mfd, nullptr);
  EXPECT_EQ(mfd->mfdWidth, 256u);
  EXPECT_EQ(mfd->mfdHeight, 300u);
  EXPECT_EQ(mfd->lineHeight, 10u);
  delete mfd;
}

TEST_F(Instances, SlotsFollowConstructionAndDestructionRules) {
  GyrelleMFD* first = open();
  GyrelleMFD* second = open();
  GyrelleMFD* third = open();
  EXPECT_EQ(moduleState.instanceSlot[0], first);
  EXPECT_EQ(moduleState.instanceSlot[1], third);  // the third took slot 1 from the second
  GyrelleMFD* fourth = open();                    // and the fourth from the third
  EXPECT_EQ(moduleState.instanceSlot[1], fourth);
  delete second;  // in neither slot: the slots stay as they are
  EXPECT_EQ(moduleState.instanceSlot[0], first);
  EXPECT_EQ(moduleState.instanceSlot[1], fourth);
  delete first;  // slot 0 goes to the newest instance waiting for one
  EXPECT_EQ(moduleState.instanceSlot[0], third);
  EXPECT_EQ(moduleState.instanceSlot[1], fourth);
  GyrelleMFD* fifth = open();  // both slots taken: slot 1 changes hands
  EXPECT_EQ(moduleState.instanceSlot[0], third);
  EXPECT_EQ(moduleState.instanceSlot[1], fifth);
  delete fifth;  // and comes back to the fourth
  EXPECT_EQ(moduleState.instanceSlot[1], fourth);
  delete third;
  EXPECT_EQ(moduleState.instanceSlot[0], nullptr);  // nobody waiting
  delete fourth;
  EXPECT_EQ(moduleState.instanceSlot[0], nullptr);
  EXPECT_EQ(moduleState.instanceSlot[1], nullptr);
}

TEST_F(Instances, FirstInstanceStartsOnTheVesselsOwnAttitude) {
  world->vessel(vessel)->angVel = VECTOR3{0, 0, 0};
  GyrelleMFD* mfd = open();
  EXPECT_EQ(mfd->refMode, RefMode::kUserAttitude);
  EXPECT_EQ(mfd->holdActive, 0);
  EXPECT_EQ(mfd->trimActive, 0u);
  EXPECT_EQ(mfd->helpPage, 0);
  EXPECT_EQ(mfd->colourMode, 0);
  VESSELSTATUS status;
  focus().GetStatus(status);
  for (int i = 0; i < 3; ++i) {
    EXPECT_DOUBLE_EQ(mfd->attOffset[i], 0.0);
    EXPECT_DOUBLE_EQ(mfd->refAttitude[i], status.orientation[i]);
    EXPECT_NEAR(mfd->attDeviation[i], 0.0, 1e-12);
  }
  EXPECT_EQ(moduleState.focusVessel, &focus());
  delete mfd;
}

TEST_F(Instances, ModeOneSettingsCarryAcrossRecreation) {
  GyrelleMFD* mfd = open();
  mfd->attOffset = VECTOR3{-10.5 * kDegToRad, 0, 0};
  mfd->refAttitude = VECTOR3{0.1, 0.2, 0.3};
  mfd->holdActive = 1;
  mfd->colourMode = 2;
  mfd->helpPage = 4;
  delete mfd;
  GyrelleMFD* next = open();
  EXPECT_EQ(next->refMode, RefMode::kUserAttitude);
  EXPECT_EQ(next->holdActive, 1);
  EXPECT_EQ(next->colourMode, 2);
  EXPECT_EQ(next->helpPage, 0);  // the help page is never carried
  EXPECT_DOUBLE_EQ(next->attOffset.x, -10.5 * kDegToRad);
  EXPECT_DOUBLE_EQ(next->refAttitude.z, 0.3);
  next->holdActive = 0;
  delete next;
}

TEST_F(Instances, TargetSettingsCarryAcrossRecreationWithoutOffsets) {
  GyrelleMFD* mfd = open();
  mfd->refMode = RefMode::kTargetRelative;
  mfd->attOffset = VECTOR3{0.5, 0.5, 0.5};
  mfd->targetHandle = halcyra::toHandle(base);
  std::strcpy(mfd->targetName, "Cape Ridge");
  mfd->trimSelection = TRIM_LATERAL;
  delete mfd;
  GyrelleMFD* next = open();
  EXPECT_EQ(next->refMode, RefMode::kTargetRelative);
  EXPECT_EQ(next->targetHandle, halcyra::toHandle(base));
  EXPECT_STREQ(next->targetName, "Cape Ridge");
  EXPECT_EQ(next->trimSelection, TRIM_LATERAL);
  EXPECT_EQ(next->attOffset.x, 0.0);
  EXPECT_EQ(next->targetList.count, 0u);
  delete next;
}

TEST_F(Instances, LastDestroyedInstanceSettingsWin) {
  GyrelleMFD* a = open();
  GyrelleMFD* b = open();
  a->colourMode = 1;
  b->colourMode = 2;
  delete a;
  delete b;
  GyrelleMFD* c = open();
  GyrelleMFD* d = open();
  EXPECT_EQ(c->colourMode, 2);
  EXPECT_EQ(d->colourMode, 2);
  delete c;
  delete d;
}

TEST_F(Instances, RefreshRunsOncePerQuarterSecondOfSimulationTime) {
  GyrelleMFD* mfd = open();
  EXPECT_EQ(mfd->refreshTimer, 0.0);  // construction always refreshes
  halcyra::Vessel* v = world->vessel(vessel);
  v->position = v->position + VECTOR3{1000.0, 0, 0};  // seen by the next refresh
  mfd->stepUpdate(0.1);
  mfd->stepUpdate(0.1);
  EXPECT_NE(mfd->status.relPos.x, v->position.x);
  mfd->stepUpdate(0.1);  // the third 0.1 s step refreshes
  EXPECT_EQ(mfd->status.relPos.x, v->position.x);
  EXPECT_EQ(mfd->refreshTimer, 0.0);
  v->position = v->position + VECTOR3{1000.0, 0, 0};
  mfd->stepUpdate(0.3);  // a single long step refreshes at once
  EXPECT_EQ(mfd->status.relPos.x, v->position.x);
  delete mfd;
}

TEST_F(Instances, LiveInstancesAreTracked) {
  GyrelleMFD* mfd = open();
  void* token = instanceToken(mfd->serial);
  EXPECT_EQ(liveInstance(token), static_cast<InstanceRecord*>(mfd));
  delete mfd;
  EXPECT_EQ(liveInstance(token), nullptr);
  EXPECT_EQ(liveInstance(nullptr), nullptr);
}

}  // namespace
