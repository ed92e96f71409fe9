// The attitude hold: turns the vessel until each deviation is inside 0.1 deg,
// then nulls the rates, each axis by itself with the same law, through the
// reaction-control rotation levels. Also the per-step control entry, which
// runs the hold, its automatic ends, and then the velocity trim.
//
// Angles in degrees are converted with 3.14159265358979 / 180; the constants
// below are the resulting doubles.
//
// Time acceleration. A level holds for a whole host step, so a law tuned for
// 50 Hz steps overshoots once the step outgrows its time constants: asking
// for a rate change within 0.25 s and holding that level for seconds changes
// the rate many times over, and the hold diverges into full-level swings. Two
// time constants therefore grow with the step and equal the tuned ones at
// short steps: the rate change is asked for within max(T, step), and the
// commanded turn rate covers at most the error in two steps. At 50 Hz neither
// binds (the schedule already needs 0.6 s or more to cover an error), so the
// levels there are exactly the tuned law's.
#include "control/attitude_hold.h"

#include <cmath>

#include "control/velocity_trim.h"
#include "instance/instance_record.h"
#include "state/module_state.h"
#include "vessel/levels.h"
#include "vessel/thruster_level.h"
#include "vessel/vessel_control.h"

namespace {
constexpr double kAttitudeTolerance = 0.0017453292519943279;  // [rad] 0.1 deg
constexpr double kSettledRate = 1.745329251994328e-06;        // [rad/s] 0.0001 deg/s
constexpr double kRateBandCap = 0.00017453292519943277;       // [rad/s] 0.01 deg/s
constexpr double kBandFraction = 0.5;                         // of the commanded rate
// The commanded rate covers the error in no fewer steps than this: with one
// step the rate is still settling when the error is gone, and the attitude
// rings (about 0.7 of the error back each step); with two it halves each step.
constexpr double kRateTargetSteps = 2.0;

// Rate schedule: the commanded turn rate [rad/s] for an attitude error below
// each threshold [rad]; 2 deg/s at 10 deg and beyond.
constexpr double kErrorBelow[4] = {
    0.0026179938779914915,  // 0.15 deg
    0.017453292519943278,   // 1 deg
    0.052359877559829834,   // 3 deg
    0.17453292519943278,    // 10 deg
};
constexpr double kCommandedRate[5] = {
    0.00017453292519943277,  // 0.01 deg/s
    0.0043633231299858195,   // 0.25 deg/s
    0.008726646259971639,    // 0.5 deg/s
    0.017453292519943278,    // 1 deg/s
    0.034906585039886556,    // 2 deg/s
};

double commandedRate(double absError) {  // [rad] -> [rad/s]
  for (int i = 0; i < 4; ++i) {
    if (absError < kErrorBelow[i]) return kCommandedRate[i];
  }
  return kCommandedRate[4];
}

// [s] the time in which the law asks for a rate change: the vessel's response
// time, or the step if that is longer (the level then acts for the whole step).
double rateChangeTime(double stepLength) {
  const double responseTime = moduleState.control.responseTime;  // [s]
  return stepLength > responseTime ? stepLength : responseTime;
}

void commandAxis(int axis, double level) {
  moduleState.control.vessel->SetAttitudeRotLevel(axis, limitLevel(level));
}

bool anyPortEngaged(const VESSEL& vessel) {
  // The port count is asked again after every port.
  for (uint32_t i = 0; i < vessel.DockCount(); ++i) {
    if (vessel.GetDockStatus(vessel.GetDockHandle(i)) != nullptr) return true;
  }
  return false;
}

// The hold's automatic ends: a running trim ends too, and both leave their
// levels at zero rather than at the last step's values.
void endHoldAndTrim(InstanceRecord& rec) {
  endTrim(rec);
  endHold(rec);
}
}  // namespace

void controlStep(InstanceRecord& rec, double stepLength) {
  if (rec.holdActive == 1) {
    if (rec.refMode == RefMode::kEntryInterface && !rec.entryPrediction.valid) {
      endHoldAndTrim(rec);  // no entry interface to hold to
      return;
    }
    const VESSEL* const focus = moduleState.focusVessel;
    if (focus != nullptr && anyPortEngaged(*focus)) {
      endHoldAndTrim(rec);
      return;
    }
    for (int axis = 0; axis < 3; ++axis) {
      holdAxis(axis, rec.attDeviation[axis], kAttitudeTolerance, stepLength);
    }
  }
  if (rec.trimActive) trimStep(rec, stepLength);
}

void toggleHold(InstanceRecord& rec) {
  rec.holdActive = 1 - rec.holdActive;
  stopRotation();
}

void holdAxis(int axis, double deviation, double tolerance, double stepLength) {
  const VesselCharacteristics& c = moduleState.control;
  if (c.vessel == nullptr) return;
  // A deviation that is not a number gives no direction to turn in: hold the
  // axis still instead.
  if (std::isnan(deviation)) {
    nullAxisRate(axis, stepLength);
    return;
  }
  const double mass = c.vessel->GetMass();  // [kg]
  VESSELSTATUS status{};
  c.vessel->GetStatus(status);
  const double rate = status.angVel[axis];  // [rad/s]
  // The law turns the vessel so that the deviation shrinks: a positive
  // deviation calls for rotation at a negative level.
  const double error = 0.0 - deviation;  // [rad]

  if (std::fabs(error) < tolerance) {
    if (std::fabs(rate) < kSettledRate) {
      commandAxis(axis, 0.0);
    } else {
      nullAxisRate(axis, stepLength);
    }
    return;
  }
  double wanted = commandedRate(std::fabs(error));                              // [rad/s]
  const double coverRate = std::fabs(error) / (kRateTargetSteps * stepLength);  // [rad/s]
  if (wanted > coverRate) wanted = coverRate;
  double band = kBandFraction * wanted;  // [rad/s]
  if (band > kRateBandCap) band = kRateBandCap;
  const double targetRate = error >= 0.0 ? wanted : -wanted;
  const double change = targetRate - rate;  // [rad/s]
  if (-band <= change && change <= band) {
    commandAxis(axis, 0.0);  // coast: close enough to the wanted rate
    return;
  }
  // The fraction of the axis's torque that changes the rate by `change`
  // within the response time (or the step, if longer).
  const double torque = change * c.pmi[axis] * mass / rateChangeTime(stepLength);  // [N m]
  commandAxis(axis, torque / c.axisTorque[axis]);
}

void nullAxisRate(int axis, double stepLength) {
  const VesselCharacteristics& c = moduleState.control;
  if (c.vessel == nullptr) return;
  VESSELSTATUS status{};
  c.vessel->GetStatus(status);
  const double rate = status.angVel[axis];  // [rad/s]
  const double mass = c.vessel->GetMass();  // [kg]
  if (std::fabs(rate) < kSettledRate) {
    commandAxis(axis, 0.0);
    return;
  }
  commandAxis(axis, -(mass * c.pmi[axis] * rate / rateChangeTime(stepLength)) / c.axisTorque[axis]);
}
