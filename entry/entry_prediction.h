// Two-body prediction of the next descending crossing of the focus vessel's
// orbit through its reference body's atmospheric entry interface.
#pragma once

#include "module/host_api.h"

struct EntryPrediction {
  bool valid;          // the fields below describe a crossing ahead on this orbit
  double entryAngle;   // |flight-path angle| at the crossing, (0, pi/2] [rad]
  double timeToGo;     // from now to the descending crossing [s]
  VECTOR3 eiPosition;  // at the crossing, relative to the body, status axes [m]
  VECTOR3 eiVelocity;  // at the crossing, relative to the body, status axes [m/s]
};

// Fills the record for the focus vessel (hapiGetFocusInterface). Clears valid
// first; sets it last, only when a crossing lies ahead.
void predictEntryInterface(EntryPrediction& prediction);

// Eccentric anomaly [rad, 0..2pi] of true anomaly nu [rad] on an ellipse of eccentricity e.
double eccentricAnomaly(double nu, double e);

// State after dt [s] on the conic through (r0 [m], v0 [m/s]) with semi-major
// axis a [m] and gravitational parameter mu [m^3/s^2]. False when the Newton
// iteration did not meet its tolerance (r and v are then its last step's).
bool propagateConic(const VECTOR3& r0, const VECTOR3& v0, double a, double mu, double dt,
                    VECTOR3& r, VECTOR3& v);

// Newton's method on the universal Kepler equation; refines chi [m^0.5] and
// z = chi^2/a. False when the time-of-flight residual is still above its
// tolerance after the last allowed step.
bool solveUniversalAnomaly(const VECTOR3& r0, const VECTOR3& v0, double a, double dt, double sqrtMu,
                           double& chi, double& z);

double stumpffC(double z);
double stumpffS(double z);
