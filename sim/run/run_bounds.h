// The plausible range of a run's times. A time outside it would never end
// (step = 1e-300), or push a count or a frame name past what an integer holds
// (step = 1e308), so it is refused before the run rather than met half-way.
// The scenario's own times are checked where they are read (scenario.cpp),
// the command line's against the scenario's where it is read (command_line.cpp).
#pragma once

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "sim/run/time_slack.h"

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

}  // namespace sim
