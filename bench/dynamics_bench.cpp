// The stand-in host's RK4 step of one "generic" vessel against a flat,
// hand-written RK4 of the same 19-value state (position, velocity, rotation
// matrix, body rate, propellant) under the same forces, in the same program.
// Target: the host's step at most 1.3 times the hand-written one.
#include <benchmark/benchmark.h>

#include <cmath>

#include "host/dynamics.h"
#include "host/rigid_body_step.h"
#include "host/world.h"

namespace {

constexpr double kStep = 0.02;              // [s]
constexpr double kMu = 3.986e14;            // [m^3/s^2]
constexpr double kEarthRadius = 6371010.0;  // [m]
// Both loops go back to the start every so many steps (about 80 s of flight),
// so that the thrusters never run the spin up or the tanks dry.
constexpr int kStepsPerRun = 4096;

halcyra::VesselSpec orbiter() {
  halcyra::VesselSpec spec;
  spec.name = "Gyre-1";
  spec.body = "Earth";
  spec.position = {6671010.0, 0.0, 0.0};
  spec.velocity = {0.0, 7655.7227, 0.0};
  spec.angularVelocity = {0.01, -0.02, 0.005};
  return spec;
}

void restoreState(halcyra::Vessel& v, const halcyra::Vessel& from) {
  v.position = from.position;
  v.velocity = from.velocity;
  v.rotation = from.rotation;
  v.angVel = from.angVel;
  v.propellant = from.propellant;
}

// The orbiter's state as the flat state (position, velocity, rotation,
// right-handed body rate, propellant) into s[0..18]; the rest stays as it is.
void startState(const halcyra::Vessel& v, double* s) {
  s[0] = v.position.x;
  s[4] = v.velocity.y;
  s[6] = s[10] = s[14] = 1.0;
  s[15] = -v.angVel.x;
  s[16] = -v.angVel.y;
  s[17] = -v.angVel.z;
  s[18] = v.propellant;
}

// Pitch and roll thrusters firing, as under a hold that is turning the vessel.
void setLevels(halcyra::Vessel& v) {
  v.groupLevel[THGROUP_PITCH_RAISE] = 0.3;
  v.groupLevel[THGROUP_ROLL_LOWER] = 0.1;
}

void BM_HostRk4Step(benchmark::State& state) {
  halcyra::World world;
  world.addBody("Earth", kMu, kEarthRadius, {0, 0, 0});
  halcyra::Vessel& v = *world.vessel(world.addVessel(orbiter()));
  setLevels(v);
  halcyra::Vessel start;
  restoreState(start, v);
  int n = 0;
  for (auto _ : state) {
    if (++n == kStepsPerRun) {
      n = 0;
      restoreState(v, start);
    }
    halcyra::advanceVessel(v, world.bodies(), kStep);
    benchmark::DoNotOptimize(v.position);
  }
}
BENCHMARK(BM_HostRk4Step);

// The integrator alone, without the vessel's bookkeeping around it (thrust,
// copies in and out, propellant and delta-v booked).
void BM_CoreRk4Step(benchmark::State& state) {
  halcyra::World world;
  world.addBody("Earth", kMu, kEarthRadius, {0, 0, 0});
  halcyra::Vessel& v = *world.vessel(world.addVessel(orbiter()));
  setLevels(v);
  const halcyra::ThrustSum t = halcyra::thrustSum(v);
  const halcyra::BodyModel<double, halcyra::Body> model{world.bodies().data(),
                                                        world.bodies().size(),
                                                        v.dryMass,
                                                        v.pmi.x,
                                                        v.pmi.y,
                                                        v.pmi.z,
                                                        t.forceLocal.x,
                                                        t.forceLocal.y,
                                                        t.forceLocal.z,
                                                        t.torqueLocal.x,
                                                        t.torqueLocal.y,
                                                        t.torqueLocal.z,
                                                        t.massFlow};
  halcyra::BodyState<double> s{};
  startState(v, s.v);
  const auto start = s;
  int n = 0;
  for (auto _ : state) {
    if (++n == kStepsPerRun) {
      n = 0;
      s = start;
    }
    halcyra::rungeKuttaStep(model, s, kStep);
    benchmark::DoNotOptimize(s.v);
  }
}
BENCHMARK(BM_CoreRk4Step);

// The hand-written reference: one body at the origin, the thrust summed once
// before the loop, the state as one array.
struct Flat {
  double s[19];  // pos 0-2, vel 3-5, rot 6-14 (row-major), omega 15-17, prop 18
};

struct FlatModel {
  double mu, dryMass, pmi[3], force[3], torque[3], massFlow;

