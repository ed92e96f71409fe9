// gyrelle-sim: flies a scenario with the module loaded and writes what the
// screens showed. Exit status: 0 done, 1 an output or the module failed or the
// flight broke down, 2 the scenario or the command line is wrong, 128 + the
// signal number when interrupted (sim/interrupt.h).
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <climits>
#include <cmath>
#include <cstdio>

#include "render/picture.h"
#include "sim/default_scenario.h"
#include "sim/interrupt.h"
#include "sim/output_paths.h"
#include "sim/run_bounds.h"
#include "sim/runner.h"
#include "sim/scenario.h"
#include "sim/scenario_file.h"

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitBadScenario = 2;

// libgyrelle.so in the folder of this executable.
std::string defaultModulePath() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return "libgyrelle.so";
  std::string exe(buffer, size_t(n));
  return exe.substr(0, exe.find_last_of('/') + 1) + "libgyrelle.so";
}

// Times on the command line [s]: finite numbers ("nan" and "inf" would never
// end the run or would sample at every step), positive or, for --until, not
// negative. How they compare with the scenario's step: run_bounds.h.
CLI::Validator seconds(bool zeroAllowed) {
  return CLI::Validator(
      [zeroAllowed](std::string& text) {
        try {
          const double v = std::stod(text);
          if (std::isfinite(v) && (v > 0.0 || (zeroAllowed && v == 0.0))) return std::string();
        } catch (const std::exception&) {
        }
        return text + " is not a finite " + (zeroAllowed ? "time of 0 s or more" : "positive time");
      },
      zeroAllowed ? "SECONDS>=0" : "SECONDS>0");
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "gyrelle-sim: flies a scenario with the Gyrelle module loaded, headless.\n"
      "Without SCENARIO it flies the built-in default scenario."};
  std::string scenarioPath;
  sim::CommandLineTimes times;
  sim::RunOptions o;
  o.module = defaultModulePath();
  app.add_option("SCENARIO", scenarioPath, "scenario file (TOML)");
  app.add_option("--until", times.until,
                 "stop at this simulation time [s] (default: the scenario's)")
      ->check(seconds(true));
  app.add_option("--module", o.module, "module library to load")->capture_default_str();
  app.add_option("--frames", o.framesDir, "write screenN-TTTTTT.mmm.png pictures into this folder");
  app.add_option("--frame-every", times.frameEvery, "seconds between pictures (default 10)")
      ->check(seconds(false));
  app.add_option("--dump", o.dumpPath, "write every redraw as text to this file (- = stdout)");
  app.add_option("--telemetry", o.telemetryPath,
                 "write a CSV row per vessel to this file (- = stdout)");
  app.add_option("--telemetry-every", times.telemetryEvery,
                 "seconds between telemetry rows (default 1)")
      ->check(seconds(false));
  app.add_flag("--quiet", o.quiet, "no progress bar");
  app.footer(
      "Exit status: 0 done, 1 an output or the module failed or a state is no longer finite, "
      "2 a bad scenario or command line, 130 / 143 interrupted (SIGINT / SIGTERM).");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : kExitBadScenario;
  }

  int status = 0;
  try {
    std::string text, file;
    if (scenarioPath.empty()) {
      text = sim::kDefaultScenario;
      file = "default.toml";
    } else {
      file = scenarioPath;
      text = sim::readScenarioFile(scenarioPath);
    }
    const sim::Scenario scenario = sim::parseScenario(text, file);
    sim::setRunTimes(scenario, times, o);
    sim::checkOutputPaths(scenarioPath, o);
    sim::watchInterrupts();
    const sim::RunEnd end = sim::runScenario(scenario, o);
    if (end.interruptStatus != 0) {
      std::fflush(stdout);
      std::fprintf(stderr, "gyrelle-sim: interrupted at t = %.3f\n", end.t);
      status = end.interruptStatus;
    }
  } catch (const sim::ScenarioError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", e.what());
    status = kExitBadScenario;
  } catch (const sim::UsageError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "gyrelle-sim: %s\n", e.what());
    status = kExitBadScenario;
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "gyrelle-sim: %s\n", e.what());
    status = kExitFailed;
  }
  render::releaseFontCaches();
  return status;
}
