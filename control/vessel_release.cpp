#include "control/vessel_release.h"

#include "control/velocity_trim.h"
#include "instance/instance_record.h"
#include "state/module_state.h"
#include "vessel/levels.h"
#include "vessel/vessel_control.h"

void releaseVessel(const InstanceRecord& rec) {
  if (rec.holdActive) {
    // The hold commands the vessel whose characteristics it holds; the hold's
    // own switches zero the focus vessel. Both, should they differ.
    const VECTOR3 still{0.0, 0.0, 0.0};
    VESSEL* const controlled = moduleState.control.vessel;
    VESSEL* const focus = moduleState.focusVessel;
    if (controlled != nullptr) controlled->SetAttitudeRotLevel(still);
    if (focus != nullptr && focus != controlled) focus->SetAttitudeRotLevel(still);
  }
  if (rec.trimActive) stopTrimLevels(rec.trimSelection);
}

void leaveVessel(InstanceRecord& rec, VesselChange change) {
  releaseVessel(rec);
  rec.trimActive = 0;
  if (change == VesselChange::kNoVessel || rec.refMode == RefMode::kTargetRelative) {
    rec.holdActive = 0;
  }
}