  void deriv(const double* s, double* d) const {
    const double mass = dryMass + (s[18] > 0.0 ? s[18] : 0.0);
    const double r2 = s[0] * s[0] + s[1] * s[1] + s[2] * s[2];
    const double g = -mu / (r2 * std::sqrt(r2));
    const double* r = s + 6;
    const double im = 1.0 / mass;
    for (int i = 0; i < 3; ++i) {
      d[i] = s[3 + i];
      d[3 + i] =
          g * s[i] + (r[3 * i] * force[0] + r[3 * i + 1] * force[1] + r[3 * i + 2] * force[2]) * im;
    }
    const double wx = s[15], wy = s[16], wz = s[17];
    for (int i = 0; i < 3; ++i) {
      const double a0 = r[3 * i], a1 = r[3 * i + 1], a2 = r[3 * i + 2];
      d[6 + 3 * i] = a1 * wz - a2 * wy;
      d[7 + 3 * i] = a2 * wx - a0 * wz;
      d[8 + 3 * i] = a0 * wy - a1 * wx;
    }
    const double ix = pmi[0] * mass, iy = pmi[1] * mass, iz = pmi[2] * mass;
    d[15] = (torque[0] - (iz - iy) * wy * wz) / ix;
    d[16] = (torque[1] - (ix - iz) * wz * wx) / iy;
    d[17] = (torque[2] - (iy - ix) * wx * wy) / iz;
    d[18] = -massFlow;
  }

  void step(Flat& x, double h) const {
    double k1[19], k2[19], k3[19], k4[19], t[19];
    deriv(x.s, k1);
    for (int i = 0; i < 19; ++i) t[i] = x.s[i] + 0.5 * h * k1[i];
    deriv(t, k2);
    for (int i = 0; i < 19; ++i) t[i] = x.s[i] + 0.5 * h * k2[i];
    deriv(t, k3);
    for (int i = 0; i < 19; ++i) t[i] = x.s[i] + h * k3[i];
    deriv(t, k4);
    for (int i = 0; i < 19; ++i) x.s[i] += h / 6.0 * (k1[i] + 2.0 * (k2[i] + k3[i]) + k4[i]);
    if (x.s[18] < 0.0) x.s[18] = 0.0;
    // The same pull back onto the rotations: R (3I - R^T R) / 2.
    double* r = x.s + 6;
    double m[9], k[9];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        m[3 * i + j] = r[i] * r[j] + r[3 + i] * r[3 + j] + r[6 + i] * r[6 + j];
    for (int i = 0; i < 9; ++i) k[i] = ((i % 4 == 0 ? 3.0 : 0.0) - m[i]) * 0.5;
    double out[9];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        out[3 * i + j] = r[3 * i] * k[j] + r[3 * i + 1] * k[3 + j] + r[3 * i + 2] * k[6 + j];
    for (int i = 0; i < 9; ++i) r[i] = out[i];
  }
};

void BM_FlatRk4Step(benchmark::State& state) {
  halcyra::World world;
  world.addBody("Earth", kMu, kEarthRadius, {0, 0, 0});
  halcyra::Vessel& v = *world.vessel(world.addVessel(orbiter()));
  setLevels(v);
  const halcyra::ThrustSum thrust = halcyra::thrustSum(v);
  FlatModel model{kMu,
                  v.dryMass,
                  {v.pmi.x, v.pmi.y, v.pmi.z},
                  {thrust.forceLocal.x, thrust.forceLocal.y, thrust.forceLocal.z},
                  {thrust.torqueLocal.x, thrust.torqueLocal.y, thrust.torqueLocal.z},
                  thrust.massFlow};
  Flat x{};
  startState(v, x.s);
  const Flat start = x;
  int n = 0;
  for (auto _ : state) {
    if (++n == kStepsPerRun) {
      n = 0;
      x = start;
    }
    model.step(x, kStep);
    benchmark::DoNotOptimize(x.s);
  }
}
BENCHMARK(BM_FlatRk4Step);

}  // namespace

BENCHMARK_MAIN();
