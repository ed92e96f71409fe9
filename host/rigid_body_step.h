// One classical fourth-order Runge-Kutta step (order 4, fixed step) of a rigid
// body's full state: position, velocity, rotation matrix, body angular
// velocity and propellant. Written once for a scalar type T: double for one
// vessel, a lane type (host/wide_step.h) for several vessels at a time, which
// gives the same bits lane by lane.
//
// The status rate w obeys dR/dt = -R [w]x. With Omega = -w this is the usual
// body-frame kinematics dR/dt = R [Omega]x, and Euler's equations hold in the
// right-handed form I dOmega/dt = sum(r x F) - Omega x (I Omega), with
// I = diag(pmi) * mass (pmi is mass-normalised). Thrust and mass flow are
// constant over a step (levels change only between steps); after the step R is
// pulled back onto the rotations.
//
// The state is 19 flat values and the derivative is written out term by term,
// so that the compiler keeps the whole step in registers and loops; every sum
// and product is taken in the order of the vector and matrix operations of
// host/frames.h, which the results match bit for bit.
#pragma once

#include <cmath>
#include <cstddef>

namespace halcyra {

// Offsets into the flat state.
constexpr int kPos = 0;     // global position [m], 3 values
constexpr int kVel = 3;     // global velocity [m/s], 3 values
constexpr int kRot = 6;     // vessel -> global rotation, row-major, 9 values
constexpr int kOmega = 15;  // body rate, right-handed sense (= -w) [rad/s], 3 values
constexpr int kProp = 18;   // propellant [kg]
constexpr int kSize = 20;   // 19 values and a zero, an even count that the compiler vectorises

// The scalar forms of the operations a lane type provides.
// x when x > 0, else +0 (NaN and both zeros give +0).
inline double positivePart(double x) { return x > 0.0 ? x : 0.0; }
// term, or +0 where dist2 is 0. Adding the +0 leaves any sum that began at +0
// unchanged (such a sum is never -0), so a sum built with it equals one that
// skips such terms.
inline double dropWhereZero(double dist2, double term) { return dist2 == 0.0 ? 0.0 : term; }
inline double squareRoot(double x) { return std::sqrt(x); }

template <class T>
struct BodyState {
  T v[kSize];
};

// What the derivative needs besides the state, copied out of the vessel once
// a step, so that writing the derivative cannot alias any of it. A body B
// has a global position and mu (host/world.h's Body, or PointMass).
template <class T, class B>
struct BodyModel {
  const B* bodies;
  size_t bodyCount;
  T dryMass;                    // [kg]
  T pmiX, pmiY, pmiZ;           // [m^2]
  T forceX, forceY, forceZ;     // vessel axes [N]
  T torqueX, torqueY, torqueZ;  // [N m]
  T massFlow;                   // [kg/s]

