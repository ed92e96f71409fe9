#include "sim/verify/verification.h"

#include "sim/outputs/number_text.h"
#include "sim/run/time_slack.h"

namespace sim {
namespace {

const halcyra::Vessel* vesselNamed(halcyra::World& world, const std::string& name) {
  for (const halcyra::Vessel* v : world.vessels())
    if (v->name == name) return v;
  return nullptr;
}

// The telemetry columns of a condition's figures (sim/verify/figure_value.h),
// found once; empty for figures of another source.
std::vector<int> telemetryColumns(const Condition& c) {
  std::vector<int> columns;
  if (c.figures.front().source == FigureSource::Telemetry)
    for (const FigureName& f : c.figures) columns.push_back(telemetryColumn(f.name));
  return columns;
}

}  // namespace

// An expectation with a judge per figure.
struct Verification::Judged {
  const Expectation& e;
  std::string vessel;
  std::vector<FigureJudge> figures;
  std::vector<int> columns;  // of telemetry figures, per figure
};

// A conditional event with its condition's figures' latest state.
struct Verification::Watched {
  const Event& e;
  ConditionWatch watch;
  bool fired = false, givenUp = false;
  double firedAt = 0.0;  // [s]
};

Verification::Verification(const Scenario& s, const FlightReport* report,
                           const std::string& junitPath)
    : scenario_(s), report_(report) {
  for (const Expectation& e : s.expectations) {
    auto j = std::make_unique<Judged>(
        Judged{e, conditionVessel(s, e.condition), {}, telemetryColumns(e.condition)});
    for (const FigureName& f : e.condition.figures) j->figures.emplace_back(e, f);
    judged_.push_back(std::move(j));
  }
  for (const Event& e : s.conditionalEvents) {
    watched_.push_back(std::make_unique<Watched>(Watched{
        e, ConditionWatch(e.trigger->condition, conditionVessel(s, e.trigger->condition))}));
  }
  if (!junitPath.empty()) junit_.emplace(junitPath);
}

Verification::~Verification() = default;

void Verification::redrawn(const Redraw& r) {
  for (auto& j : judged_) {
    const Condition& c = j->e.condition;
    if (c.figures.front().source != FigureSource::Screen || c.screen != r.screen) continue;
    for (FigureJudge& f : j->figures) f.sample(r.t, screenFigure(r.page(), f.figure()));
  }
  for (auto& w : watched_)
    if (!w->fired) w->watch.redrawn(r);
}

const TelemetrySample& Verification::sampleOf(halcyra::World& world, const halcyra::Vessel& v) {
  for (const TelemetrySample& s : taken_)
    if (s.vessel == &v) return s;
  taken_.push_back(telemetrySample(world, v));
  return taken_.back();
}

void Verification::sampled(double t, halcyra::World& world) {
  taken_.clear();
  for (auto& j : judged_) {
    if (j->e.condition.figures.front().source != FigureSource::Telemetry) continue;
    const halcyra::Vessel* v = vesselNamed(world, j->vessel);
    if (!v) continue;  // not yet spawned, or deleted: no sample
    const TelemetrySample& row = sampleOf(world, *v);
    for (size_t i = 0; i < j->figures.size(); ++i)
      j->figures[i].sample(t, telemetryFigure(world, row, j->columns[i]));
  }
}

std::vector<const Event*> Verification::eventsDue(double t, halcyra::World& world) {
  std::vector<const Event*> due;
  taken_.clear();  // the timed events of t may have changed the vessels
  for (auto& w : watched_) {
    if (w->fired || w->givenUp) continue;
    const EventTrigger& trigger = *w->e.trigger;
    if (w->watch.readsTelemetry()) {
      const halcyra::Vessel* v = vesselNamed(world, w->watch.vessel());
      w->watch.sampled(t, world, v ? &sampleOf(world, *v) : nullptr);
    }
    if (trigger.timeout && t > trigger.after + *trigger.timeout + kTimeSlack) {
      w->givenUp = true;
      continue;
    }
    if (t < trigger.after - kTimeSlack || !w->watch.holds()) continue;
    w->fired = true;
    w->firedAt = t;
    due.push_back(&w->e);
  }
  return due;
}

void Verification::finished(double t, halcyra::World& /*world*/) {
  verdicts_.clear();
  // --until (or an interruption) ended the flight before the scenario's end.
  const bool cutShort = t < scenario_.until - kTimeSlack;
  for (auto& j : judged_) {
    const Condition& c = j->e.condition;
    std::string passes, failures, skips;
    for (FigureJudge& f : j->figures) {
      // A report figure sums the whole flight: a flight cut short does not judge it.
      if (c.figures.front().source == FigureSource::Report && report_ && !cutShort) {
        Condition place = c;
        place.vessel = j->vessel;
        f.sample(t, reportFigure(*report_, place, f.figure()));
      }
      f.finish(t, cutShort, scenario_.until);
      std::string& to = f.outcome() == Outcome::Passed   ? passes
                        : f.outcome() == Outcome::Failed ? failures
                                                         : skips;
      to += (to.empty() ? "" : "; ") + f.message();
    }
    // One figure failed fails the expectation; one not judged leaves it undecided.
    const Outcome outcome = !failures.empty() ? Outcome::Failed
                            : !skips.empty()  ? Outcome::Skipped
                                              : Outcome::Passed;
    const std::string& message = !failures.empty() ? failures : !skips.empty() ? skips : passes;
    verdicts_.push_back(Verdict{j->e.name, outcome, message, j->e.line});
  }
  for (auto& w : watched_) {
    const EventTrigger& trigger = *w->e.trigger;
    Verdict v{"event at line " + std::to_string(w->e.pos.line),
              w->fired ? Outcome::Passed : Outcome::Failed, "", int(w->e.pos.line)};
    if (w->fired) {
      v.message = "fired at " + secondsText(w->firedAt);
    } else if (cutShort && !w->givenUp) {
      v.outcome = Outcome::Skipped;
      v.message = "not judged: --until ended the flight at " + secondsText(t) +
                  " before its condition held";
    } else if (w->givenUp) {
      v.message = "its condition did not hold by " + secondsText(trigger.after + *trigger.timeout) +
                  " (its timeout)";
    } else {
      v.message = "its condition did not hold before the run ended at " + secondsText(t);
    }
    verdicts_.push_back(v);
  }
  if (!junit_) return;
  junit_->put(junitXml(scenario_.file, verdicts_, t));
  junit_->commit();
}

bool Verification::failed() const {
  for (const Verdict& v : verdicts_)
    if (v.outcome == Outcome::Failed) return true;
  return false;
}

std::string Verification::summary() const {
  if (verdicts_.empty()) return "";
  size_t counts[3] = {0, 0, 0};  // by Outcome
  for (const Verdict& v : verdicts_) ++counts[static_cast<int>(v.outcome)];
  std::string out = "Expectations: " + std::to_string(counts[0]) + " passed, " +
                    std::to_string(counts[1]) + " failed";
  if (counts[2] > 0) out += ", " + std::to_string(counts[2]) + " skipped";
  out += "\n";
  static const char* const kLabels[3] = {"  pass  ", "  FAIL  ", "  skip  "};
  for (const Verdict& v : verdicts_)
    out += std::string(kLabels[static_cast<int>(v.outcome)]) + scenario_.file + ":" +
           std::to_string(v.line) + ": " + v.name + ": " + v.message + "\n";
  out.pop_back();
  return out;
}

}  // namespace sim
