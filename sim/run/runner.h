// One run of a scenario with the module loaded, and the outputs it writes.
// The loop and its stages: sim/run/flight.h.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/world.h"
#include "sim/outputs/output.h"
#include "sim/run/live_hooks.h"
#include "sim/scenario/scenario.h"

namespace sim {

class RunOutputs;

struct RunOptions {
  double until = 0.0;           // [s] when the run stops
  std::string module;           // path of the module library
  std::string framesDir;        // empty = no pictures
  double frameEvery = 10.0;     // [s]
  std::string dumpPath;         // empty = no dump; "-" = standard output
  std::string telemetryPath;    // empty = no telemetry; "-" = standard output
  double telemetryEvery = 1.0;  // [s]
  bool quiet = false;           // no progress bar
  std::string screensPath;      // empty = no screen log
  std::string reportPath;       // empty = no report file (the summary still goes to stderr)
  std::string gifDir;           // empty = no animated screens
  std::string junitPath;        // empty = no JUnit XML of the expectations' results
  double gifSpeed = 10.0;       // animation time per simulation time
  double gifEvery = 0.0;        // [s] between GIF frames; 0 = every redraw
  LiveHooks* live = nullptr;    // a live flight's actions and pacing; null = scripted
  bool strict = false;          // refuse what a run would only note (strict_checks.h)
  // Outputs the caller keeps, fed and finished with the run's own (a live
  // flight's record).
  std::vector<Output*> more;
  // Called once the run's outputs are finished, unless the run failed, with
  // them: a campaign's row takes the report's figures and the verdicts. Set,
  // it makes the run keep a flight report also when quiet.
  std::function<void(const RunOutputs&)> finished;
  // Set, the flight runs inside another program (the Python package): nothing
  // goes to the terminal (no progress bar, debug lines, last pages or
  // summaries) and each note of an event that could not act comes here.
  std::function<void(const std::string&)> embeddedNotes;
};

// How a run ended.
struct RunEnd {
  double t = 0.0;                   // [s] the time reached
  int interruptStatus = 0;          // the exit status an interruption asks for, 0 = none
  bool expectationsFailed = false;  // an expectation or a conditional event failed
};

// Flies the scenario. Throws ScenarioError for what the scenario names but the
// module or world does not have (exit 2), OutputError or std::runtime_error
// for an output that cannot be written, a module that cannot be loaded or a
// vessel whose state is no longer finite (exit 1). Outputs are committed under
// their names when the run ends, also when it ends early (interrupted, a state
// no longer finite, another output failed); an output that failed is dropped.
RunEnd runScenario(const Scenario& scenario, const RunOptions& options);

// The module's per-step entry point, hpcPostStep(simt, simdt, mjd).
using PostStep = std::function<void(double simt, double simdt, double mjd)>;

// The run itself, in a world that is installed and holds the module's modes
// (runScenario loads the library; the fuzz harness links the module's code).
RunEnd flyScenario(const Scenario& scenario, const RunOptions& options, halcyra::World& world,
                   const PostStep& postStep);

}  // namespace sim
