// Rigid-body integration with the classical fourth-order Runge-Kutta method
// (order 4, fixed step) on the full state: position, velocity, rotation matrix,
// body angular velocity and propellant.
//
// The status rate w obeys dR/dt = -R [w]x. With Omega = -w this is the usual
// body-frame kinematics dR/dt = R [Omega]x, and Euler's equations hold in the
// right-handed form I dOmega/dt = sum(r x F) - Omega x (I Omega), with
// I = diag(pmi) * mass (pmi is mass-normalised). Thrust and mass flow are
// constant over a step (levels change only between steps); after the step R is
// pulled back onto the rotations and the propellant is kept non-negative.
#include "host/dynamics.h"

#include <cmath>

#include "host/frames.h"

namespace halcyra {

namespace {

struct State {
  VECTOR3 pos;    // global [m]
  VECTOR3 vel;    // global [m/s]
  Matrix3 rot;    // vessel -> global
  VECTOR3 omega;  // body rate, right-handed sense (= -w) [rad/s]
  double prop;    // [kg]
};

State add(const State& s, const State& d, double h) {
  State r;
  r.pos = s.pos + d.pos * h;
  r.vel = s.vel + d.vel * h;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.rot.m[i][j] = s.rot.m[i][j] + d.rot.m[i][j] * h;
  r.omega = s.omega + d.omega * h;
  r.prop = s.prop + d.prop * h;
  return r;
}

// [v]x: the matrix of u -> v x u.
Matrix3 crossMatrix(const VECTOR3& v) {
  return Matrix3{{{0, -v.z, v.y}, {v.z, 0, -v.x}, {-v.y, v.x, 0}}};
}

struct Derivative {
  const Vessel& vessel;
  const std::vector<Body>& bodies;
  const ThrustSum& thrust;

  State operator()(const State& s) const {
    const double mass = vessel.dryMass + std::fmax(s.prop, 0.0);  // [kg]
    const VECTOR3 inertia = vessel.pmi * mass;                    // [kg m^2]
    State d;
    d.pos = s.vel;
    d.vel = gravityAcceleration(s.pos, bodies) + s.rot * thrust.forceLocal * (1.0 / mass);
    d.rot = s.rot * crossMatrix(s.omega);
    const VECTOR3 iw{inertia.x * s.omega.x, inertia.y * s.omega.y, inertia.z * s.omega.z};
    const VECTOR3 rhs = thrust.torqueLocal - cross(s.omega, iw);
    d.omega = {rhs.x / inertia.x, rhs.y / inertia.y, rhs.z / inertia.z};
    d.prop = -thrust.massFlow;
    return d;
  }
};

}  // namespace

VECTOR3 gravityAcceleration(const VECTOR3& position, const std::vector<Body>& bodies) {
  VECTOR3 a{};
  for (const Body& b : bodies) {
    const VECTOR3 d = b.position - position;
    const double r2 = dot(d, d);
    if (r2 == 0.0) continue;  // no direction to pull in at the centre
    const double r = std::sqrt(r2);
    a = a + d * (b.mu / (r2 * r));
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

namespace {

// One classical Runge-Kutta step of length dt from s.
State rungeKuttaStep(const Derivative& f, const State& s0, double dt) {
  const State k1 = f(s0);
  const State k2 = f(add(s0, k1, dt / 2));
  const State k3 = f(add(s0, k2, dt / 2));
  const State k4 = f(add(s0, k3, dt));
  State s = s0;
  s = add(s, k1, dt / 6);
  s = add(s, k2, dt / 3);
  s = add(s, k3, dt / 3);
  s = add(s, k4, dt / 6);
  s.rot = reorthonormalise(s.rot);
  return s;
}

bool finite(const State& s) {
  bool ok = isFinite(s.pos) && isFinite(s.vel) && isFinite(s.omega) && std::isfinite(s.prop);
  for (const auto& row : s.rot.m)
    for (double x : row) ok = ok && std::isfinite(x);
  return ok;
}

}  // namespace

int subSteps(const VECTOR3& angVel, double dt) {
  const double turn = std::sqrt(dot(angVel, angVel)) * dt;  // [rad] turned in one step
  if (!(turn > kMaxTurnPerSubStep)) return 1;
  return int(std::fmin(std::ceil(turn / kMaxTurnPerSubStep), double(kMaxSubSteps)));
}

bool advanceVessel(Vessel& v, const std::vector<Body>& bodies, double dt) {
  if (!(dt > 0.0) || !std::isfinite(dt)) return true;
  const ThrustSum thrust = thrustSum(v);
  const Derivative f{v, bodies, thrust};
  const State s0{v.position, v.velocity, v.rotation, v.angVel * -1.0, v.propellant};
  State s = s0;
  // The integration of the rotation is only accurate, and only stable against
  // the gyroscopic term of Euler's equations, while the vessel turns through a
  // small angle per step: a fast spinner is integrated in shorter steps.
  const int n = subSteps(v.angVel, dt);
  for (int i = 0; i < n && finite(s); ++i) s = rungeKuttaStep(f, s, dt / n);
  v.position = s.pos;
  v.velocity = s.vel;
  v.rotation = s.rot;
  v.angVel = s.omega * -1.0;
  v.propellant = std::fmax(s.prop, 0.0);
  recordBurn(v, thrust, s0.prop);
  return finite(s);
}

void recordBurn(Vessel& v, const ThrustSum& thrust, double propellantBefore) {
  const double burnt = propellantBefore - v.propellant;  // [kg]
  if (!(burnt > 0.0) || !(thrust.massFlow > 0.0)) return;
  for (size_t g = 0; g < v.propellantBurnt.size(); ++g)
    v.propellantBurnt[g] += burnt * thrust.groupMassFlow[g] / thrust.massFlow;
  const double exhaustSpeed = thrust.thrust / thrust.massFlow;  // [m/s]
  v.rocketDeltaV +=
      exhaustSpeed * std::log((v.dryMass + propellantBefore) / (v.dryMass + v.propellant));
}

ObjectId World::step(double dt) {
  ObjectId broken = 0;
  for (auto& v : vessels_) {
    if (!advanceVessel(*v, bodies_, dt) && broken == 0) broken = v->id;
    v->refBody = referenceBody(*v);
  }
  return broken;
}

}  // namespace halcyra
