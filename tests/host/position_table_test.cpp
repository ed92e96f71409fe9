// The world answers vessel positions from its own table, not from the vessel
// records: every way a vessel moves, comes or goes must reach that table, or
// distances (and so target lists) go stale.
#include <cstring>

#include "earth_world.h"

namespace halcyra {
namespace {

class PositionTable : public EarthWorld {
 protected:
  // Where the host says `object` is, seen from `from` and globally.
  VECTOR3 relative(ObjectId from, ObjectId object) {
    VECTOR3 p{1, 2, 3};
    iface(from)->GetRelativePos(toHandle(object), p);
    return p;
  }
  VECTOR3 global(ObjectId object) {
    VECTOR3 p{1, 2, 3};
    hapiGetGlobalPos(toHandle(object), &p);
    return p;
  }
  // Both answers against the vessel records, bit for bit.
  void expectRecords(ObjectId from, ObjectId object) {
    const VECTOR3 want = world->vessel(from)->position - world->vessel(object)->position;
    const VECTOR3 got = relative(from, object);
    EXPECT_EQ(std::memcmp(&got, &want, sizeof want), 0)
        << "relative (" << got.x << ", " << got.y << ", " << got.z << ") != records' (" << want.x
        << ", " << want.y << ", " << want.z << ")";
    const VECTOR3 g = global(object);
    EXPECT_EQ(std::memcmp(&g, &world->vessel(object)->position, sizeof g), 0) << g.x;
  }
};

TEST_F(PositionTable, FollowsSpawnStepTeleportAndDeletion) {
  expectRecords(gyre1, tenderId);
  EXPECT_EQ(relative(gyre1, tenderId).y, -100.0);

  // Stepping moves both vessels (they are in orbit, at different speeds).
  const VECTOR3 before = world->vessel(tenderId)->position;
  world->step(10.0);
  ASSERT_NE(world->vessel(tenderId)->position.y, before.y);
  expectRecords(gyre1, tenderId);
  expectRecords(tenderId, gyre1);

  // A teleport.
  world->setPosition(*world->vessel(tenderId), VECTOR3{7.0e6, -5.0e5, 1234.5});
  expectRecords(gyre1, tenderId);
  EXPECT_EQ(global(tenderId).z, 1234.5);

  // A vessel that comes later, placed relative to its body.
  VesselSpec spec;
  spec.name = "Late";
  spec.body = "Earth";
  spec.position = {6.9e6, 10.0, -20.0};
  const ObjectId late = world->addVessel(spec);
  expectRecords(gyre1, late);
  EXPECT_EQ(global(late).x, 6.9e6);

  // A deleted vessel answers as no object, and the others still answer.
  ASSERT_TRUE(world->deleteObject(tenderId));
  EXPECT_EQ(relative(gyre1, tenderId).x, 0.0);
  EXPECT_EQ(global(tenderId).y, 0.0);
  world->step(10.0);
  expectRecords(gyre1, late);
  expectRecords(late, gyre1);
}

}  // namespace
}  // namespace halcyra
