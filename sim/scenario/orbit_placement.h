// A vessel placed by the elements of its orbit instead of a state vector.
//
// Elements about a body of gravitational parameter mu and radius R, angles
// against the global axes: the reference plane is the global x-y plane, its
// pole the global +z axis, the node line measured from +x (the frame the
// module's orbital elements use). Altitudes are above R.
#pragma once

#include "hostapi/host_api.h"

namespace sim {

struct OrbitPlacement {
  double periapsisAltitude = 0.0;    // [m] above the body's radius
  double apoapsisAltitude = 0.0;     // [m], not below the periapsis
  double inclination = 0.0;          // [rad] 0..pi
  double ascendingNode = 0.0;        // longitude of the ascending node [rad]
  double argumentOfPeriapsis = 0.0;  // [rad]
  double trueAnomaly = 0.0;          // [rad]
};

struct StateVector {
  VECTOR3 position;  // relative to the body, global axes [m]
  VECTOR3 velocity;  // [m/s]
};

// The state on a closed orbit (Curtis, Orbital Mechanics for Engineering
// Students, algorithm 4.5: the perifocal state rotated by R3(-node) R1(-i)
// R3(-argument of periapsis)). mu [m^3/s^2] and radius [m] of the body.
StateVector stateFromOrbit(const OrbitPlacement& orbit, double mu, double radius);

}  // namespace sim
