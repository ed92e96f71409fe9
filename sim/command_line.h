// gyrelle-sim's command line, read and flown the same way by each of its
// programs: the lean gyrelle-sim on Linux (main_lean.cpp), gyrelle-sim-full
// with the live server (main_full.cpp) and gyrelle-sim.exe on Windows, with
// everything but the server (main_windows.cpp). A program adds what it
// carries through Program.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <string>

#include "sim/run/runner.h"
#include "sim/scenario/scenario.h"

namespace sim {

struct Program {
  // Adds the program's own options to the command line.
  std::function<void(CLI::App&)> addOptions = [](CLI::App&) {};
  // Called with the command line read and its outputs checked, before the
  // interruptions are watched: the lean program hands over here.
  std::function<void(const RunOptions&)> beforeRun = [](const RunOptions&) {};
  // The flight; scenarioText is the scenario as read.
  std::function<RunEnd(const Scenario&, const std::string& scenarioText, const RunOptions&)> fly =
      [](const Scenario& s, const std::string&, const RunOptions& o) { return runScenario(s, o); };
};

// Reads the command line, flies the scenario and returns the exit status: 0
// done, 1 an output or the module failed or the flight broke down, 2 the
// scenario or the command line is wrong, 128 + the signal number when
// interrupted (platform/interrupt.h).
int runCommandLine(int argc, char** argv, const Program& program);

}  // namespace sim