  // The derivative of the state s into d. Left to the compiler to inline or
  // not: inlining all four copies by force made the step a third slower.
  void derivative(const BodyState<T>& state, BodyState<T>& deriv) const {
    const T* s = state.v;
    T* __restrict d = deriv.v;
    // The propellant is kept non-negative ("not greater than 0" counts as 0,
    // as fmax would; the dry mass absorbs the sign of a zero).
    const T mass = dryMass + positivePart(s[kProp]);               // [kg]
    const T ix = pmiX * mass, iy = pmiY * mass, iz = pmiZ * mass;  // [kg m^2]
    const T r0 = s[kRot], r1 = s[kRot + 1], r2 = s[kRot + 2], r3 = s[kRot + 3], r4 = s[kRot + 4],
            r5 = s[kRot + 5], r6 = s[kRot + 6], r7 = s[kRot + 7], r8 = s[kRot + 8];
    const T wx = s[kOmega], wy = s[kOmega + 1], wz = s[kOmega + 2];

    // Gravity of every body; none pulls at its own centre.
    const T x = s[kPos], y = s[kPos + 1], z = s[kPos + 2];
    T gx = 0.0, gy = 0.0, gz = 0.0;
    for (size_t i = 0; i < bodyCount; ++i) {
      const B& b = bodies[i];
      const T dx = b.position.x - x, dy = b.position.y - y, dz = b.position.z - z;
      const T dist2 = dx * dx + dy * dy + dz * dz;
      const T k = b.mu / (dist2 * squareRoot(dist2));
      gx = gx + dropWhereZero(dist2, dx * k);
      gy = gy + dropWhereZero(dist2, dy * k);
      gz = gz + dropWhereZero(dist2, dz * k);
    }

    d[kPos] = s[kVel];
    d[kPos + 1] = s[kVel + 1];
    d[kPos + 2] = s[kVel + 2];
    const T perMass = 1.0 / mass;
    d[kVel] = gx + (r0 * forceX + r1 * forceY + r2 * forceZ) * perMass;
    d[kVel + 1] = gy + (r3 * forceX + r4 * forceY + r5 * forceZ) * perMass;
    d[kVel + 2] = gz + (r6 * forceX + r7 * forceY + r8 * forceZ) * perMass;

    // R [Omega]x, with [Omega]x = [0 -wz wy; wz 0 -wx; -wy wx 0] (its zero
    // terms kept: they decide the sign of a zero result).
    const T nwx = -wx, nwy = -wy, nwz = -wz, zero = 0.0;
    d[kRot] = r0 * zero + r1 * wz + r2 * nwy;
    d[kRot + 1] = r0 * nwz + r1 * zero + r2 * wx;
    d[kRot + 2] = r0 * wy + r1 * nwx + r2 * zero;
    d[kRot + 3] = r3 * zero + r4 * wz + r5 * nwy;
    d[kRot + 4] = r3 * nwz + r4 * zero + r5 * wx;
    d[kRot + 5] = r3 * wy + r4 * nwx + r5 * zero;
    d[kRot + 6] = r6 * zero + r7 * wz + r8 * nwy;
    d[kRot + 7] = r6 * nwz + r7 * zero + r8 * wx;
    d[kRot + 8] = r6 * wy + r7 * nwx + r8 * zero;

    // Euler's equations: (torque - Omega x (I Omega)) / I.
    const T iwx = ix * wx, iwy = iy * wy, iwz = iz * wz;
    d[kOmega] = (torqueX - (wy * iwz - wz * iwy)) / ix;
    d[kOmega + 1] = (torqueY - (wz * iwx - wx * iwz)) / iy;
    d[kOmega + 2] = (torqueZ - (wx * iwy - wy * iwx)) / iz;

    d[kProp] = -massFlow;
    d[kSize - 1] = zero;
  }
};

// r = s + d h, value by value.
template <class T>
inline void addScaled(BodyState<T>& r, const BodyState<T>& s, const BodyState<T>& d, double h) {
  for (int i = 0; i < kSize; ++i) r.v[i] = s.v[i] + d.v[i] * h;
}

// One step of dt, s replaced by its result; R is pulled back onto the
// rotations.
template <class T, class B>
inline void rungeKuttaStep(const BodyModel<T, B>& model, BodyState<T>& s, double dt) {
  BodyState<T> k1, k2, k3, k4, t;
  model.derivative(s, k1);
  addScaled(t, s, k1, dt / 2);
  model.derivative(t, k2);
  addScaled(t, s, k2, dt / 2);
  model.derivative(t, k3);
  addScaled(t, s, k3, dt);
  model.derivative(t, k4);
  // s + k1 dt/6 + k2 dt/3 + k3 dt/3 + k4 dt/6, summed left to right.
  const double h6 = dt / 6, h3 = dt / 3;
  for (int i = 0; i < kSize; ++i)
    s.v[i] = s.v[i] + k1.v[i] * h6 + k2.v[i] * h3 + k3.v[i] * h3 + k4.v[i] * h6;
  // R (3I - R^T R) / 2, as reorthonormalise in host/frames.h sums it, on the
  // flat values.
  T* r = s.v + kRot;
  T k[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      k[3 * i + j] =
          ((i == j ? 3.0 : 0.0) - (r[i] * r[j] + r[3 + i] * r[3 + j] + r[6 + i] * r[6 + j])) * 0.5;
  T out[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      out[3 * i + j] = r[3 * i] * k[j] + r[3 * i + 1] * k[3 + j] + r[3 * i + 2] * k[6 + j];
  for (int i = 0; i < 9; ++i) r[i] = out[i];
}

}  // namespace halcyra
