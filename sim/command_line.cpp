#include "sim/command_line.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "platform/interrupt.h"
#include "platform/library.h"
#include "platform/standard_streams.h"
#include "sim/campaign/campaign_command.h"
#include "sim/outputs/output_paths.h"
#include "sim/outputs/run_outputs.h"
#include "sim/run/program_files.h"
#include "sim/run/run_bounds.h"
#include "sim/run/time_slack.h"
#include "sim/scenario/default_scenario.h"
#include "sim/scenario/strict_checks.h"

namespace sim {
namespace {

constexpr int kExitFailed = 1;
constexpr int kExitBadScenario = 2;

// A finite number of a sign, with short messages (CLI11's own name the whole
// double range): "nan" and "inf" would never end the run or would sample at
// every step.
CLI::Validator finiteNumber(bool zeroAllowed) {
  return CLI::Validator(
      [zeroAllowed](std::string& text) {
        double v = NAN;
        try {
          v = std::stod(text);
        } catch (const std::exception&) {
        }
        if (!std::isfinite(v)) return text + " is not a finite number";
        if (v > 0.0 || (zeroAllowed && v == 0.0)) return std::string();
        return text + (zeroAllowed ? " is negative" : " is not positive");
      },
      zeroAllowed ? "(FINITE) AND (NOT NEGATIVE)" : "(FINITE) AND (POSITIVE)");
}
const CLI::Validator kPositive = finiteNumber(false);
const CLI::Validator kNotNegative = finiteNumber(true);

// The times the command line gives (empty = not given).
struct CommandLineTimes {
  std::optional<double> until;           // [s]
  std::optional<double> frameEvery;      // [s]
  std::optional<double> telemetryEvery;  // [s]
};

std::string seconds(double t) {
  char text[48];
  std::snprintf(text, sizeof text, "%g s", t);
  return text;
}

// An interval given on the command line, or the default (at least one step).
double interval(const std::optional<double>& given, double fallback, double step,
                const char* option) {
  if (!given) return std::max(fallback, step);
  if (*given < step - kTimeSlack)
    throw UsageError(std::string(option) + " " + seconds(*given) +
                     " is below the scenario's step of " + seconds(step));
  return *given;
}

// Puts the run's times into the options: those given, checked against the
// scenario's step, else the scenario's until and the default intervals (never
// below the step). Throws UsageError for a run of more than kMaxSteps steps or
// an interval below the step.
void setRunTimes(const Scenario& s, const CommandLineTimes& times, RunOptions& o) {
  o.until = times.until.value_or(s.until);
  if (times.until && stepsToReach(o.until, s.step) > kMaxSteps)
    throw UsageError("--until " + seconds(o.until) + " takes more than 1e9 steps of " +
                     seconds(s.step));
  o.frameEvery = interval(times.frameEvery, o.frameEvery, s.step, "--frame-every");
  if (o.frameEvery < kMinFrameEvery)
    throw UsageError("--frame-every " + seconds(o.frameEvery) +
                     " is below 0.001 s, the resolution of the frame names");
  o.telemetryEvery = interval(times.telemetryEvery, o.telemetryEvery, s.step, "--telemetry-every");
}

}  // namespace

int runCommandLine(int argc, char** argv, const Program& program) {
  writeStandardStreamsAsBytes();
  CLI::App app{
      "gyrelle-sim: flies a scenario with the Gyrelle module loaded, headless.\n"
      "Without SCENARIO it flies the built-in default scenario."};
  // Options are --name on every platform: on Windows CLI11 would otherwise
  // take an argument starting with '/' (an absolute path under Wine) as one.
  app.allow_windows_style_options(false);
  std::string scenarioPath;
  CommandLineTimes times;
  RunOptions o;
  o.module = defaultModuleFile();
  app.add_option("SCENARIO", scenarioPath, "scenario file (TOML)");
  app.add_option("--until", times.until,
                 "stop at this simulation time [s] (default: the scenario's)")
      ->check(kNotNegative);
  app.add_option("--module", o.module,
                 "module library to load (default: the " + libraryFileName("gyrelle") +
                     " that comes with gyrelle-sim)");
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
  app.add_option("--junit", o.junitPath,
                 "write the expectations' results as JUnit XML (a test case per expectation)");
  app.add_flag("--quiet", o.quiet, "no progress bar and no report summary");
  app.add_flag("--strict", o.strict,
               "refuse before the run what would otherwise only be noted or ignored: an event "
               "after the end, a vessel or base inside a body, a level out of range, an unknown "
               "button label, a key given as a bare digit");
  program.addOptions(app);
  CampaignCommand campaign(app, o.module);
  app.set_version_flag("--version", std::string("gyrelle-sim ") + GYRELLE_VERSION);
  app.footer(
      "Exit status: 0 done, 1 an expectation or conditional event failed, an output or the "
      "module failed or a state is no longer finite, "
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
  if (campaign.given()) {
    // A flight's options before the word campaign would be read and then
    // ignored: refuse them rather than fly something other than was asked
    // (the module is the campaign's too).
    for (const CLI::Option* opt : app.get_options())
      if (opt->count() > 0 && opt->get_name() != "--module") {
        std::fprintf(stderr,
                     "gyrelle-sim: %s is not an option of a campaign: give the campaign's "
                     "options after 'campaign'\nRun with campaign --help for more information.\n",
                     opt->get_name().c_str());
        return kExitBadScenario;
      }
    return campaign.run();
  }

  int status = 0;
  try {
    std::string text, file;
    if (scenarioPath.empty()) {
      text = kDefaultScenario;
      file = "default.toml";
    } else {
      file = scenarioPath;
      text = readScenarioFile(scenarioPath);
    }
    const Scenario scenario = parseScenario(text, file);
    setRunTimes(scenario, times, o);
    if (o.strict) checkStrictly(scenario, o.until);
    checkOutputPaths(scenarioPath, o);
    program.beforeRun(o);
    watchInterrupts();
    const RunEnd end = program.fly(scenario, text, o);
    if (end.interruptStatus != 0) {
      std::fflush(stdout);
      std::fprintf(stderr, "gyrelle-sim: interrupted at t = %.3f\n", end.t);
      status = end.interruptStatus;
    } else if (end.expectationsFailed) {
      status = kExitFailed;
    }
  } catch (const ScenarioError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", e.what());
    status = kExitBadScenario;
  } catch (const UsageError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "gyrelle-sim: %s\n", e.what());
    status = kExitBadScenario;
  } catch (const std::exception& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "gyrelle-sim: %s\n", e.what());
    status = kExitFailed;
  }
  releasePictureCaches();
  return status;
}

}  // namespace sim
