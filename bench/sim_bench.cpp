// How much faster than real time the stand-in host flies one "generic" vessel
// at 50 Hz with the module loaded and a screen in its mode, redrawn once a
// simulated second, as gyrelle-sim does. Target: at least 10 000 simulated
// seconds per wall-clock second (counter sim_s_per_s).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "host/world.h"

namespace {

constexpr double kStep = 0.02;              // [s] 50 Hz
constexpr double kMu = 3.986e14;            // [m^3/s^2] Earth
constexpr double kEarthRadius = 6371010.0;  // [m]
constexpr int kStepsPerRedraw = 50;         // one redraw a simulated second

void BM_GenericVesselWithModule(benchmark::State& state) {
  halcyra::World world;
  halcyra::World::install(&world);
  std::unique_ptr<halcyra::ModuleLoader> loader;
  try {
    loader = std::make_unique<halcyra::ModuleLoader>(GYRELLE_MODULE_PATH);
  } catch (const std::exception& e) {
    halcyra::World::install(nullptr);
    state.SkipWithError(e.what());
    return;
  }
  world.addBody("Earth", kMu, kEarthRadius, {0, 0, 0});
  halcyra::VesselSpec spec;
  spec.name = "Gyre-1";
  spec.body = "Earth";
  spec.position = {6671010.0, 0.0, 0.0};
  spec.velocity = {0.0, 7655.7227, 0.0};
  spec.angularVelocity = {0.01, -0.02, 0.005};
  world.setFocus(world.addVessel(spec));
  const size_t screen = world.addScreen(256, 280);
  if (!world.setScreenMode(screen, "Gyrelle")) {
    state.SkipWithError("the module registered no mode \"Gyrelle\"");
  } else {
    world.pressKey(screen, 35);  // H: the attitude hold runs at every step
    uint64_t steps = 0;
    for (auto _ : state) {
      world.step(kStep);
      ++steps;
      loader->postStep(double(steps) * kStep, kStep, 0.0);
      if (steps % kStepsPerRedraw == 0) benchmark::DoNotOptimize(world.redraw(screen).size());
    }
    state.counters["sim_s_per_s"] =
        benchmark::Counter(double(steps) * kStep, benchmark::Counter::kIsRate);
  }
  world.setScreenMode(screen, "");  // the instance's code lives in the module
  loader.reset();
  halcyra::World::install(nullptr);
}
BENCHMARK(BM_GenericVesselWithModule)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
