// gyrelle-sim: flies a scenario with the module loaded and writes what the
// screens showed. Exit status: 0 done, 1 an output or the module failed or the
// flight broke down, 2 the scenario or the command line is wrong, 128 + the
// signal number when interrupted (platform/interrupt.h).
//
// Built twice on Linux: the lean gyrelle-sim (GYRELLE_LEAN), without the live
// server and the pictures, which hands a command line that asks for them over
// to gyrelle-sim-full, with everything (sim/run/hand_over.h).
#include <CLI/CLI.hpp>
#include <climits>
#include <cmath>
#include <cstdio>

#include "platform/interrupt.h"
#include "platform/library.h"
#include "platform/standard_streams.h"
#include "sim/outputs/output_paths.h"
#include "sim/outputs/run_outputs.h"
#include "sim/run/run_bounds.h"
#include "sim/run/runner.h"
#include "sim/scenario/default_scenario.h"
#include "sim/scenario/scenario.h"
#ifdef GYRELLE_LEAN
#include "sim/run/hand_over.h"
#endif
#ifdef GYRELLE_SERVE
#include "sim/serve/serve_options.h"
#if !defined(GYRELLE_LEAN)
#include "sim/serve/serve.h"
#endif
#endif

namespace {

constexpr int kExitFailed = 1;
constexpr int kExitBadScenario = 2;

// A number that is finite: "nan" and "inf" would never end the run or would
// sample at every step.
const CLI::Validator kFinite(
    [](std::string& text) {
      try {
        if (std::isfinite(std::stod(text))) return std::string();
      } catch (const std::exception&) {
      }
      return text + " is not a finite number";
    },
    "FINITE");

// Sign checks with short messages (CLI11's own name the whole double range).
CLI::Validator signCheck(bool zeroAllowed) {
  return CLI::Validator(
      [zeroAllowed](std::string& text) {
        double v = 0.0;
        try {
          v = std::stod(text);
        } catch (const std::exception&) {
          return std::string();  // kFinite names it
        }
        if (v > 0.0 || (zeroAllowed && v == 0.0)) return std::string();
        return text + (zeroAllowed ? " is negative" : " is not positive");
      },
      zeroAllowed ? "NOT NEGATIVE" : "POSITIVE");
}
const CLI::Validator kPositive = kFinite & signCheck(false);
const CLI::Validator kNotNegative = kFinite & signCheck(true);

}  // namespace

int main(int argc, char** argv) {
  sim::writeStandardStreamsAsBytes();
  CLI::App app{
      "gyrelle-sim: flies a scenario with the Gyrelle module loaded, headless.\n"
      "Without SCENARIO it flies the built-in default scenario."};
  // Options are --name on every platform: on Windows CLI11 would otherwise
  // take an argument starting with '/' (an absolute path under Wine) as one.
  app.allow_windows_style_options(false);
  std::string scenarioPath;
  sim::CommandLineTimes times;
  sim::RunOptions o;
  o.module = libraryBesideProgram("gyrelle");
  app.add_option("SCENARIO", scenarioPath, "scenario file (TOML)");
  app.add_option("--until", times.until,
                 "stop at this simulation time [s] (default: the scenario's)")
      ->check(kNotNegative);
  app.add_option("--module", o.module, "module library to load")->capture_default_str();
  app.add_option("--frames", o.framesDir, "write screenN-TTTTTT.mmm.png pictures into this folder");
  app.add_option("--frame-every", times.frameEvery, "seconds between pictures (default 10)")
      ->check(kPositive);
  app.add_option("--dump", o.dumpPath, "write every redraw as text to this file (- = stdout)");
  app.add_option("--telemetry", o.telemetryPath,
                 "write a CSV row per vessel to this file (- = stdout)");
  app.add_option("--telemetry-every", times.telemetryEvery,
                 "seconds between telemetry rows (default 1)")
      ->check(kPositive);
  app.add_option("--screens", o.screensPath,
                 "write a CSV row per screen per redraw, read off the page, to this file");
  app.add_option("--report", o.reportPath,
                 "write the flight report (propellant, delta-v, rates, holds) as JSON");
  app.add_option("--gif", o.gifDir,
                 "write screenN.gif, an animation of every redraw (or every --frame-every s)");
  app.add_option("--gif-speed", o.gifSpeed, "animation time per simulation time")
      ->capture_default_str()
      ->check(kPositive);
  app.add_flag("--quiet", o.quiet, "no progress bar and no report summary");
#ifdef GYRELLE_SERVE
  sim::ServeOptions serve;
  sim::addServeOptions(app, serve);
#endif
  app.set_version_flag("--version", std::string("gyrelle-sim ") + GYRELLE_VERSION);
  app.footer(
      "Exit status: 0 done, 1 an output or the module failed or a state is no longer finite, "
      "2 a bad scenario or command line, 130 / 143 / 129 interrupted (SIGINT / SIGTERM / "
      "SIGHUP).");
  try {
    app.parse(argc, argv);
    if (times.frameEvery) o.gifEvery = *times.frameEvery;
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::fprintf(stderr, "gyrelle-sim: %s\nRun with --help for more information.\n", e.what());
    return kExitBadScenario;
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
#ifdef GYRELLE_LEAN
    // Checked here first, so that gyrelle-sim's own program is refused as an
    // output also when gyrelle-sim-full writes them.
    if (sim::needsFullProgram(o, serve.serve)) return sim::handOverToFullProgram(argv);
#endif
    sim::watchInterrupts();
#if defined(GYRELLE_SERVE) && !defined(GYRELLE_LEAN)
    const sim::RunEnd end =
        serve.serve ? sim::serveScenario(scenario, text, o, serve) : sim::runScenario(scenario, o);
#else
    const sim::RunEnd end = sim::runScenario(scenario, o);
#endif
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
  sim::releasePictureCaches();
  return status;
}
