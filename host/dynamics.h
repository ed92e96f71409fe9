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

// A vessel turning fast is integrated in sub-steps, each turning it through at
// most this angle, up to this many sub-steps a step.
constexpr double kMaxTurnPerSubStep = 0.05;  // [rad]
constexpr int kMaxSubSteps = 10000;

// The number of sub-steps of a step of dt at the status angular velocity angVel.
int subSteps(const VECTOR3& angVel, double dt);  // [rad/s], [s]

// Books the propellant burnt in a step (from propellantBefore to the vessel's
// propellant now) to the groups in proportion to their mass flow, and adds the
// step's rocket-equation delta-v, ve ln(m0 / m1) with ve = thrust / mass flow
// (the mass-flow weighted exhaust speed).
void recordBurn(Vessel& v, const ThrustSum& thrust, double propellantBefore);  // [kg]

// Advances position, velocity, orientation, angular velocity and propellant by
// dt with the levels in force. Returns false when the state is no longer
// finite (the vessel keeps what it reached; nothing is advanced past that).
bool advanceVessel(Vessel& v, const std::vector<Body>& bodies, double dt);  // dt [s]

}  // namespace halcyra
