// Cost of one entry-interface prediction, as run at every state refresh while
// the entry reference is selected: through the stand-in host (status reads and
// two catalogue lookups by name) and on a plain state.
#include <benchmark/benchmark.h>

#include "entry/entry_prediction.h"
#include "entry/entry_prediction_core.h"
#include "host/world.h"

namespace {

constexpr double kMu = 3.986e14;  // [m^3/s^2]

// Earth listed after the Sun, Mercury and Venus, as the catalogue orders them,
// so that each lookup compares four names.
void setUpWorld(halcyra::World& world) {
  world.addBody("Sun", 1.328e20, 6.96e8, {1.5e11, 0, 0});
  world.addBody("Mercury", 2.203e13, 2.44e6, {1.5e11, 5e10, 0});
  world.addBody("Venus", 3.249e14, 6.05e6, {1.5e11, -1e11, 0});
  world.addBody("Earth", kMu, 6371010.0, {0, 0, 0});
  halcyra::VesselSpec spec;
  spec.name = "Capsule";
  spec.vesselClass = "none";
  spec.body = "Earth";
  spec.position = {6671010, 0, 0};  // apoapsis of a 50 x 300 km orbit
  spec.velocity = {0, 7655.7227, 0};
  world.setFocus(world.addVessel(spec));
}

void BM_PredictEntryInterfaceThroughHost(benchmark::State& state) {
  halcyra::World world;
  halcyra::World::install(&world);
  setUpWorld(world);
  EntryPrediction prediction{};
  for (auto _ : state) {
    predictEntryInterface(prediction);
    benchmark::DoNotOptimize(prediction);
  }
  if (!prediction.valid) state.SkipWithError("prediction undefined");
  halcyra::World::install(nullptr);
}
BENCHMARK(BM_PredictEntryInterfaceThroughHost);

void BM_PredictEntryFromState(benchmark::State& state) {
  const VECTOR3 pos{6671010, 0, 0}, vel{0, 7655.7227, 0};
  EntryPrediction prediction{};
  for (auto _ : state) {
    predictEntryFromState(pos, vel, kMu, 6470000.0, prediction);
    benchmark::DoNotOptimize(prediction);
  }
  if (!prediction.valid) state.SkipWithError("prediction undefined");
}
BENCHMARK(BM_PredictEntryFromState);

}  // namespace

BENCHMARK_MAIN();
