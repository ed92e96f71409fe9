// The plausible range of a run's times. A time outside it would never end
// (step = 1e-300), or push a count or a frame name past what an integer holds
// (step = 1e308), so it is refused before the run rather than met half-way.
// The scenario's own times are checked where they are read (scenario.cpp);
// the command line's against the scenario's here.
#pragma once

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "sim/run/runner.h"
#include "sim/run/time_slack.h"
#include "sim/scenario/scenario.h"

namespace sim {

constexpr double kMaxSteps = 1e9;          // steps of one run
constexpr double kMaxStepLength = 3600.0;  // [s] longest fixed step
constexpr double kMinFrameEvery = 0.001;   // [s] frame names carry milliseconds

// The number of steps a run to until takes at this step, rounded up (a time
// within the loop's slack counts as reached).
inline double stepsToReach(double until, double step) {  // [s], [s]
  return std::ceil(std::max(0.0, until - kTimeSlack) / step);
}

// A command line that cannot run with the scenario: exit 2, what() is the message.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The times the command line gives (empty = not given).
struct CommandLineTimes {
  std::optional<double> until;           // [s]
  std::optional<double> frameEvery;      // [s]
  std::optional<double> telemetryEvery;  // [s]
};

// Puts the run's times into the options: those given, checked against the
// scenario's step, else the scenario's until and the default intervals (never
// below the step). Throws UsageError for a run of more than kMaxSteps steps or
// an interval below the step.
void setRunTimes(const Scenario& scenario, const CommandLineTimes& times, RunOptions& options);

}  // namespace sim
