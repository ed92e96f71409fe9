// One run of a scenario with the module loaded, and the outputs it writes.
// The loop, with t = steps * step (never a running sum, so times stay exact):
//   1. run every event due at t (its time <= t + 1e-9), in order; redraw each
//      screen they touched;
//   2. stop when t >= until;
//   3. advance every vessel by one step with the levels in force; t += step;
//   4. call the module's hpcPostStep(t, step, 0);
//   5. redraw every screen whose redraw interval has passed.
#pragma once

#include <string>

#include "sim/live_hooks.h"
#include "sim/scenario.h"

namespace sim {

struct RunOptions {
  double until = 0.0;           // [s] when the run stops
  std::string module;           // path of the module library
  std::string framesDir;        // empty = no pictures
  double frameEvery = 10.0;     // [s]
  std::string dumpPath;         // empty = no dump
  std::string telemetryPath;    // empty = no telemetry
  double telemetryEvery = 1.0;  // [s]
  bool quiet = false;           // no progress bar
  std::string screensPath;      // empty = no screen log
  std::string reportPath;       // empty = no report file (the summary still goes to stderr)
  std::string gifDir;           // empty = no animated screens
  double gifSpeed = 10.0;       // animation time per simulation time
  double gifEvery = 0.0;        // [s] between GIF frames; 0 = every redraw
  LiveHooks* live = nullptr;    // a live flight's actions and pacing; null = scripted
};

// Flies the scenario. Throws ScenarioError for what the scenario names but the
// module or world does not have (exit 2), OutputError or std::runtime_error
// for an output that cannot be written or a module that cannot be loaded
// (exit 1). Outputs are only committed under their names when the run ends well.
void runScenario(const Scenario& scenario, const RunOptions& options);

}  // namespace sim
