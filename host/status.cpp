// A vessel's status: position and velocity relative to the body of strongest
// pull, and the orientation angles taken from its rotation matrix.
#include <cmath>

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

void World::getStatus(const Vessel& v, VESSELSTATUS& status) const {
  status = VESSELSTATUS{};
  const ObjectId ref = referenceBody(v);
  const VECTOR3 refPos = globalPosition(ref);  // bodies stand still
  status.relPos = v.position - refPos;
  status.relVel = v.velocity;
  status.angVel = v.angVel;
  status.orientation = orientationAngles(v.rotation);
  status.refBody = toHandle(ref);
  status.base = exists(v.base) ? toHandle(v.base) : nullptr;
}

}  // namespace halcyra
