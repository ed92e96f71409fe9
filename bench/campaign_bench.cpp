// A campaign's cost per run beyond flying: CampaignPlan::run(k) (the draws,
// the edited copy of the base scenario's document, the scenario read from
// it) on a one-vessel hold with three dispersions, beside the 60 s flight of
// that run with the module loaded, as a campaign's worker flies it.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench/beside_executable.h"
#include "sim/campaign/campaign_plan.h"
#include "sim/run/runner.h"

namespace {

constexpr const char* kHold = R"([sim]
step = 0.02
until = 60.0
redraw = 1.0

[[body]]
name = "Earth"
mu = 3.986e14
radius = 6371010.0

[[vessel]]
name = "Gyre-1"
class = "generic"
body = "Earth"
position = [6671010.0, 0.0, 0.0]
velocity = [0.0, 7655.7227, 0.0]
orientation = [0.0, 0.0, 0.0]
angular_velocity = [0.01, -0.02, 0.005]

[[screen]]
width = 256
height = 280
mode = "Gyrelle"

[[event]]
t = 0.0
key = 35   # H: the attitude hold
)";

constexpr const char* kAttitudeAndSpin = R"(
[[dispersion]]
name = "attitude"
vessel = "Gyre-1"
quantity = "orientation"
rotation = "cone"
sigma = 0.2

[[dispersion]]
name = "spin"
vessel = "Gyre-1"
quantity = "angular_velocity"
direction = "uniform"
magnitude = { uniform = [0.0, 0.0349] }
)";

// Every thruster of the class spelt out in the run's document.
constexpr const char* kThrust = R"(
[[dispersion]]
name = "thrust"
vessel = "Gyre-1"
quantity = "thruster.max"
apply = "scale"
normal = { mean = 1.0, sigma = 0.02, min = 0.9, max = 1.1 }
)";

// The campaign's files in a folder of their own, removed at the end.
struct CampaignFolder {
  std::string dir;
  CampaignFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "gyrelle-campaign-bench-XXXXXX").string();
    dir = mkdtemp(pattern.data()) ? pattern : "";
    std::ofstream(dir + "/hold.toml") << kHold;
  }
  ~CampaignFolder() { std::filesystem::remove_all(dir); }
  std::string campaign(const std::string& name, const std::string& dispersions) const {
    const std::string path = dir + "/" + name + ".campaign.toml";
    std::ofstream(path) << "[campaign]\nscenario = \"hold.toml\"\nruns = 1000\nseed = 7\n"
                        << dispersions;
    return path;
  }
};

const CampaignFolder& folder() {
  static const CampaignFolder f;
  return f;
}

void runOf(benchmark::State& state, const std::string& dispersions) {
  const sim::CampaignPlan plan(folder().campaign("bench", dispersions));
  uint64_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(plan.run(k));
    k = (k + 1) % plan.settings().runs;
  }
}

void BM_CampaignRunAttitudeSpin(benchmark::State& state) { runOf(state, kAttitudeAndSpin); }
void BM_CampaignRunAttitudeSpinThrust(benchmark::State& state) {
  runOf(state, std::string(kAttitudeAndSpin) + kThrust);
}

void BM_CampaignScenarioText(benchmark::State& state) {
  const sim::CampaignPlan plan(folder().campaign("text", std::string(kAttitudeAndSpin) + kThrust));
  uint64_t k = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(plan.scenarioText(k));
    k = (k + 1) % plan.settings().runs;
  }
}

// The flight a run's scenario costs, module loaded each time, no outputs.
void BM_CampaignFlight60s(benchmark::State& state) {
  const sim::CampaignPlan plan(
      folder().campaign("flight", std::string(kAttitudeAndSpin) + kThrust));
  sim::RunOptions o;
  o.until = 60.0;
  o.module = besideExecutable("libgyrelle.so");
  o.quiet = true;
  uint64_t k = 0;
  for (auto _ : state) {
    const sim::CampaignPlan::Run run = plan.run(k);
    benchmark::DoNotOptimize(sim::runScenario(run.scenario, o));
    k = (k + 1) % plan.settings().runs;
  }
}

}  // namespace

BENCHMARK(BM_CampaignRunAttitudeSpin)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CampaignRunAttitudeSpinThrust)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CampaignScenarioText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CampaignFlight60s)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
