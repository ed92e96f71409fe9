#include "sim/verify/condition_watch.h"

#include "sim/run/time_slack.h"

namespace sim {

std::string conditionVessel(const Scenario& s, const Condition& c) {
  if (!c.vessel.empty()) return c.vessel;
  if (!s.focus.empty()) return s.focus;
  return s.vessels.empty() ? "" : s.vessels.front().spec.name;
}

ConditionWatch::ConditionWatch(const Condition& c, std::string vessel)
    : c_(c),
      vessel_(std::move(vessel)),
      last_(c.figures.size()),
      runs_(c.figures.size()),
      lastAt_(c.figures.size(), 0.0) {
  // The telemetry columns of the figures, found once.
  if (readsTelemetry())
    for (const FigureName& f : c.figures) columns_.push_back(telemetryColumn(f.name));
}

void ConditionWatch::take(size_t i, double t, const FigureValue& v) {
  last_[i] = v;
  lastAt_[i] = t;
  if (c_.test == TestKind::Settle)
    runs_[i].sample(t, v, c_.limit, c_.rateLimit, resolution(c_.figures[i]));
}

void ConditionWatch::redrawn(const Redraw& r) {
  if (c_.figures.front().source != FigureSource::Screen || c_.screen != r.screen) return;
  for (size_t i = 0; i < c_.figures.size(); ++i)
    take(i, r.t, screenFigure(r.page(), c_.figures[i].name));
}

void ConditionWatch::sampled(double t, halcyra::World& world, const TelemetrySample* row) {
  if (!readsTelemetry()) return;
  for (size_t i = 0; i < c_.figures.size(); ++i)
    take(i, t, row ? telemetryFigure(world, *row, columns_[i]) : FigureValue{});
}

bool ConditionWatch::holds() const {
  for (size_t i = 0; i < c_.figures.size(); ++i) {
    if (c_.test == TestKind::Settle) {
      const std::optional<double> since = runs_[i].since();
      if (!since || lastAt_[i] - *since < c_.forSeconds - kTimeSlack) return false;
    } else if (!passesOnce(c_, last_[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace sim
