// Constant catalogue of gravitational bodies, looked up by the name under
// which the host reports a body. The entry prediction reads mu and eiRadius.
#pragma once

#include "hostapi/host_api.h"

struct GravBody {
  char name[32];          // the host's name of the body, NUL-terminated
  double radius;          // [m]
  double mass;            // [kg]
  double mu;              // gravitational parameter GM [m^3/s^2]
  double surfaceGravity;  // [m/s^2], 0 where not given
  double escapeVelocity;  // at the surface [m/s], 0 where not given
  double tilt;            // [rad] (Earth's is the obliquity), 0 where not given
  double eiRadius;        // atmospheric entry interface about the centre [m]; 0 = none
};

constexpr int kGravBodyCount = 31;
// Index of the all-zero, unnamed last record that a failed lookup returns.
constexpr int kUnknownGravBody = 30;
// Index of Earth, the one body with an entry interface.
constexpr int kEarthGravBody = 3;

extern const GravBody gravBodies[kGravBodyCount];

// Index (0..30) of the first record whose name equals the host's name of body,
// compared byte by byte; kUnknownGravBody when none does. Asks the host for the
// name anew before each comparison.
int findGravBody(OBJHANDLE body);
