// A condition (the `when` of a conditional event) followed as the flight goes:
// its screen figures taken at every redraw of its screen, as the screen log
// reads them; its telemetry figures when asked at a time (loop stage 1).
// Whether it holds is the last value of each figure passing the test, or for
// the settle test each figure settled for `for` seconds (figure_judge.h).
#pragma once

#include <string>
#include <vector>

#include "sim/outputs/output.h"
#include "sim/scenario/scenario.h"
#include "sim/verify/figure_judge.h"
#include "sim/verify/figure_value.h"

namespace sim {

// The vessel of a condition of scenario s: the one it names, else the focus
// vessel at start.
std::string conditionVessel(const Scenario& s, const Condition& c);

class ConditionWatch {
 public:
  // vessel: the vessel of the telemetry figures (the condition's, or the
  // focus at start). The condition must outlive the watch.
  ConditionWatch(const Condition& condition, std::string vessel);

  // A redraw: the screen figures of c's screen are taken from its page.
  void redrawn(const Redraw& r);
  // The telemetry figures at t [s] from the vessel's row, null when the
  // vessel is not in the world (blank figures); does nothing for figures of
  // another source.
  void sampled(double t, halcyra::World& world, const TelemetrySample* row);
  // Whether the condition holds on the figures taken so far.
  bool holds() const;

  const Condition& condition() const { return c_; }
  const std::string& vessel() const { return vessel_; }
  bool readsTelemetry() const { return c_.figures.front().source == FigureSource::Telemetry; }

 private:
  void take(size_t i, double t, const FigureValue& v);

  const Condition& c_;
  std::string vessel_;
  std::vector<FigureValue> last_;  // per figure
  std::vector<SettleRun> runs_;    // per figure, for the settle test
  std::vector<double> lastAt_;     // [s] per figure, the time of last_
  std::vector<int> columns_;       // of telemetry figures, per figure
};

}  // namespace sim
