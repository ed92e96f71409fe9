// The reference modes: the attitudes of the user-attitude, velocity and
// entry-interface modes, and the dispatch of every mode's refresh and entry
// computation (target-relative mode measures the line of sight to the target,
// targets/target_relative.h).
//
// The references of those three modes are orientation-angle triples in global
// axes (the status record's convention); target-relative mode leaves
// refAttitude as the previous mode left it. Every entry point does nothing without a focus
// vessel: the host's interface pointer is the one input the module cannot
// vouch for.
#include "reference/reference_frames.h"

#include "entry/entry_prediction.h"
#include "geometry/attitude_angles.h"
#include "geometry/vector_math.h"
#include "instance/instance_record.h"
#include "state/module_state.h"
#include "targets/target_commands.h"
#include "targets/target_relative.h"

namespace {

// The vessel's global position now [m]. Within a refresh the position just
// read (globalPos) is the vessel's position; at any other time (a mode
// selection) the vessel has flown on since, up to 0.25 s at orbital speed, and
// the position must be read anew for Global2Local(p + d) to turn d alone.
VECTOR3 positionNow() {
  VECTOR3 p{};
  hapiGetGlobalPos(moduleState.focusVessel->GetHandle(), &p);
  return p;
}

// vesselPos: the vessel's global position at the moment of computation [m].
void updateDeviation(InstanceRecord& rec, const VECTOR3& vesselPos) {
  rec.attDeviation =
      attitudeDeviation(rec.refAttitude, rec.attOffset, vesselPos, *moduleState.focusVessel);
}

// A frame whose z axis runs along the velocity and whose x axis along r x v
// (the orbit normal, so horizontal): pitch and yaw are measured from the
// velocity vector, roll from the tangent plane of the reference body.
VECTOR3 velocityHorizonFrame(const VECTOR3& relPos, const VECTOR3& relVel) {  // [m], [m/s]
  return frameAngles(relVel, crossProduct(relPos, relVel));
}

void buildVelocityReferenceAt(InstanceRecord& rec, const VECTOR3& vesselPos) {
  rec.refAttitude = velocityHorizonFrame(rec.status.relPos, rec.status.relVel);
  updateDeviation(rec, vesselPos);
}

// Without a prediction the last reference and deviations stand.
void buildEntryReferenceAt(InstanceRecord& rec, const VECTOR3& vesselPos) {
  predictEntryInterface(rec.entryPrediction);
  if (!rec.entryPrediction.valid) return;
  rec.refAttitude =
      velocityHorizonFrame(rec.entryPrediction.eiPosition, rec.entryPrediction.eiVelocity);
  updateDeviation(rec, vesselPos);
}

}  // namespace

void captureUserReference(InstanceRecord& rec) {
  if (moduleState.focusVessel == nullptr) return;
  rec.refAttitude = rec.status.orientation;
  updateDeviation(rec, positionNow());
}

void refreshUserReference(InstanceRecord& rec) {
  if (moduleState.focusVessel == nullptr) return;
  updateDeviation(rec, rec.globalPos);
}

void buildVelocityReference(InstanceRecord& rec) {
  if (moduleState.focusVessel == nullptr) return;
  buildVelocityReferenceAt(rec, positionNow());
}

void buildEntryReference(InstanceRecord& rec) {
  if (moduleState.focusVessel == nullptr) return;
  buildEntryReferenceAt(rec, positionNow());
}

void refreshReference(InstanceRecord& rec) {
  if (moduleState.focusVessel == nullptr) return;
  switch (rec.refMode) {
    case RefMode::kUserAttitude:
      refreshUserReference(rec);
      break;
    // Within a refresh the position just read is the vessel's position.
    case RefMode::kVelocity:
      buildVelocityReferenceAt(rec, rec.globalPos);
      break;
    case RefMode::kTargetRelative:
      if (checkTarget(rec)) {
        updateTargetRelativeAt(rec, rec.globalPos);
      } else if (rec.targetHandle == nullptr) {
        clearTargetRelative(rec);  // a dropped target leaves no figures behind
      }
      break;
    case RefMode::kEntryInterface:
      buildEntryReferenceAt(rec, rec.globalPos);
      break;
    default:  // not a mode: nothing to compute
      break;
  }
}

void enterReferenceMode(InstanceRecord& rec, RefMode mode) {
  if (moduleState.focusVessel == nullptr) return;
  switch (mode) {
    case RefMode::kUserAttitude:
      captureUserReference(rec);
      break;
    case RefMode::kVelocity:
      buildVelocityReference(rec);
      break;
    case RefMode::kTargetRelative:
      enterTargetMode(rec);  // list refresh and selection, ending in updateTargetRelative
      break;
    case RefMode::kEntryInterface:
      buildEntryReference(rec);
      break;
  }
}
