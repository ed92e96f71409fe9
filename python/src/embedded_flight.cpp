#include "embedded_flight.h"

#include <pybind11/pybind11.h>

#include <cmath>
#include <stdexcept>

#include "sim/outputs/run_outputs.h"
#include "sim/run/time_slack.h"
#include "sim/verify/figure_value.h"

namespace gyrelle_python {

// [steps] How often a long advance looks for a pending Ctrl-C (a call into
// the interpreter, tens of nanoseconds): about every 20 s of flight at 50 Hz.
constexpr unsigned kSignalCheckSteps = 1024;

// The condition run_until waits for, fed every redraw after the page it
// started from, as the flight's other outputs are.
class EmbeddedFlight::Watches : public sim::Output {
 public:
  void redrawn(const sim::Redraw& r) override {
    if (watch && r.t > since + sim::kTimeSlack) watch->redrawn(r);
  }
  void finished(double /*t*/, halcyra::World& /*world*/) override {}
  sim::ConditionWatch* watch = nullptr;
  double since = 0.0;  // [s]
};

EmbeddedFlight::EmbeddedFlight(const std::string& text, const std::string& file,
                               const std::string& modulePath, std::optional<double> until,
                               double telemetryEvery)
    : scenario_(sim::parseScenario(text, file)) {
  sim::checkNames(scenario_);
  if (until && !(*until >= 0.0 && std::isfinite(*until)))
    throw std::invalid_argument("until must be a time from 0 on [s]");
  if (!(telemetryEvery > 0.0 && std::isfinite(telemetryEvery)))
    throw std::invalid_argument("telemetry_every must be a positive time [s]");
  options_.until = until.value_or(scenario_.until);
  options_.module = modulePath;
  options_.embeddedNotes = [this](const std::string& n) { notes_.push_back(n); };
  loaded_ = std::make_unique<sim::ModuleWorld>(modulePath);
  telemetryOut_ = sim::openTelemetryText(telemetry_, telemetryEvery);
  screenLogOut_ = sim::openScreenLogText(screenLog_);
  watches_ = std::make_unique<Watches>();
  options_.more = {telemetryOut_.get(), screenLogOut_.get(), watches_.get()};
  flight_ =
      std::make_unique<sim::Flight>(scenario_, options_, loaded_->world(), loaded_->postStep());
  advance(0);  // the first pictures and the events due at t = 0
}

EmbeddedFlight::~EmbeddedFlight() {
  // The flight before the outputs it feeds, the module after both.
  flight_.reset();
  watches_.reset();
  loaded_.reset();
}

halcyra::World& EmbeddedFlight::world() {
  if (!flight_) throw std::logic_error("the flight is closed");
  return loaded_->world();
}

void EmbeddedFlight::advance(uint64_t stopSteps, const std::function<bool()>& stop) {
  if (!flight_) throw std::logic_error("the flight is closed");
  bool interrupted = false;
  unsigned sinceCheck = 0;
  auto stopHere = [&] {
    if (++sinceCheck == kSignalCheckSteps) {
      sinceCheck = 0;
      if (PyErr_CheckSignals() != 0) return interrupted = true;
    }
    return stop && stop();
  };
  try {
    flight_->advance(stopSteps, stopHere);
  } catch (...) {
    t_ = flight_->t();
    steps_ = flight_->steps();
    keepFinalRecords();
    throw;
  }
  t_ = flight_->t();
  steps_ = flight_->steps();
  if (flight_->finished()) keepFinalRecords();
  if (interrupted) throw pybind11::error_already_set();
}

bool EmbeddedFlight::advanceUntil(const sim::EventTrigger& cond, uint64_t timeoutSteps) {
  const sim::Condition& c = cond.condition;
  if (sim::isScreenFigure(c.figures.front()) && c.screen >= world().screenCount())
    throw std::out_of_range("the flight has no screen " + std::to_string(c.screen));
  sim::ConditionWatch watch(c, sim::conditionVessel(scenario_, c));
  // A screen's figures start from the page it shows now, as a conditional
  // event judges the last redraw; a redraw at this time to come (of an
  // action's) is that page.
  if (sim::isScreenFigure(c.figures.front()))
    watch.redrawn(sim::Redraw(t_, c.screen, world().screen(c.screen)));
  watches_->watch = &watch;
  watches_->since = t_;
  bool held = false;
  auto holds = [&] {
    if (watch.readsTelemetry()) {
      halcyra::World& w = world();
      const halcyra::Vessel* v = w.vessel(w.findByName(watch.vessel()));
      const sim::TelemetrySample row = v ? sim::telemetrySample(w, *v) : sim::TelemetrySample{};
      watch.sampled(flight_->t(), w, v ? &row : nullptr);
    }
    return held = watch.holds();
  };
  try {
    advance(steps_ + timeoutSteps, holds);
    // The time the timeout reached is judged too; an ended flight is not.
    if (!held && !ended()) holds();
  } catch (...) {
    watches_->watch = nullptr;
    throw;
  }
  watches_->watch = nullptr;
  return held;
}

std::string EmbeddedFlight::act(const sim::Event& e) {
  halcyra::World& w = world();
  switch (e.kind) {
    case sim::EventKind::Key:
    case sim::EventKind::Button:
    case sim::EventKind::Input:
    case sim::EventKind::Cancel:
    case sim::EventKind::Mode:
      if (e.screen >= w.screenCount())
        throw std::out_of_range("the flight has no screen " + std::to_string(e.screen));
      break;
    default:
      break;
  }
  // A scenario places its spawned vessels by orbit once its bodies are read;
  // an event from Python gives the state itself.
  if (e.kind == sim::EventKind::Spawn && e.spawn.orbit)
    throw std::invalid_argument(
        "a vessel spawned from Python takes position and velocity, not orbit");
  if (e.kind == sim::EventKind::Mode) {
    std::vector<std::string> modes;
    for (const halcyra::ModeRegistration& m : w.modes()) modes.push_back(m.name);
    sim::Scenario one;
    one.file = "<event>";
    one.events = {e};
    sim::checkModes(one, modes);
  }
  return flight_->act(e);
}

void EmbeddedFlight::keepFinalRecords() {
  if (!flight_->finished()) return;
  if (const sim::FlightReport* r = flight_->outputs().report()) finalReport_ = r->json();
  if (const sim::Verification* v = flight_->outputs().verification()) verdicts_ = v->verdicts();
}

void EmbeddedFlight::close() {
  if (!flight_) return;
  try {
    flight_->finish();
  } catch (...) {
    keepFinalRecords();
    flight_.reset();
    loaded_.reset();
    throw;
  }
  keepFinalRecords();
  flight_.reset();
  watches_.reset();
  loaded_.reset();
}

std::string EmbeddedFlight::reportJson() const {
  if (flight_ && !flight_->finished()) {
    if (const sim::FlightReport* r = flight_->outputs().report()) return r->json();
  }
  return finalReport_;
}

const std::vector<sim::Verdict>& EmbeddedFlight::verdicts() const {
  if (flight_ && !flight_->finished())
    throw std::logic_error(
        "expectations are judged when the flight ends: run it to its end or close() it");
  return verdicts_;
}

std::vector<std::string> EmbeddedFlight::takeNotes() {
  std::vector<std::string> taken;
  taken.swap(notes_);
  return taken;
}

}  // namespace gyrelle_python
