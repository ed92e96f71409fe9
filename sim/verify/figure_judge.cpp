#include "sim/verify/figure_judge.h"

#include <cmath>

#include "sim/outputs/number_text.h"
#include "sim/run/time_slack.h"

namespace sim {
namespace {

// How far a value is from passing, to keep the worst one: larger is worse.
double badness(const Condition& c, double v) {
  switch (c.test) {
    case TestKind::AtMost:
      return v;
    case TestKind::AtLeast:
      return -v;
    default:
      return std::fabs(v);
  }
}

}  // namespace

double resolution(const FigureName& f) {
  return f.source == FigureSource::Screen ? kPageResolution : 0.0;
}

bool passesOnce(const Condition& c, const FigureValue& v) {
  if (!v.present) return false;
  switch (c.test) {
    case TestKind::AtMost:
      return v.number <= c.limit;
    case TestKind::AtLeast:
      return v.number >= c.limit;
    case TestKind::AbsAtMost:
      return std::fabs(v.number) <= c.limit;
    case TestKind::Equals:
      return v.isText ? v.text == c.text : v.number == c.limit;
    case TestKind::Settle:
      return std::fabs(v.number) <= c.limit + kSettleSlack;
  }
  return false;
}

std::string valueText(const FigureValue& v) {
  if (!v.present) return "blank";
  if (v.isText) return "\"" + v.text + "\"";
  return figureText(v.number);
}

bool SettleRun::sample(double t, const FigureValue& v, double within, double rateWithin,
                       double resolution) {
  bool settled = false;
  if (v.present && std::isfinite(v.number)) {
    if (last_ && last_->t < t) earlier_ = last_;
    last_ = Sample{t, v.number};
    settled = settledSample(*last_, earlier_, within, rateWithin, resolution);
  } else {
    last_.reset();
    earlier_.reset();
  }
  if (!settled) {
    since_.reset();
  } else if (!since_) {
    since_ = t;
  }
  return settled;
}

bool FigureJudge::inWindow(double t) const {
  if (e_.at) return t >= *e_.at - kTimeSlack;
  return t >= e_.from - kTimeSlack && (!e_.until || t <= *e_.until + kTimeSlack);
}

void FigureJudge::fail(double t, const FigureValue& v, const std::string& why) {
  failed_ = figure_.name + " was " + valueText(v) + " at " + secondsText(t) + ": " + why;
  done_ = true;
}

void FigureJudge::sample(double t, const FigureValue& v) {
  const Condition& c = e_.condition;
  if (c.test == TestKind::Settle) {
    // The run of settled samples is followed before the window too: the rate
    // of change of the window's first sample needs the one before.
    const bool settled = !done_ && settle_.sample(t, v, c.limit, c.rateLimit, resolution(figure_));
    if (done_ || !inWindow(t)) return;
    ++samples_;
    if (settled && t - *settle_.since() >= c.forSeconds - kTimeSlack) {
      measured_ = figure_.name + " within " + figureText(c.limit) + " from " +
                  secondsText(*settle_.since()) + " to " + secondsText(t);
      done_ = true;
    } else if (!settled && t > *c.by + kTimeSlack) {
      fail(t, v,
           "not settled within " + figureText(c.limit) + " (changing at most " +
               figureText(c.rateLimit) + "/s) for " + figureText(c.forSeconds) + " s by " +
               secondsText(*c.by));
    }
    return;
  }
  if (done_ || !inWindow(t)) return;
  ++samples_;
  if (e_.at) done_ = true;  // the first sample at or after the time alone
  if (!passesOnce(c, v)) {
    std::string why;
    if (!v.present) {
      why = figure_.source == FigureSource::Report ? "no value" : "not shown on the page";
    } else if (c.test == TestKind::Equals) {
      why = "not " + (v.isText ? "\"" + c.text + "\"" : figureText(c.limit));
    } else if (std::isnan(v.number)) {
      why = "not a number";
    } else {
      why = c.test == TestKind::AtMost    ? "above " + figureText(c.limit)
            : c.test == TestKind::AtLeast ? "below " + figureText(c.limit)
                                          : "beyond +-" + figureText(c.limit);
    }
    fail(t, v, why);
    return;
  }
  if (c.test == TestKind::Equals) {
    // Every passing sample shows the one value tested for: written once.
    if (measured_.empty()) measured_ = figure_.name + " " + valueText(v);
  } else if (!extremeAt_ || badness(c, v.number) > badness(c, extreme_.number)) {
    extreme_ = v;
    extremeAt_ = t;
    measured_ = figure_.name + (c.test == TestKind::AtLeast ? " lowest " : " highest ") +
                (c.test == TestKind::AbsAtMost ? "|" + valueText(v) + "|" : valueText(v)) + " at " +
                secondsText(t);
  }
}

void FigureJudge::finish(double end, bool cutShort, double scenarioEnd) {
  const Condition& c = e_.condition;
  if (!failed_.empty()) return;
  const std::string ended = "the run ended at " + secondsText(end);
  // Decided within the flight: a settle test passed, the sample at `at`
  // taken, or a window that closed before the end.
  const bool decided = c.test == TestKind::Settle ? done_
                       : e_.at                    ? samples_ > 0
                                                  : e_.until && *e_.until <= end + kTimeSlack;
  if (cutShort && !decided) {
    const double windowEnd = e_.at ? *e_.at : e_.until ? *e_.until : scenarioEnd;
    skipped_ = true;
    measured_ = figure_.name + " not judged: --until ended the flight at " + secondsText(end) +
                ", before " + secondsText(windowEnd);
    return;
  }
  if (c.test == TestKind::Settle && !done_) {
    failed_ = figure_.name + " not settled within " + figureText(c.limit) + " for " +
              figureText(c.forSeconds) + " s when " + ended;
  } else if (samples_ == 0) {
    failed_ = figure_.name + " has no sample in the window (" + ended + ")";
  } else if (!e_.at && e_.until && end < *e_.until - kTimeSlack) {
    failed_ =
        figure_.name + ": " + ended + ", before the window's end at " + secondsText(*e_.until);
  }
}

}  // namespace sim
