// A vessel's status: position and velocity relative to the body of strongest
// pull, and the orientation angles taken from its rotation matrix.
#include <cmath>
#include <cstring>

#include "host/frames.h"
#include "host/world.h"

namespace halcyra {

ObjectId World::referenceBody(const Vessel& v) const {
  ObjectId best = 0;
  double strongest = -1.0;  // [m/s^2]
  for (const Body& b : bodies_) {
    const VECTOR3 d = v.position - b.position;
    const double r2 = dot(d, d);
    const double pull = r2 > 0.0 ? b.mu / r2 : INFINITY;
    if (pull > strongest) {
      strongest = pull;
      best = b.id;
    }
  }
  return best;
}

namespace {

// Bit for bit, so that -0 and +0 (which atan2 tells apart) count as changes.
template <typename T>
bool same(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

}  // namespace

void World::getStatus(const Vessel& v, VESSELSTATUS& status) const {
  // Two arc tangents, an arc sine and the object look-ups, saved while the
  // vessel's state and the world's objects stay as they were.
  StatusCache& cache = v.status;
  if (cache.valid && cache.worldGeneration == generation_ && cache.base == v.base &&
      same(cache.position, v.position) && same(cache.velocity, v.velocity) &&
      same(cache.angVel, v.angVel) && same(cache.rotation, v.rotation)) {
    status = cache.status;
    return;
  }
  status = VESSELSTATUS{};
  const ObjectId ref = referenceBody(v);
  const VECTOR3 refPos = globalPosition(ref);  // bodies stand still
  status.relPos = v.position - refPos;
  status.relVel = v.velocity;
  status.angVel = v.angVel;
  status.orientation = orientationAngles(v.rotation);
  status.refBody = toHandle(ref);
  status.base = exists(v.base) ? toHandle(v.base) : nullptr;
  cache =
      StatusCache{true, generation_, v.position, v.velocity, v.angVel, v.rotation, v.base, status};
}

}  // namespace halcyra
