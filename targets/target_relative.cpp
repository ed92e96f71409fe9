// The target-relative figures of the selected target, in vessel axes.
#include "targets/target_relative.h"

#include "geometry/attitude_angles.h"
#include "geometry/vector_math.h"
#include "instance/instance_record.h"
#include "state/module_state.h"

void clearTargetRelative(InstanceRecord& rec) {
  rec.targetRelPos = VECTOR3{0.0, 0.0, 0.0};
  rec.targetRelVel = VECTOR3{0.0, 0.0, 0.0};
  rec.rangeRate = 0.0;
  rec.attDeviation = VECTOR3{0.0, 0.0, 0.0};
}

void updateTargetRelativeAt(InstanceRecord& rec, const VECTOR3& vesselPos) {
  VESSEL* const vessel = moduleState.focusVessel;
  if (vessel == nullptr) return;
  if (rec.targetHandle == nullptr) {
    clearTargetRelative(rec);
    return;
  }
  VECTOR3 targetPos{};  // global [m]
  hapiGetGlobalPos(rec.targetHandle, &targetPos);
  VECTOR3 targetLocal{};
  VECTOR3 vesselLocal{};
  vessel->Global2Local(targetPos, targetLocal);
  vessel->Global2Local(vesselPos, vesselLocal);
  rec.targetRelPos = targetLocal - vesselLocal;          // vessel axes [m]
  rec.attDeviation = directionAngles(rec.targetRelPos);  // pitch and yaw of the line of sight

  VECTOR3 relVelGlobal{};  // own minus target's, global axes [m/s]
  vessel->GetRelativeVel(rec.targetHandle, relVelGlobal);
  // Global2Local of p + w, with p the vessel's own position, turns w into vessel axes.
  vessel->Global2Local(vesselPos + relVelGlobal, rec.targetRelVel);

  const VECTOR3& r = rec.targetRelPos;
  const VECTOR3& v = rec.targetRelVel;
  rec.rangeRate = (r.x * v.x + r.y * v.y + r.z * v.z) / vectorLength(r);  // [m/s]
}

void updateTargetRelative(InstanceRecord& rec) {
  if (moduleState.focusVessel == nullptr) return;
  VECTOR3 vesselPos{};
  hapiGetGlobalPos(moduleState.focusVessel->GetHandle(), &vesselPos);
  updateTargetRelativeAt(rec, vesselPos);
}
