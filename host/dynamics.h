// Flight dynamics of one vessel: a rigid body pushed by its thrusters and
// pulled by point-mass bodies.
#pragma once

#include <array>
#include <vector>

#include "host/world.h"

namespace halcyra {

// The thrust of a vessel's thrusters at their group levels, in vessel axes,
// and its torque about the centre of mass; zero for a vessel out of propellant.
struct ThrustSum {
  VECTOR3 forceLocal{};                               // [N]
  VECTOR3 torqueLocal{};                              // [N m]
  double massFlow = 0.0;                              // propellant burnt [kg/s]
  double thrust = 0.0;                                // sum of the thrusters' thrust magnitudes [N]
  std::array<double, THGROUP_COUNT> groupMassFlow{};  // [kg/s]
};

ThrustSum thrustSum(const Vessel& v);

// Gravitational acceleration at a global position from every body [m/s^2].
VECTOR3 gravityAcceleration(const VECTOR3& position, const std::vector<Body>& bodies);

// A vessel turning fast is integrated in sub-steps, each turning it through at
// most this angle, up to this many sub-steps a step.
constexpr double kMaxTurnPerSubStep = 0.05;  // [rad]
constexpr int kMaxSubSteps = 10000;

// The number of sub-steps of a step of dt at the status angular velocity angVel.
int subSteps(const VECTOR3& angVel, double dt);  // [rad/s], [s]

// Advances position, velocity, orientation, angular velocity and propellant by
// dt with the levels in force, and books the propellant burnt and the delta-v
// gained. Returns false when the state is no longer finite (the vessel keeps
// what it reached; nothing is advanced past that). A dt that is not a positive
// number leaves the vessel as it is.
bool advanceVessel(Vessel& v, const std::vector<Body>& bodies, double dt);  // dt [s]

}  // namespace halcyra
