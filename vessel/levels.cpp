#include "vessel/levels.h"

#include "instance/instance_record.h"
#include "state/module_state.h"
#include "vessel/thruster_level.h"
#include "vessel/trim_selection.h"

void setLinearLevel(int axis, double level) {
  VESSEL* const focus = moduleState.focusVessel;
  if (focus != nullptr) focus->SetAttitudeLinLevel(axis, limitLevel(level));
}

void setEngineLevel(ENGINETYPE engine, double level) {
  VESSEL* const focus = moduleState.focusVessel;
  if (focus != nullptr) focus->SetEngineLevel(engine, limitLevel(level));
}

void stopLinearLevels() {
  VESSEL* const focus = moduleState.focusVessel;
  if (focus != nullptr) focus->SetAttitudeLinLevel(VECTOR3{0.0, 0.0, 0.0});
}

void stopRotation() {
  VESSEL* const focus = moduleState.focusVessel;
  if (focus != nullptr) focus->SetAttitudeRotLevel(VECTOR3{0.0, 0.0, 0.0});
}

void endHold(InstanceRecord& rec) {
  rec.holdActive = 0;
  stopRotation();
}

void endTrim(InstanceRecord& rec) {
  if (!rec.trimActive) return;
  rec.trimActive = 0;
  stopTrimLevels(rec.trimSelection);
}

void stopTrimLevels(int32_t selection) {
  stopLinearLevels();
  if (trimsVertical(selection)) setEngineLevel(ENGINE_HOVER, 0.0);
  if (trimsForeAft(selection)) {
    setEngineLevel(ENGINE_MAIN, 0.0);
    setEngineLevel(ENGINE_RETRO, 0.0);
  }
}
