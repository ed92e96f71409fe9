// One run of a scenario with the module loaded: the loop of the gyrelle-sim
// section of the design notes, and the outputs it writes.
#pragma once

#include <string>

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
};

// Flies the scenario. Throws ScenarioError for what the scenario names but the
// module or world does not have (exit 2), OutputError or std::runtime_error
// for an output that cannot be written or a module that cannot be loaded
// (exit 1). Outputs are only committed under their names when the run ends well.
void runScenario(const Scenario& scenario, const RunOptions& options);

}  // namespace sim
