// The tests of expectations and conditions over a figure's samples, in time
// order. A sample is a figure's value at a time: at a screen's redraw, at a
// step, or once at the end for a report figure.
//
// An expectation's test over its window [from, until] (at T: the first sample
// at or after T alone):
//   at_most L       every sample <= L; fails at the first above
//   at_least L      every sample >= L; fails at the first below
//   abs_at_most L   every |sample| <= L
//   equals X        every sample is X (a text, or a number exactly)
//   within L by B for D   the settle test: from a sample at or before B on,
//                   the figure stays settled (sim/outputs/settling.h: |value|
//                   <= L, its rate of change <= rate_within) for D seconds;
//                   fails at the first unsettled sample after B, or at the
//                   end of the run when D seconds have not passed
// A blank figure (not on the page), a null report figure or NaN fails a
// number test; a window with no sample fails.
#pragma once

#include <optional>
#include <string>

#include "sim/outputs/junit.h"
#include "sim/outputs/settling.h"
#include "sim/scenario/expectation.h"
#include "sim/verify/figure_value.h"

namespace sim {

// Whether one value passes c's test on its own (not the settle test).
bool passesOnce(const Condition& c, const FigureValue& v);

// The smallest change f's samples show: the page's resolution for a screen
// figure, none for telemetry.
double resolution(const FigureName& f);

// A figure's value in a message: the number, "blank" or the quoted text.
std::string valueText(const FigureValue& v);

// The settle test's run of settled samples of one figure.
class SettleRun {
 public:
  // Takes the sample at t [s]; returns whether it is settled.
  // resolution: the smallest change the samples show (settling.h).
  bool sample(double t, const FigureValue& v, double within, double rateWithin, double resolution);
  // [s] the first sample of the current settled run; none when unsettled.
  std::optional<double> since() const { return since_; }

 private:
  std::optional<Sample> last_, earlier_;
  std::optional<double> since_;
};

// One figure of an expectation, judged as its samples come.
class FigureJudge {
 public:
  FigureJudge(const Expectation& e, const FigureName& figure) : e_(e), figure_(figure) {}

  void sample(double t, const FigureValue& v);
  // The run ended at end [s]: the verdict. outcome() and message() after it.
  // cutShort: --until ended the flight before the scenario's own end at
  // scenarioEnd [s]; a test the flight could not decide is then skipped.
  void finish(double end, bool cutShort = false, double scenarioEnd = 0.0);

  Outcome outcome() const {
    return !failed_.empty() ? Outcome::Failed : skipped_ ? Outcome::Skipped : Outcome::Passed;
  }
  bool passed() const { return outcome() == Outcome::Passed; }
  // On a failure what failed, where and when; on a pass the measure seen.
  std::string message() const { return failed_.empty() ? measured_ : failed_; }
  const std::string& figure() const { return figure_.name; }

 private:
  bool inWindow(double t) const;
  void fail(double t, const FigureValue& v, const std::string& why);

  const Expectation& e_;
  FigureName figure_;
  bool done_ = false;  // decided before the end
  bool skipped_ = false;
  std::string failed_, measured_;
  size_t samples_ = 0;               // in the window
  std::optional<double> extremeAt_;  // [s]
  FigureValue extreme_;
  SettleRun settle_;
};

}  // namespace sim
