// The runner's flight advanced from C++ (sim/run/flight.h) with the outputs a
// flight flown from Python keeps in memory (telemetry, screen log, report):
// the flight's own cost per step, against which bench/python_step_bench.py
// measures what stepping from Python adds. The scenario is
// bench/scenarios/one_vessel.toml (the hold on), or $GYRELLE_BENCH_SCENARIO.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "bench/beside_executable.h"
#include "sim/outputs/run_outputs.h"
#include "sim/run/flight.h"

namespace {

constexpr uint64_t kSteps = 10000;  // 200 s of flight at 50 Hz

std::string scenarioPath() {
  const char* given = std::getenv("GYRELLE_BENCH_SCENARIO");
  return given ? given : besideExecutable("../../bench/scenarios/one_vessel.toml");
}

// A flight as the Python package sets one up: nothing on the terminal, the
// records in memory.
struct MemoryFlight {
  explicit MemoryFlight(const sim::Scenario& s) : loaded(besideExecutable("libgyrelle.so")) {
    options.until = s.until;
    options.embeddedNotes = [](const std::string&) {};
    telemetry = sim::openTelemetryText(telemetryText, 1.0);
    screens = sim::openScreenLogText(screensText);
    options.more = {telemetry.get(), screens.get()};
    flight = std::make_unique<sim::Flight>(s, options, loaded.world(), loaded.postStep());
    flight->advance(0);
  }
  ~MemoryFlight() { flight.reset(); }

  sim::ModuleWorld loaded;
  sim::RunOptions options;
  std::string telemetryText, screensText;
  std::unique_ptr<sim::Output> telemetry, screens;
  std::unique_ptr<sim::Flight> flight;
};

void BM_FlightAdvance(benchmark::State& state) {
  sim::Scenario s;
  try {
    s = sim::parseScenario(sim::readScenarioFile(scenarioPath()), scenarioPath());
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    auto f = std::make_unique<MemoryFlight>(s);
    state.ResumeTiming();
    f->flight->advance(kSteps);
    state.PauseTiming();
    f.reset();
    state.ResumeTiming();
  }
  state.counters["steps"] = double(kSteps);
}
BENCHMARK(BM_FlightAdvance)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
