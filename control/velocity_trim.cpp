// Velocity trim: matches the vessel's velocity to the target's along the
// selected vessel axes. Each axis uses the one-second law L = -(m v) / F: the
// level that removes the relative velocity v [m/s] in one second at full
// thrust F [N] of a vessel of mass m [kg]. When the RCS would need more than
// three times its full thrust, an engine whose sense fits takes over: hover
// for upward corrections, main for forward and retro for aftward ones.
//
// Time acceleration: a level holds for a whole host step, so once the step is
// longer than a second the one-second law would remove the velocity many
// times over and swing from full level to full level. The law's time
// constant is therefore max(1 s, step): L = -(m v) / (F max(1 s, step)), the
// level that removes v within the step. At steps up to a second it is the
// one-second law itself.
#include "control/velocity_trim.h"

#include <cmath>

#include "instance/instance_record.h"
#include "state/module_state.h"
#include "vessel/levels.h"
#include "vessel/thruster_level.h"
#include "vessel/trim_selection.h"
#include "vessel/vessel_control.h"

namespace {
constexpr double kMatchedSpeed = 0.001;  // [m/s] an axis at or below this is matched
constexpr double kEngineTakeover = 3.0;  // RCS level beyond which an engine takes over
constexpr double kTrimTime = 1.0;        // [s] the law's time constant at short steps

constexpr int kLateral = 0;  // axis arguments of SetAttitudeLinLevel
constexpr int kVertical = 1;
constexpr int kForeAft = 2;

// [s] the time in which a trim step removes the relative velocity.
double trimTime(double stepLength) { return stepLength > kTrimTime ? stepLength : kTrimTime; }

// The level of thrust `thrust` [N] that removes `speed` [m/s] of a vessel of
// `mass` [kg] within `time` [s].
double removingLevel(double mass, double speed, double thrust, double time) {
  return -(mass * speed) / (thrust * time);
}
}  // namespace

void trimCommand(InstanceRecord& rec, int32_t selection) {
  if (rec.refMode != RefMode::kTargetRelative) return;
  if (rec.trimActive && selection == rec.trimSelection) {
    toggleTrim(rec);  // the same command again stops it
    return;
  }
  // A different command while a trim runs stops it and records the new axes;
  // pressing that command once more starts them. Starting sets no levels: the
  // next control step begins to fly the trim.
  toggleTrim(rec);
  rec.trimSelection = selection;
}

void toggleTrim(InstanceRecord& rec) {
  if (rec.trimActive) {
    endTrim(rec);
  } else {
    rec.trimActive = 1;
  }
}

void trimStep(InstanceRecord& rec, double stepLength) {
  const VECTOR3& v = rec.targetRelVel;  // [m/s], vessel axes, as last refreshed
  stopLinearLevels();
  // Each axis still off its match sets the flag again; when none does, the
  // trim has ended with its levels at zero.
  rec.trimActive = 0;
  if (trimsVertical(rec.trimSelection)) {
    setEngineLevel(ENGINE_HOVER, 0.0);
    if (std::fabs(v.y) > kMatchedSpeed) {
      trimVertical(rec, stepLength);
      rec.trimActive = 1;
    }
  }
  if (trimsLateral(rec.trimSelection)) {
    if (std::fabs(v.x) > kMatchedSpeed) {
      trimLateral(rec, stepLength);
      rec.trimActive = 1;
    }
  }
  if (trimsForeAft(rec.trimSelection)) {
    setEngineLevel(ENGINE_MAIN, 0.0);
    setEngineLevel(ENGINE_RETRO, 0.0);
    if (std::fabs(v.z) > kMatchedSpeed) {
      trimForeAft(rec, stepLength);
      rec.trimActive = 1;
    }
  }
}

void trimLateral(InstanceRecord& rec, double stepLength) {
  const double thrust = moduleState.control.linearThrust[kLateral];  // [N]
  setLinearLevel(kLateral,
                 removingLevel(rec.vesselMass, rec.targetRelVel.x, thrust, trimTime(stepLength)));
}

void trimVertical(InstanceRecord& rec, double stepLength) {
  const double m = rec.vesselMass;       // [kg]
  const double vy = rec.targetRelVel.y;  // [m/s]
  const double time = trimTime(stepLength);
  const VesselCharacteristics& c = moduleState.control;
  const double level = removingLevel(m, vy, c.linearThrust[kVertical], time);
  if (c.engineThrust[ENGINE_HOVER] > 0.0 && level > kEngineTakeover) {
    setEngineLevel(ENGINE_HOVER, removingLevel(m, vy, c.engineThrust[ENGINE_HOVER], time));
  } else {
    setLinearLevel(kVertical, level);
  }
}

void trimForeAft(InstanceRecord& rec, double stepLength) {
  const double m = rec.vesselMass;       // [kg]
  const double vz = rec.targetRelVel.z;  // [m/s]
  const double time = trimTime(stepLength);
  const VesselCharacteristics& c = moduleState.control;
  const double level = removingLevel(m, vz, c.linearThrust[kForeAft], time);
  if (c.engineThrust[ENGINE_MAIN] > 0.0 && level > kEngineTakeover) {
    setEngineLevel(ENGINE_MAIN, removingLevel(m, vz, c.engineThrust[ENGINE_MAIN], time));
  } else if (c.engineThrust[ENGINE_RETRO] > 0.0 && level < -kEngineTakeover) {
    // Positive: the retro engine pushes aft.
    setEngineLevel(ENGINE_RETRO, -removingLevel(m, vz, c.engineThrust[ENGINE_RETRO], time));
  } else {
    setLinearLevel(kForeAft, level);
  }
}
