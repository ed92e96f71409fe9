// Flight dynamics of one vessel: a rigid body pushed by its thrusters and
// pulled by point-mass bodies.
#pragma once

#include <vector>

#include "host/world.h"

namespace halcyra {

// Gravitational acceleration at a global position from every body [m/s^2].
VECTOR3 gravityAcceleration(const VECTOR3& position, const std::vector<Body>& bodies);

// The thrust at the vessel's present levels (ThrustSum in host/world.h).
ThrustSum thrustSum(const Vessel& v);

// Advances position, velocity, orientation, angular velocity and propellant by
// dt with the levels in force.
void advanceVessel(Vessel& v, const std::vector<Body>& bodies, double dt);  // dt [s]

}  // namespace halcyra
