// The stand-in host's step of one "generic" vessel in low Earth orbit, its
// pitch and roll thrusters firing as under a hold that is turning it: the
// integrator with the thrust summed and the burn booked.
#include <benchmark/benchmark.h>

#include "host/dynamics.h"
#include "host/world.h"

namespace {

constexpr double kStep = 0.02;              // [s]
constexpr double kMu = 3.986e14;            // [m^3/s^2]
constexpr double kEarthRadius = 6371010.0;  // [m]
// The vessel goes back to its start every so many steps (about 80 s of
// flight), so that the thrusters never run the spin up or the tanks dry.
constexpr int kStepsPerRun = 4096;

// A vessel on a circular orbit 300 km up, turning slowly.
halcyra::VesselSpec circularVessel() {
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

void BM_HostRk4Step(benchmark::State& state) {
  halcyra::World world;
  world.addBody("Earth", kMu, kEarthRadius, {0, 0, 0});
  halcyra::Vessel& v = *world.vessel(world.addVessel(circularVessel()));
  v.groupLevel[THGROUP_PITCH_RAISE] = 0.3;
  v.groupLevel[THGROUP_ROLL_LOWER] = 0.1;
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

}  // namespace

BENCHMARK_MAIN();
