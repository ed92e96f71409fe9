// Campaigns: 1,000 runs of a minute's attitude hold at 0.02 s steps, each
// from its own attitude and spin (bench/scenarios/hold-60s.campaign.toml),
// flown by gyrelle-sim campaign with one and two workers, against the same
// flights in this process.
// - BM_FlightInProcess: the campaign's runs' scenarios (drawn before the
//   timing) flown as gyrelle-sim flies a scenario (quiet, its expectations
//   judged), the library kept mapped as a worker keeps it; counter
//   flights_per_cpu_s.
// - BM_CampaignRunInProcess: what a worker does for one run: the plan's run,
//   the flight, the row; counter flights_per_cpu_s.
// - BM_Campaign/N: the whole campaign with N workers, as its user starts it;
//   the time is wall time, cpu_s the CPU time of the program and its workers
//   (user + system), flights_per_cpu_s = runs / cpu_s.
// scripts/bench.sh turns them into the share of a run spent beyond flying it
// and the parallel efficiency from one worker to two.
// The campaign file is found in the source tree above the build's bin/
// folder, or at GYRELLE_BENCH_CAMPAIGN.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/beside_executable.h"
#include "platform/child_process.h"
#include "sim/campaign/campaign_flight.h"
#include "sim/campaign/run_record.h"
#include "sim/run/runner.h"

extern char** environ;

namespace {

std::string campaignFile() {
  if (const char* given = std::getenv("GYRELLE_BENCH_CAMPAIGN")) return given;
  return besideExecutable("../../bench/scenarios/hold-60s.campaign.toml");
}

double cpuSeconds(int who) {
  rusage u{};
  getrusage(who, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         1e-6 * double(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

// Standard output and error sent to the null device while it lives, as a
// worker's are: the flights' last pages and results go nowhere.
struct Silenced {
  Silenced() {
    std::fflush(stdout);
    std::fflush(stderr);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    close(null);
  }
  ~Silenced() {
    std::fflush(stdout);
    std::fflush(stderr);
    dup2(out, 1);
    dup2(err, 2);
    close(out);
    close(err);
  }
  int out = dup(1), err = dup(2);
};

void BM_FlightInProcess(benchmark::State& state) {
  const sim::CampaignPlan plan(campaignFile());
  std::vector<sim::Scenario> runs;
  for (uint64_t k = 0; k < 200; ++k) runs.push_back(plan.run(k).scenario);
  sim::RunOptions o;
  o.until = plan.base().until;
  o.module = besideExecutable("libgyrelle.so");
  o.quiet = true;
  sim::keepLibraryMapped(o.module);
  size_t k = 0;
  const double cpu0 = cpuSeconds(RUSAGE_SELF);
  {
    Silenced silenced;
    for (auto _ : state) sim::runScenario(runs[k++ % runs.size()], o);
  }
  state.counters["flights_per_cpu_s"] =
      double(state.iterations()) / (cpuSeconds(RUSAGE_SELF) - cpu0);
}
BENCHMARK(BM_FlightInProcess)->Unit(benchmark::kMillisecond);

void BM_CampaignRunInProcess(benchmark::State& state) {
  const sim::CampaignPlan plan(campaignFile());
  const sim::RunColumns columns = sim::runColumns(plan);
  const std::string module = besideExecutable("libgyrelle.so");
  sim::keepLibraryMapped(module);
  uint64_t k = 0;
  const double cpu0 = cpuSeconds(RUSAGE_SELF);
  {
    Silenced silenced;
    for (auto _ : state) {
      const sim::RunRecord r = sim::flyCampaignRun(plan, k++ % plan.settings().runs, module);
      if (r.status != sim::RunStatus::Ok) state.SkipWithError(r.reason.c_str());
      benchmark::DoNotOptimize(sim::formatRow(r, columns).size());
    }
  }
  state.counters["flights_per_cpu_s"] =
      double(state.iterations()) / (cpuSeconds(RUSAGE_SELF) - cpu0);
}
BENCHMARK(BM_CampaignRunInProcess)->Unit(benchmark::kMillisecond);

void BM_Campaign(benchmark::State& state) {
  const std::string jobs = std::to_string(state.range(0));
  const std::string out =
      (std::filesystem::temp_directory_path() / ("gyrelle-campaign-bench-" + jobs)).string();
  const std::string program = besideExecutable("gyrelle-sim");
  double cpu = 0.0;
  uint64_t runs = 0;
  for (auto _ : state) {
    std::filesystem::remove_all(out);
    const std::string file = campaignFile();
    const char* argv[] = {program.c_str(), "campaign",  file.c_str(), "--jobs", jobs.c_str(),
                          "--out",         out.c_str(), "--quiet",    nullptr};
    const double cpu0 = cpuSeconds(RUSAGE_CHILDREN);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ) !=
            0 ||
        waitpid(pid, &status, 0) != pid || status != 0) {
      state.SkipWithError("gyrelle-sim campaign failed");
      break;
    }
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    cpu += cpuSeconds(RUSAGE_CHILDREN) - cpu0;
    runs += sim::CampaignPlan(file).settings().runs;
  }
  std::filesystem::remove_all(out);
  state.counters["cpu_s"] = cpu / double(state.iterations());
  state.counters["flights_per_cpu_s"] = double(runs) / cpu;
}
BENCHMARK(BM_Campaign)
    ->Arg(1)
    ->Arg(2)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
