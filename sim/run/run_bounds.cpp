#include "sim/run/run_bounds.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "sim/run/time_slack.h"
namespace sim {
namespace {

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

}  // namespace

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

}  // namespace sim
