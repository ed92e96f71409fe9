// Objects, handles and their lifetime; the plain host operations.
#include <cmath>
#include <cstring>
#include <limits>

#include "earth_world.h"

namespace halcyra {
namespace {

class Objects : public EarthWorld {};

TEST_F(Objects, EnumerateBodiesThenBasesThenVesselsAndSpawnsLast) {
  VesselSpec late;
  late.name = "Late";
  late.vesselClass = "none";
  const ObjectId lateId = world->addVessel(late);
  world->addBody("Moon", 4.9e12, 1.7e6, {3.8e8, 0, 0});  // a body added later still comes first
  ASSERT_EQ(hapiGetObjectCount(), 6u);
  const char* expected[] = {"Earth", "Moon", "Cape Ridge", "Gyre-1", "Tender", "Late"};
  for (int i = 0; i < 6; ++i) {
    char name[20];
    hapiGetObjectName(hapiGetObjectByIndex(i), name, sizeof name);
    EXPECT_STREQ(name, expected[i]);
  }
  EXPECT_EQ(hapiGetObjectByIndex(6), nullptr);
  EXPECT_EQ(hapiGetObjectByIndex(-1), nullptr);
  EXPECT_EQ(hapiGetObjectByName("Late"), toHandle(lateId));
  EXPECT_EQ(hapiGetObjectByName("late"), nullptr);
  EXPECT_EQ(hapiGetObjectByName(nullptr), nullptr);
}

TEST_F(Objects, NamesAreCutToCapacityAndTerminated) {
  char buf[8];
  std::memset(buf, 'x', sizeof buf);
  hapiGetObjectName(toHandle(cape), buf, 5);
  EXPECT_STREQ(buf, "Cape");
  EXPECT_EQ(buf[5], 'x') << "nothing written past the capacity";
  hapiGetObjectName(toHandle(cape), buf, 1);
  EXPECT_STREQ(buf, "");
  buf[0] = 'q';
  hapiGetObjectName(toHandle(cape), buf, 0);
  hapiGetObjectName(toHandle(cape), buf, -3);
  EXPECT_EQ(buf[0], 'q');
  hapiGetObjectName(toHandle(cape), nullptr, 10);  // refused, no crash
}

TEST_F(Objects, DeletedVesselAnswersAsNullEverywhere) {
  VESSEL* gone = iface(tenderId);
  const OBJHANDLE h = toHandle(tenderId);
  ASSERT_TRUE(world->dock(gyre1, 0, tenderId));
  ASSERT_TRUE(world->deleteObject(tenderId));
  EXPECT_FALSE(world->deleteObject(tenderId));

  // The world's operations.
  EXPECT_EQ(hapiGetVesselInterface(h), nullptr);
  EXPECT_EQ(hapiGetObjectByName("Tender"), nullptr);
  EXPECT_EQ(hapiGetObjectCount(), 3u);
  char name[20] = "junk";
  hapiGetObjectName(h, name, sizeof name);
  EXPECT_STREQ(name, "");
  VECTOR3 p{1, 1, 1};
  hapiGetGlobalPos(h, &p);
  EXPECT_EQ(p.x, 0.0);
  EXPECT_FALSE(world->setFocus(tenderId));
  EXPECT_FALSE(world->dock(gyre1, 0, tenderId));

  // The other vessel's operations given the stale handle.
  VESSEL* me = iface(gyre1);
  EXPECT_EQ(me->GetDockStatus(me->GetDockHandle(0)), nullptr) << "the port freed";
  me->GetRelativePos(h, p);
  EXPECT_EQ(p.y, 0.0);
  p = {1, 1, 1};
  me->GetRelativeVel(h, p);
  EXPECT_EQ(p.z, 0.0);

  // The deleted vessel's own interface stays an object and answers as for null.
  EXPECT_EQ(gone->GetHandle(), nullptr);
  VESSELSTATUS s{};
  s.relPos = {5, 5, 5};
  gone->GetStatus(s);
  EXPECT_EQ(s.relPos.x, 0.0);
  EXPECT_EQ(s.refBody, nullptr);
  EXPECT_EQ(gone->GetMass(), 0.0);
  gone->GetPMI(p);
  EXPECT_EQ(p.x, 0.0);
  gone->Global2Local({1, 2, 3}, p);
  EXPECT_EQ(p.x, 0.0);
  gone->GetRelativePos(toHandle(earth), p);
  EXPECT_EQ(p.x, 0.0);
  gone->GetRelativeVel(toHandle(earth), p);
  EXPECT_EQ(p.y, 0.0);
  gone->SetAttitudeRotLevel({1, 1, 1});
  gone->SetAttitudeLinLevel(0, 1);
  gone->SetEngineLevel(ENGINE_MAIN, 1);
  EXPECT_EQ(gone->GetThrusterGroupLevel(THGROUP_MAIN), 0.0);
  EXPECT_EQ(gone->GetGroupThrusterCount(THGROUP_PITCH_RAISE), 0u);
  EXPECT_EQ(gone->GetGroupThruster(THGROUP_PITCH_RAISE, 0), nullptr);
  EXPECT_EQ(gone->GetThrusterMax(me->GetGroupThruster(THGROUP_MAIN, 0)), 0.0);
  gone->GetThrusterRef(me->GetGroupThruster(THGROUP_MAIN, 0), p);
  EXPECT_EQ(p.z, 0.0);
  EXPECT_EQ(gone->DockCount(), 0u);
  EXPECT_EQ(gone->GetDockHandle(0), nullptr);
  EXPECT_EQ(gone->GetDockStatus(me->GetDockHandle(0)), nullptr);
}

// The focus moves on from a deleted vessel to the first vessel left, then to
// none; a deleted body answers as a null handle.
TEST_F(Objects, DeletedFocusMovesOnAndDeletedBodyAnswersAsNull) {
  ASSERT_TRUE(world->deleteObject(gyre1));
  EXPECT_EQ(hapiGetFocusObject(), toHandle(tenderId));
  EXPECT_EQ(hapiGetFocusInterface(), iface(tenderId));
  ASSERT_TRUE(world->deleteObject(earth));
  VECTOR3 p{1, 1, 1};
  hapiGetGlobalPos(toHandle(earth), &p);
  EXPECT_EQ(p.x, 0.0);
  VESSELSTATUS s{};
  iface(tenderId)->GetStatus(s);
  EXPECT_EQ(s.refBody, nullptr) << "no body left to be relative to";
  EXPECT_DOUBLE_EQ(s.relPos.x, 6671010.0);
  world->step(0.1);  // flies on without gravity
  ASSERT_TRUE(world->deleteObject(tenderId));
  EXPECT_EQ(hapiGetFocusInterface(), nullptr);
  EXPECT_EQ(hapiGetFocusObject(), nullptr);
}

TEST_F(Objects, IdsAreNeverReused) {
  ASSERT_TRUE(world->deleteObject(tenderId));
  VesselSpec again;
  again.name = "Tender";
  const ObjectId id = world->addVessel(again);
  EXPECT_NE(id, tenderId);
  EXPECT_EQ(hapiGetVesselInterface(toHandle(tenderId)), nullptr);
  EXPECT_NE(hapiGetVesselInterface(toHandle(id)), nullptr);
}

TEST_F(Objects, BadSpecsAreRefusedWithAReason) {
  VesselSpec s;
  s.name = "Gyre-1";
  EXPECT_THROW(world->addVessel(s), std::invalid_argument);  // duplicate
  s.name = "X";
  s.vesselClass = "shuttle";
  EXPECT_THROW(world->addVessel(s), std::invalid_argument);
  s.vesselClass = "generic";
  s.body = "Mars";
  EXPECT_THROW(world->addVessel(s), std::invalid_argument);
  s.body.clear();
  s.position.x = std::nan("");
  EXPECT_THROW(world->addVessel(s), std::invalid_argument);
  s.position.x = 0;
  s.dryMass = 0.0;
  EXPECT_THROW(world->addVessel(s), std::invalid_argument);
  s.dryMass.reset();
  Thruster t;
  t.group = 15;
  t.direction = {0, 0, 1};
  s.extraThrusters.push_back(t);
  EXPECT_THROW(world->addVessel(s), std::invalid_argument);
  EXPECT_THROW(world->addBody("", 1, 1, {}), std::invalid_argument);
  EXPECT_THROW(world->addBase("B", "Nowhere", {}), std::invalid_argument);
  EXPECT_EQ(world->findByName("X"), 0u);
}

TEST_F(Objects, LevelsFollowTheGroupPairs) {
  VESSEL* v = iface(gyre1);
  v->SetAttitudeRotLevel({0.3, -0.4, 0.5});
  EXPECT_DOUBLE_EQ(v->GetThrusterGroupLevel(THGROUP_PITCH_RAISE), 0.3);
  EXPECT_DOUBLE_EQ(v->GetThrusterGroupLevel(THGROUP_PITCH_LOWER), 0.0);
  EXPECT_DOUBLE_EQ(v->GetThrusterGroupLevel(THGROUP_YAW_RAISE), 0.0);
  EXPECT_DOUBLE_EQ(v->GetThrusterGroupLevel(THGROUP_YAW_LOWER), 0.4);
  EXPECT_DOUBLE_EQ(v->GetThrusterGroupLevel(THGROUP_ROLL_RAISE), 0.5);
  v->SetAttitudeRotLevel(0, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(v->GetThrusterGroupLevel(THGROUP_PITCH_RAISE), 0.0);
  v->SetAttitudeRotLevel(7, 1.0);  // no such axis: nothing changes
  EXPECT_DOUBLE_EQ(v->GetThrusterGroupLevel(THGROUP_ROLL_RAISE), 0.5);

  v->SetAttitudeLinLevel({-1, 0.25, -std::numeric_limits<double>::infinity()});
  EXPECT_DOUBLE_EQ(v->GetThrusterGroupLevel(THGROUP_LIN_NEG_X), 1.0);
  EXPECT_DOUBLE_EQ(v->GetThrusterGroupLevel(THGROUP_LIN_POS_Y), 0.25);
  EXPECT_EQ(v->GetThrusterGroupLevel(THGROUP_LIN_NEG_Z), 0.0);

  v->SetEngineLevel(ENGINE_MAIN, 1.7);
  v->SetEngineLevel(ENGINE_RETRO, -0.5);
  v->SetEngineLevel(ENGINE_HOVER, 0.6);
  EXPECT_EQ(v->GetThrusterGroupLevel(THGROUP_MAIN), 1.0);
  EXPECT_EQ(v->GetThrusterGroupLevel(THGROUP_RETRO), 0.0);
  EXPECT_DOUBLE_EQ(v->GetThrusterGroupLevel(THGROUP_HOVER), 0.6);
  EXPECT_EQ(v->GetThrusterGroupLevel(static_cast<THGROUP_TYPE>(99)), 0.0);
}

TEST_F(Objects, GenericThrustersAndDockingPorts) {
  VESSEL* v = iface(gyre1);
  for (int g = 3; g < THGROUP_COUNT; ++g)
    EXPECT_EQ(v->GetGroupThrusterCount(static_cast<THGROUP_TYPE>(g)), 2u) << g;
  const THRUSTER_HANDLE main = v->GetGroupThruster(THGROUP_MAIN, 0);
  EXPECT_DOUBLE_EQ(v->GetThrusterMax(main), 200000.0);
  VECTOR3 ref{};
  v->GetThrusterRef(main, ref);
  EXPECT_DOUBLE_EQ(ref.z, -10.0);
  EXPECT_EQ(v->GetGroupThruster(THGROUP_MAIN, 1), nullptr);
  EXPECT_EQ(v->GetThrusterMax(nullptr), 0.0);
  EXPECT_EQ(v->GetThrusterMax(toHandle(gyre1)), 0.0) << "an object is no thruster";

  ASSERT_EQ(v->DockCount(), 1u);
  const DOCKHANDLE port = v->GetDockHandle(0);
  EXPECT_EQ(v->GetDockHandle(1), nullptr);
  EXPECT_EQ(v->GetDockStatus(port), nullptr);
  EXPECT_TRUE(world->dock(gyre1, 0, tenderId));
  EXPECT_FALSE(world->dock(gyre1, 0, tenderId)) << "port already engaged";
  EXPECT_FALSE(world->dock(gyre1, 1, tenderId));
  EXPECT_FALSE(world->dock(tenderId, 0, tenderId));
  EXPECT_EQ(v->GetDockStatus(port), toHandle(tenderId));
  EXPECT_EQ(iface(tenderId)->GetDockStatus(port), nullptr) << "another vessel's port";
  EXPECT_TRUE(world->undock(gyre1, 0));
  EXPECT_FALSE(world->undock(gyre1, 0));
  EXPECT_EQ(v->GetDockStatus(port), nullptr);
}

TEST(HostWithoutWorld, AnswersAsForNull) {
  ASSERT_EQ(World::current(), nullptr);
  EXPECT_EQ(hapiGetFocusInterface(), nullptr);
  EXPECT_EQ(hapiGetObjectCount(), 0u);
  EXPECT_EQ(hapiRegisterMFDMode(MFDMODESPEC{"M", 1, nullptr}), 0);
  EXPECT_FALSE(hapiUnregisterMFDMode(1));
  ASSERT_NE(hapiDebugString(), nullptr);
  std::strcpy(hapiDebugString(), "still writable");
  VESSEL stray(toHandle(12345));
  EXPECT_EQ(stray.GetMass(), 0.0);
}

TEST(Date2Int, ReadsCompilerDates) {
  EXPECT_EQ(Date2Int("Feb  6 2005"), 20050206);
  EXPECT_EQ(Date2Int("Dec 31 1999"), 19991231);
  EXPECT_GT(Date2Int(__DATE__), 20000101);
  EXPECT_EQ(Date2Int("Fob  6 2005"), 0);
  EXPECT_EQ(Date2Int("Feb 32 2005"), 0);
  EXPECT_EQ(Date2Int("Feb  6 2005x"), 0);
  EXPECT_EQ(Date2Int("Feb"), 0);
  EXPECT_EQ(Date2Int(""), 0);
  EXPECT_EQ(Date2Int(nullptr), 0);
}

TEST(InitLib, RecordsTheModuleHandle) {
  int token = 0;
  const auto module = reinterpret_cast<HINSTANCE>(&token);
  InitLib(module);
  EXPECT_EQ(initLibHandle(), module);
  InitLib(nullptr);
}

}  // namespace
}  // namespace halcyra
