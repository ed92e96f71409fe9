// gyrelle-sim --serve: the scenario flown live, paced to the wall clock, with
// the cockpit page and the HTTP API on a local server (http_server.h).
#pragma once

#include <CLI/CLI.hpp>
#include <string>

#include "sim/runner.h"
#include "sim/scenario.h"

namespace sim {

struct ServeOptions {
  bool serve = false;
  int port = 8080;                 // 0 = any free port
  std::string bind = "127.0.0.1";  // address to listen on
  double speed = 1.0;              // multiple of real time, 0 = as fast as possible
  std::string recordPath;          // empty = no record
  std::string assetsDir;           // empty = "cockpit" beside the executable
};

// Adds --serve, --port, --bind, --speed and --record to the command line.
void addServeOptions(CLI::App& app, ServeOptions& options);

// Flies the scenario live (runner.h's errors, and std::runtime_error when the
// address cannot be bound). scenarioText: the scenario as read, for --record.
// A flight that reaches its end goes on being served, its last state shown
// and actions answered 503, until an interruption; the run's end is then
// returned as the flight's (not interrupted).
RunEnd serveScenario(const Scenario& scenario, const std::string& scenarioText, RunOptions run,
                     const ServeOptions& options);

}  // namespace sim
