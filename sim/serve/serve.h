// gyrelle-sim --serve: the scenario flown live, paced to the wall clock, with
// the cockpit page and the HTTP API on a local server (http_server.h).
#pragma once

#include <string>

#include "sim/run/runner.h"
#include "sim/scenario/scenario.h"
#include "sim/serve/serve_options.h"

namespace sim {

// Flies the scenario live (runner.h's errors, and std::runtime_error when the
// address cannot be bound). scenarioText: the scenario as read, for --record.
// A flight that reaches its end goes on being served, its last state shown
// and actions answered 503, until an interruption; the run's end is then
// returned as the flight's (not interrupted).
RunEnd serveScenario(const Scenario& scenario, const std::string& scenarioText, RunOptions run,
                     const ServeOptions& options);

}  // namespace sim
