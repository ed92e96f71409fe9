// The four reference attitudes and the target-relative quantities.
//
// The references of modes 1, 2 and 4 are orientation-angle triples in global
// axes (the status record's convention); mode 3 measures the line of sight to
// the target in vessel axes and leaves refAttitude as the previous mode left it.
// Every entry point does nothing without a focus vessel: the host's interface
// pointer is the one input the module cannot vouch for.
#include "geometry/reference_frames.h"

#include "entry/entry_prediction.h"
#include "geometry/attitude_angles.h"
#include "geometry/vector_math.h"
#include "mfd/gyrelle_mfd.h"
#include "module/module_state.h"
#include "targets/target_commands.h"

namespace {

// The vessel's global position now [m]. Within a refresh the position just
// read (globalPos) is the vessel's position; at any other time (a mode
// selection) the vessel has flown on since, up to 0.25 s at orbital speed, and
// the position must be read anew for Global2Local(p + d) to turn d alone.
VECTOR3 positionNow() {
  VECTOR3 p{};
  hapiGetGlobalPos(focusVessel->GetHandle(), &p);
  return p;
}

// vesselPos: the vessel's global position at the moment of computation [m].
void updateDeviation(GyrelleMFD& mfd, const VECTOR3& vesselPos) {
  mfd.attDeviation = attitudeDeviation(mfd.refAttitude, mfd.attOffset, vesselPos, *focusVessel);
}

// A frame whose z axis runs along the velocity and whose x axis along r x v
// (the orbit normal, so horizontal): pitch and yaw are measured from the
// velocity vector, roll from the tangent plane of the reference body.
VECTOR3 velocityHorizonFrame(const VECTOR3& relPos, const VECTOR3& relVel) {  // [m], [m/s]
  return frameAngles(relVel, crossProduct(relPos, relVel));
}

void clearTargetRelative(GyrelleMFD& mfd) {
  mfd.targetRelPos = VECTOR3{0.0, 0.0, 0.0};
  mfd.targetRelVel = VECTOR3{0.0, 0.0, 0.0};
  mfd.rangeRate = 0.0;
  mfd.attDeviation = VECTOR3{0.0, 0.0, 0.0};
}

// vesselPos: the vessel's global position at the moment of computation [m].
void updateTargetRelativeAt(GyrelleMFD& mfd, const VECTOR3& vesselPos) {
  if (mfd.targetHandle == nullptr) {
    clearTargetRelative(mfd);
    return;
  }
  VECTOR3 targetPos{};  // global [m]
  hapiGetGlobalPos(mfd.targetHandle, &targetPos);
  VECTOR3 targetLocal{};
  VECTOR3 vesselLocal{};
  focusVessel->Global2Local(targetPos, targetLocal);
  focusVessel->Global2Local(vesselPos, vesselLocal);
  mfd.targetRelPos = targetLocal - vesselLocal;          // vessel axes [m]
  mfd.attDeviation = directionAngles(mfd.targetRelPos);  // pitch and yaw of the line of sight

  VECTOR3 relVelGlobal{};  // own minus target's, global axes [m/s]
  focusVessel->GetRelativeVel(mfd.targetHandle, relVelGlobal);
  // Global2Local of p + w, with p the vessel's own position, turns w into vessel axes.
  focusVessel->Global2Local(vesselPos + relVelGlobal, mfd.targetRelVel);

  const VECTOR3& r = mfd.targetRelPos;
  const VECTOR3& v = mfd.targetRelVel;
  mfd.rangeRate = (r.x * v.x + r.y * v.y + r.z * v.z) / vectorLength(r);  // [m/s]
}

void buildVelocityReferenceAt(GyrelleMFD& mfd, const VECTOR3& vesselPos) {
  mfd.refAttitude = velocityHorizonFrame(mfd.status.relPos, mfd.status.relVel);
  updateDeviation(mfd, vesselPos);
}

// Without a prediction the last reference and deviations stand.
void buildEntryReferenceAt(GyrelleMFD& mfd, const VECTOR3& vesselPos) {
  predictEntryInterface(mfd.entryPrediction);
  if (!mfd.entryPrediction.valid) return;
  mfd.refAttitude =
      velocityHorizonFrame(mfd.entryPrediction.eiPosition, mfd.entryPrediction.eiVelocity);
  updateDeviation(mfd, vesselPos);
}

}  // namespace

void captureUserReference(GyrelleMFD& mfd) {
  if (focusVessel == nullptr) return;
  mfd.refAttitude = mfd.status.orientation;
  updateDeviation(mfd, positionNow());
}

void refreshUserReference(GyrelleMFD& mfd) {
  if (focusVessel == nullptr) return;
  updateDeviation(mfd, mfd.globalPos);
}

void buildVelocityReference(GyrelleMFD& mfd) {
  if (focusVessel == nullptr) return;
  buildVelocityReferenceAt(mfd, positionNow());
}

// Outside a refresh (target selection) the vessel's position is read anew.
void updateTargetRelative(GyrelleMFD& mfd) {
  if (focusVessel == nullptr) return;
  VECTOR3 vesselPos{};
  hapiGetGlobalPos(focusVessel->GetHandle(), &vesselPos);
  updateTargetRelativeAt(mfd, vesselPos);
}

void buildEntryReference(GyrelleMFD& mfd) {
  if (focusVessel == nullptr) return;
  buildEntryReferenceAt(mfd, positionNow());
}

void refreshReference(GyrelleMFD& mfd) {
  if (focusVessel == nullptr) return;
  switch (mfd.refMode) {
    case 1:
      refreshUserReference(mfd);
      break;
    // Within a refresh the position just read is the vessel's position.
    case 2:
      buildVelocityReferenceAt(mfd, mfd.globalPos);
      break;
    case 3:
      if (checkTarget(mfd)) {
        updateTargetRelativeAt(mfd, mfd.globalPos);
      } else if (mfd.targetHandle == nullptr) {
        clearTargetRelative(mfd);  // a dropped target leaves no figures behind
      }
      break;
    case 4:
      buildEntryReferenceAt(mfd, mfd.globalPos);
      break;
    default:
      break;
  }
}

void enterReferenceMode(GyrelleMFD& mfd, int mode) {
  if (focusVessel == nullptr) return;
  switch (mode) {
    case 1:
      captureUserReference(mfd);
      break;
    case 2:
      buildVelocityReference(mfd);
      break;
    case 3:
      enterTargetMode(mfd);  // list refresh and selection, ending in updateTargetRelative
      break;
    case 4:
      buildEntryReference(mfd);
      break;
    default:
      break;
  }
}
