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
//
// The state is 19 flat doubles and the derivative is written out term by term,
// so that the compiler keeps the whole step in registers and loops; every sum
// and product is taken in the order of the vector and matrix operations of
// host/frames.h, which the results match bit for bit.
#include "host/dynamics.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "host/frames.h"

namespace halcyra {

namespace {

// Offsets into the flat state.
constexpr int kPos = 0;     // global position [m], 3 values
constexpr int kVel = 3;     // global velocity [m/s], 3 values
constexpr int kRot = 6;     // vessel -> global rotation, row-major, 9 values
constexpr int kOmega = 15;  // body rate, right-handed sense (= -w) [rad/s], 3 values
constexpr int kProp = 18;   // propellant [kg]
constexpr int kSize = 20;   // 19 values and a zero, an even count that the compiler vectorises

struct State {
  double v[kSize];
};

// r = s + d h, value by value.
inline void add(State& r, const State& s, const State& d, double h) {
  for (int i = 0; i < kSize; ++i) r.v[i] = s.v[i] + d.v[i] * h;
}

// What the derivative needs besides the state, copied out of the vessel once
// a step, so that writing the derivative cannot alias any of it.
struct Model {
  const Body* bodies;
  size_t bodyCount;
  double dryMass;                    // [kg]
  double pmiX, pmiY, pmiZ;           // [m^2]
  double forceX, forceY, forceZ;     // vessel axes [N]
  double torqueX, torqueY, torqueZ;  // [N m]
  double massFlow;                   // [kg/s]

