// Several vessels' Runge-Kutta steps at once, one vessel to a lane of the
// processor's vector registers. Each lane computes exactly the operations of
// the scalar step (host/rigid_body_step.h), each an IEEE-754 operation rounded
// in double precision, and neither SSE2 nor AVX2 has a fused multiply-add to
// contract into; so every vessel gets bit for bit what its step alone gives.
//
// The integration is a chain of dependent square roots and divisions, and a
// step is as long as that chain: the lanes give the processor independent
// work to fill it with.
#pragma once

#include <cstddef>

#include "host/rigid_body_step.h"
#include "module/host_api.h"

namespace halcyra {

constexpr int kWide = 4;  // vessels a wide step takes

// A body as the wide step reads it.
struct PointMass {
  VECTOR3 position;  // global [m]
  double mu;         // [m^3/s^2]
};

// The inputs of BodyModel, lane i for vessel i.
struct WideModel {
  const PointMass* bodies;
  size_t bodyCount;
  alignas(32) double dryMass[kWide];  // [kg]
  alignas(32) double pmiX[kWide];     // [m^2]
  alignas(32) double pmiY[kWide];
  alignas(32) double pmiZ[kWide];
  alignas(32) double forceX[kWide];  // vessel axes [N]
  alignas(32) double forceY[kWide];
  alignas(32) double forceZ[kWide];
  alignas(32) double torqueX[kWide];  // [N m]
  alignas(32) double torqueY[kWide];
  alignas(32) double torqueZ[kWide];
  alignas(32) double massFlow[kWide];  // [kg/s]
};

// Value v of vessel i's flat state (offsets in host/rigid_body_step.h) at s[v][i].
struct WideState {
  alignas(32) double s[kSize][kWide];
};

// Which lanes held a value that is not finite (bit i for lane i), before the
// step and after it.
struct NonFiniteLanes {
  unsigned before;
  unsigned after;
};

// One step of dt for all kWide lanes, state replaced by its result.
using WideStep = NonFiniteLanes (*)(const WideModel& model, WideState& state, double dt);

// The widest step the processor runs (AVX2 where it has it, SSE2 otherwise).
WideStep wideStep();
// Each form itself; wideStepAvx2 exists where HALCYRA_AVX2 is defined, and may
// only run where the processor has AVX2.
NonFiniteLanes wideStepSse2(const WideModel& model, WideState& state, double dt);
NonFiniteLanes wideStepAvx2(const WideModel& model, WideState& state, double dt);

// kWide lanes in registers of a vector instruction set R, which gives the
// register type (R::Reg, holding R::kPerReg doubles) and its operations.
template <class R>
struct RegisterLanes {
  using Reg = typename R::Reg;
  static constexpr int kRegisters = kWide / R::kPerReg;
  Reg r[kRegisters];

  RegisterLanes() = default;
  RegisterLanes(double x) {  // every lane x
    for (Reg& v : r) v = R::broadcast(x);
  }
  static RegisterLanes load(const double* p) {  // p aligned to 32 bytes
    RegisterLanes out;
    for (int i = 0; i < kRegisters; ++i) out.r[i] = R::load(p + R::kPerReg * i);
    return out;
  }
  void store(double* p) const {
    for (int i = 0; i < kRegisters; ++i) R::store(p + R::kPerReg * i, r[i]);
  }
  template <class Op>
  static RegisterLanes each(const RegisterLanes& a, const RegisterLanes& b, Op op) {
    RegisterLanes out;
    for (int i = 0; i < kRegisters; ++i) out.r[i] = op(a.r[i], b.r[i]);
    return out;
  }

  friend RegisterLanes operator+(const RegisterLanes& a, const RegisterLanes& b) {
    return each(a, b, R::add);
  }
  friend RegisterLanes operator-(const RegisterLanes& a, const RegisterLanes& b) {
    return each(a, b, R::sub);
  }
  friend RegisterLanes operator*(const RegisterLanes& a, const RegisterLanes& b) {
    return each(a, b, R::mul);
  }
  friend RegisterLanes operator/(const RegisterLanes& a, const RegisterLanes& b) {
    return each(a, b, R::div);
  }
  friend RegisterLanes operator-(const RegisterLanes& a) {
    return each(a, a, [](Reg x, Reg) { return R::negate(x); });
  }
  friend RegisterLanes positivePart(const RegisterLanes& x) {
    return each(x, x, [](Reg v, Reg) { return R::positivePart(v); });
  }
  friend RegisterLanes dropWhereZero(const RegisterLanes& dist2, const RegisterLanes& term) {
    return each(dist2, term, R::dropWhereZero);
  }
  friend RegisterLanes squareRoot(const RegisterLanes& x) {
    return each(x, x, [](Reg v, Reg) { return R::squareRoot(v); });
  }
};

// The step written with a lane type L of kWide doubles: L(double) sets every
// lane, L::load and store move kWide aligned doubles, and it has the
// arithmetic operators and the operations of host/rigid_body_step.h.
// The lanes of s that hold a value that is not finite: x * 0 is NaN exactly
// when x is infinite or NaN, and a NaN stays in a sum.
template <class L>
unsigned nonFinite(const BodyState<L>& s) {
  L sum = 0.0;
  for (int v = 0; v < kSize; ++v) sum = sum + s.v[v] * 0.0;
  alignas(32) double lanes[kWide];
  sum.store(lanes);
  unsigned bits = 0;
  for (int i = 0; i < kWide; ++i) bits |= unsigned(!(lanes[i] == lanes[i])) << i;
  return bits;
}

template <class L>
NonFiniteLanes wideStepWith(const WideModel& m, WideState& w, double dt) {
  const BodyModel<L, PointMass> model{m.bodies,           m.bodyCount,        L::load(m.dryMass),
                                      L::load(m.pmiX),    L::load(m.pmiY),    L::load(m.pmiZ),
                                      L::load(m.forceX),  L::load(m.forceY),  L::load(m.forceZ),
                                      L::load(m.torqueX), L::load(m.torqueY), L::load(m.torqueZ),
                                      L::load(m.massFlow)};
  BodyState<L> s;
  for (int v = 0; v < kSize; ++v) s.v[v] = L::load(w.s[v]);
  NonFiniteLanes lanes;
  lanes.before = nonFinite(s);
  rungeKuttaStep(model, s, dt);
  lanes.after = nonFinite(s);
  for (int v = 0; v < kSize; ++v) s.v[v].store(w.s[v]);
  return lanes;
}

}  // namespace halcyra
