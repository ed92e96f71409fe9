// A vessel's step: the thrust at its levels, one classical fourth-order
// Runge-Kutta step (in sub-steps for a fast spinner), the propellant kept
// non-negative and the burn booked.
//
// The status rate w obeys dR/dt = -R [w]x. With Omega = -w this is the usual
// body-frame kinematics dR/dt = R [Omega]x, and Euler's equations hold in the
// right-handed form I dOmega/dt = sum(r x F) - Omega x (I Omega), with
// I = diag(pmi) * mass (pmi is mass-normalised). Thrust and mass flow are
// constant over a step (levels change only between steps); after each step R
// is pulled back onto the rotations.
#include "host/dynamics.h"

#include <cmath>

#include "host/frames.h"

namespace halcyra {

namespace {

// What the integrator advances; also its rate of change (each field per
// second).
struct RigidBodyState {
  VECTOR3 position;   // global [m]
  VECTOR3 velocity;   // global [m/s]
  Matrix3 rotation;   // vessel axes -> global axes
  VECTOR3 bodyRate;   // Omega = -w, vessel axes [rad/s]
  double propellant;  // [kg]
};

RigidBodyState operator+(const RigidBodyState& a, const RigidBodyState& b) {
  return {a.position + b.position, a.velocity + b.velocity, a.rotation + b.rotation,
          a.bodyRate + b.bodyRate, a.propellant + b.propellant};
}

RigidBodyState operator*(const RigidBodyState& rate, double dt) {
  return {rate.position * dt, rate.velocity * dt, rate.rotation * dt, rate.bodyRate * dt,
          rate.propellant * dt};
}

bool allFinite(const RigidBodyState& s) {
  return isFinite(s.position) && isFinite(s.velocity) && isFinite(s.rotation) &&
         isFinite(s.bodyRate) && std::isfinite(s.propellant);
}

// x when x > 0, else +0 (NaN and both zeros give +0).
double positivePart(double x) { return x > 0.0 ? x : 0.0; }

// What stays fixed over a step besides the state.
struct Loads {
  const std::vector<Body>& bodies;
  double dryMass;  // [kg]
  VECTOR3 pmi;     // mass-normalised principal moments [m^2]
  ThrustSum thrust;
};

RigidBodyState rateOfChange(const Loads& loads, const RigidBodyState& s) {
  // The propellant is kept non-negative ("not greater than 0" counts as 0).
  const double mass = loads.dryMass + positivePart(s.propellant);    // [kg]
  const VECTOR3 inertia = loads.pmi * mass;                          // [kg m^2]
  const VECTOR3 momentum = multiplyEach(inertia, s.bodyRate);        // I Omega [kg m^2/s]
  const VECTOR3 forceGlobal = s.rotation * loads.thrust.forceLocal;  // [N]
  RigidBodyState rate;
  rate.position = s.velocity;
  rate.velocity = gravityAcceleration(s.position, loads.bodies) + forceGlobal * (1.0 / mass);
  rate.rotation = s.rotation * crossMatrix(s.bodyRate);  // R [Omega]x
  // Euler's equations: (torque - Omega x (I Omega)) / I.
  rate.bodyRate = divideEach(loads.thrust.torqueLocal - cross(s.bodyRate, momentum), inertia);
  rate.propellant = -loads.thrust.massFlow;
  return rate;
}

void rungeKuttaStep(const Loads& loads, RigidBodyState& s, double dt) {
  const RigidBodyState k1 = rateOfChange(loads, s);
  const RigidBodyState k2 = rateOfChange(loads, s + k1 * (dt / 2));
  const RigidBodyState k3 = rateOfChange(loads, s + k2 * (dt / 2));
  const RigidBodyState k4 = rateOfChange(loads, s + k3 * dt);
  s = s + k1 * (dt / 6) + k2 * (dt / 3) + k3 * (dt / 3) + k4 * (dt / 6);
  s.rotation = reorthonormalise(s.rotation);
}

// Books the propellant burnt in a step (from propellantBefore to the vessel's
// propellant now) to the groups in proportion to their mass flow, and adds the
// step's rocket-equation delta-v, ve ln(m0 / m1) with ve = thrust / mass flow
// (the mass-flow weighted exhaust speed).
void recordBurn(Vessel& v, const ThrustSum& thrust, double propellantBefore) {  // [kg]
  const double burnt = propellantBefore - v.propellant;                         // [kg]
  if (!(burnt > 0.0) || !(thrust.massFlow > 0.0)) return;
  for (size_t g = 0; g < v.propellantBurnt.size(); ++g) {
    if (thrust.groupMassFlow[g] == 0.0) continue;  // its share is 0: nothing to add
    v.propellantBurnt[g] += burnt * thrust.groupMassFlow[g] / thrust.massFlow;
  }
  const double exhaustSpeed = thrust.thrust / thrust.massFlow;  // [m/s]
  v.rocketDeltaV +=
      exhaustSpeed * std::log((v.dryMass + propellantBefore) / (v.dryMass + v.propellant));
}

}  // namespace

VECTOR3 gravityAcceleration(const VECTOR3& position, const std::vector<Body>& bodies) {
  VECTOR3 a{};
  for (const Body& b : bodies) {
    const VECTOR3 d = b.position - position;
    const double r2 = dot(d, d);
    if (r2 == 0.0) continue;  // no direction to pull in at the centre
    a = a + d * (b.mu / (r2 * std::sqrt(r2)));
  }
  return a;
}

ThrustSum thrustSum(const Vessel& v) {
  ThrustSum sum;
  if (!(v.propellant > 0.0)) return sum;
  for (const Thruster& t : v.thrusters) {
    const double level = v.groupLevel[static_cast<size_t>(t.group)];
    if (!(level > 0.0)) continue;
    const double thrust = level * t.max;  // [N]
    const VECTOR3 f = t.direction * thrust;
    sum.forceLocal = sum.forceLocal + f;
    sum.torqueLocal = sum.torqueLocal + cross(t.position, f);
    sum.massFlow += thrust / t.exhaustSpeed;
    sum.thrust += thrust;
    sum.groupMassFlow[static_cast<size_t>(t.group)] += thrust / t.exhaustSpeed;
  }
  return sum;
}

int subSteps(const VECTOR3& angVel, double dt) {
  const double turn = length(angVel) * dt;  // [rad] turned in one step
  if (!(turn > kMaxTurnPerSubStep)) return 1;
  return int(std::fmin(std::ceil(turn / kMaxTurnPerSubStep), double(kMaxSubSteps)));
}

// The integration of the rotation is only accurate, and only stable against
// the gyroscopic term of Euler's equations, while the vessel turns through a
// small angle per step: a fast spinner is integrated in shorter steps. A state
// that is not finite is not advanced.
bool advanceVessel(Vessel& v, const std::vector<Body>& bodies, double dt) {
  if (!(dt > 0.0) || !std::isfinite(dt)) return true;
  const Loads loads{bodies, v.dryMass, v.pmi, thrustSum(v)};
  RigidBodyState s{v.position, v.velocity, v.rotation, v.angVel * -1.0, v.propellant};
  const int n = subSteps(v.angVel, dt);
  for (int i = 0; i < n && allFinite(s); ++i) rungeKuttaStep(loads, s, dt / n);
  const double propellantBefore = v.propellant;  // [kg]
  v.position = s.position;
  v.velocity = s.velocity;
  v.rotation = s.rotation;
  v.angVel = s.bodyRate * -1.0;
  v.propellant = positivePart(s.propellant);
  recordBurn(v, loads.thrust, propellantBefore);
  return allFinite(s);
}

ObjectId World::step(double dt) {
  ObjectId broken = 0;  // the first vessel, in the world's order, no longer finite
  for (Vessel* v : vesselList_)
    if (!advanceVessel(*v, bodies_, dt) && broken == 0) broken = v->id;
  return broken;
}

}  // namespace halcyra