  // The derivative of the state s into d. Inlined into the step by force: it
  // runs four times a step, and a call each time costs as much as its body.
  [[gnu::always_inline]] void derivative(const State& state, State& deriv) const {
    const double* s = state.v;
    double* __restrict d = deriv.v;
    // The propellant is kept non-negative ("not greater than 0" counts as 0,
    // as fmax would; the dry mass absorbs the sign of a zero).
    const double mass = dryMass + (s[kProp] > 0.0 ? s[kProp] : 0.0);    // [kg]
    const double ix = pmiX * mass, iy = pmiY * mass, iz = pmiZ * mass;  // [kg m^2]
    const double r0 = s[kRot], r1 = s[kRot + 1], r2 = s[kRot + 2], r3 = s[kRot + 3],
                 r4 = s[kRot + 4], r5 = s[kRot + 5], r6 = s[kRot + 6], r7 = s[kRot + 7],
                 r8 = s[kRot + 8];
    const double wx = s[kOmega], wy = s[kOmega + 1], wz = s[kOmega + 2];

    // Gravity of every body.
    const double x = s[kPos], y = s[kPos + 1], z = s[kPos + 2];
    double gx = 0.0, gy = 0.0, gz = 0.0;
    for (size_t i = 0; i < bodyCount; ++i) {
      const Body& b = bodies[i];
      const double dx = b.position.x - x, dy = b.position.y - y, dz = b.position.z - z;
      const double dist2 = dx * dx + dy * dy + dz * dz;
      if (dist2 == 0.0) continue;  // no direction to pull in at the centre
      const double k = b.mu / (dist2 * std::sqrt(dist2));
      gx = gx + dx * k;
      gy = gy + dy * k;
      gz = gz + dz * k;
    }

    d[kPos] = s[kVel];
    d[kPos + 1] = s[kVel + 1];
    d[kPos + 2] = s[kVel + 2];
    const double perMass = 1.0 / mass;
    d[kVel] = gx + (r0 * forceX + r1 * forceY + r2 * forceZ) * perMass;
    d[kVel + 1] = gy + (r3 * forceX + r4 * forceY + r5 * forceZ) * perMass;
    d[kVel + 2] = gz + (r6 * forceX + r7 * forceY + r8 * forceZ) * perMass;

    // R [Omega]x, with [Omega]x = [0 -wz wy; wz 0 -wx; -wy wx 0] (its zero
    // terms kept: they decide the sign of a zero result).
    const double nwx = -wx, nwy = -wy, nwz = -wz;
    d[kRot] = r0 * 0.0 + r1 * wz + r2 * nwy;
    d[kRot + 1] = r0 * nwz + r1 * 0.0 + r2 * wx;
    d[kRot + 2] = r0 * wy + r1 * nwx + r2 * 0.0;
    d[kRot + 3] = r3 * 0.0 + r4 * wz + r5 * nwy;
    d[kRot + 4] = r3 * nwz + r4 * 0.0 + r5 * wx;
    d[kRot + 5] = r3 * wy + r4 * nwx + r5 * 0.0;
    d[kRot + 6] = r6 * 0.0 + r7 * wz + r8 * nwy;
    d[kRot + 7] = r6 * nwz + r7 * 0.0 + r8 * wx;
    d[kRot + 8] = r6 * wy + r7 * nwx + r8 * 0.0;

    // Euler's equations: (torque - Omega x (I Omega)) / I.
    const double iwx = ix * wx, iwy = iy * wy, iwz = iz * wz;
    d[kOmega] = (torqueX - (wy * iwz - wz * iwy)) / ix;
    d[kOmega + 1] = (torqueY - (wz * iwx - wx * iwz)) / iy;
    d[kOmega + 2] = (torqueZ - (wx * iwy - wy * iwx)) / iz;

    d[kProp] = -massFlow;
    d[kSize - 1] = 0.0;
  }
};

// The thrust at the vessel's levels, summed again only when they changed.
const ThrustSum& currentThrust(Vessel& v) {
  ThrustCache& cache = v.thrust;
  const bool fuelled = v.propellant > 0.0;
  // Compared bit for bit: a level that compares equal but differs in its bits
  // (a zero's sign) only sums the thrust again, to the same result.
  if (!cache.valid || cache.fuelled != fuelled ||
      std::memcmp(cache.levels.data(), v.groupLevel.data(), sizeof cache.levels) != 0) {
    cache.sum = thrustSum(v);
    cache.levels = v.groupLevel;
    cache.fuelled = fuelled;
    cache.valid = true;
  }
  return cache.sum;
}

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

// One classical Runge-Kutta step of dt, s replaced by its result; R is pulled
// back onto the rotations.
void rungeKuttaStep(const Model& model, State& s, double dt) {
  State k1, k2, k3, k4, t;
  model.derivative(s, k1);
  add(t, s, k1, dt / 2);
  model.derivative(t, k2);
  add(t, s, k2, dt / 2);
  model.derivative(t, k3);
  add(t, s, k3, dt);
  model.derivative(t, k4);
  // s + k1 dt/6 + k2 dt/3 + k3 dt/3 + k4 dt/6, summed left to right.
  const double h6 = dt / 6, h3 = dt / 3;
  for (int i = 0; i < kSize; ++i)
    s.v[i] = s.v[i] + k1.v[i] * h6 + k2.v[i] * h3 + k3.v[i] * h3 + k4.v[i] * h6;
  // R (3I - R^T R) / 2, as reorthonormalise in host/frames.h sums it, on the
  // flat values.
  double* r = s.v + kRot;
  double k[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      k[3 * i + j] =
          ((i == j ? 3.0 : 0.0) - (r[i] * r[j] + r[3 + i] * r[3 + j] + r[6 + i] * r[6 + j])) * 0.5;
  double out[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      out[3 * i + j] = r[3 * i] * k[j] + r[3 * i + 1] * k[3 + j] + r[3 * i + 2] * k[6 + j];
  for (int i = 0; i < 9; ++i) r[i] = out[i];
}

// True when every value is finite: no value has all its exponent bits set
// (an infinity or a NaN). Tested on the bits, which the compiler vectorises.
bool finite(const State& s) {
  constexpr uint64_t kExponent = 0x7ff0000000000000u;
  uint64_t bad = 0;
  for (int i = 0; i < kSize; ++i) {
    uint64_t bits;
    std::memcpy(&bits, &s.v[i], sizeof bits);
    bad |= uint64_t((bits & kExponent) == kExponent);
  }
  return bad == 0;
}

}  // namespace

int subSteps(const VECTOR3& angVel, double dt) {
  const double turn = std::sqrt(dot(angVel, angVel)) * dt;  // [rad] turned in one step
  if (!(turn > kMaxTurnPerSubStep)) return 1;
  return int(std::fmin(std::ceil(turn / kMaxTurnPerSubStep), double(kMaxSubSteps)));
}

bool advanceVessel(Vessel& v, const std::vector<Body>& bodies, double dt) {
  if (!(dt > 0.0) || !std::isfinite(dt)) return true;
  const ThrustSum& thrust = currentThrust(v);
  const Model model{bodies.data(),
                    bodies.size(),
                    v.dryMass,
                    v.pmi.x,
                    v.pmi.y,
                    v.pmi.z,
                    thrust.forceLocal.x,
                    thrust.forceLocal.y,
                    thrust.forceLocal.z,
                    thrust.torqueLocal.x,
                    thrust.torqueLocal.y,
                    thrust.torqueLocal.z,
                    thrust.massFlow};
  State s0;
  s0.v[kPos] = v.position.x;
  s0.v[kPos + 1] = v.position.y;
  s0.v[kPos + 2] = v.position.z;
  s0.v[kVel] = v.velocity.x;
  s0.v[kVel + 1] = v.velocity.y;
  s0.v[kVel + 2] = v.velocity.z;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) s0.v[kRot + 3 * i + j] = v.rotation.m[i][j];
  s0.v[kOmega] = v.angVel.x * -1.0;
  s0.v[kOmega + 1] = v.angVel.y * -1.0;
  s0.v[kOmega + 2] = v.angVel.z * -1.0;
  s0.v[kProp] = v.propellant;
  s0.v[kSize - 1] = 0.0;

  // The integration of the rotation is only accurate, and only stable against
  // the gyroscopic term of Euler's equations, while the vessel turns through a
  // small angle per step: a fast spinner is integrated in shorter steps.
  State s = s0;
  const int n = subSteps(v.angVel, dt);
  for (int i = 0; i < n && finite(s); ++i) rungeKuttaStep(model, s, n == 1 ? dt : dt / n);

  const double* r = s.v;
  v.position = {r[kPos], r[kPos + 1], r[kPos + 2]};
  v.velocity = {r[kVel], r[kVel + 1], r[kVel + 2]};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) v.rotation.m[i][j] = r[kRot + 3 * i + j];
  v.angVel = {r[kOmega] * -1.0, r[kOmega + 1] * -1.0, r[kOmega + 2] * -1.0};
  v.propellant = std::fmax(r[kProp], 0.0);
  recordBurn(v, thrust, s0.v[kProp]);
  return finite(s);
}

void recordBurn(Vessel& v, const ThrustSum& thrust, double propellantBefore) {
  const double burnt = propellantBefore - v.propellant;  // [kg]
  if (!(burnt > 0.0) || !(thrust.massFlow > 0.0)) return;
  for (size_t g = 0; g < v.propellantBurnt.size(); ++g) {
    if (thrust.groupMassFlow[g] == 0.0) continue;  // its share is 0: nothing to add
    v.propellantBurnt[g] += burnt * thrust.groupMassFlow[g] / thrust.massFlow;
  }
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
