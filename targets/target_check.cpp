// Dropping a target whose object has left the host's world, so that its
// handle is never passed to the host again.
#include "instance/instance_record.h"
#include "targets/target_commands.h"
#include "vessel/levels.h"

namespace {

// The name lookup settles the usual case with one host query: the host knows
// an object under that handle now. Otherwise (a base name cut short, or a
// gone object) the host's objects are searched one by one.
bool objectExists(OBJHANDLE object, const char* name) {
  if (name[0] != '\0' && hapiGetObjectByName(name) == object) return true;
  const uint32_t count = hapiGetObjectCount();
  for (uint32_t i = 0; i < count; ++i) {
    if (hapiGetObjectByIndex(static_cast<int>(i)) == object) return true;
  }
  return false;
}
}  // namespace

bool checkTarget(InstanceRecord& rec) {
  if (rec.targetHandle == nullptr) return false;
  if (objectExists(rec.targetHandle, rec.targetName)) return true;
  rec.targetHandle = nullptr;
  rec.targetName[0] = '\0';
  rec.targetRelPos = VECTOR3{0.0, 0.0, 0.0};
  rec.targetRelVel = VECTOR3{0.0, 0.0, 0.0};
  rec.rangeRate = 0.0;
  endTrim(rec);  // nothing left to match
  // Only target-relative mode takes its deviations from the line of sight to
  // the target; a hold in another mode has its own reference and goes on.
  if (rec.refMode == RefMode::kTargetRelative) {
    rec.attDeviation = VECTOR3{0.0, 0.0, 0.0};
    if (rec.holdActive) endHold(rec);
  }
  return false;
}
