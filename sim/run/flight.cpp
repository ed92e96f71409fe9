#include "sim/run/flight.h"

#include <algorithm>
#include <stdexcept>

#include "platform/interrupt.h"
#include "platform/standard_streams.h"
#include "sim/outputs/number_text.h"
#include "sim/run/events.h"
#include "sim/run/time_slack.h"
#include "sim/run/world_setup.h"
#include "sim/scenario/strict_checks.h"

namespace sim {
namespace {

std::vector<std::string> modeNames(const halcyra::World& world) {
  std::vector<std::string> names;
  for (const halcyra::ModeRegistration& m : world.modes()) names.push_back(m.name);
  return names;
}

std::string seconds(double t) { return fixedText(t, kTimeDecimals); }

std::string where(const Scenario& s, const Event& e, double t) {
  return s.file + ":" + std::to_string(e.pos.line) + ":" + std::to_string(e.pos.column) +
         ": note: t = " + seconds(t) + ": ";
}

// The world is built before the outputs open: they may look at it.
const Scenario& built(const Scenario& s, const RunOptions& o, halcyra::World& world) {
  checkModes(s, modeNames(world));
  buildWorld(s, world);
  if (o.strict) checkButtonLabelsStrictly(s, world);
  return s;
}

bool takesStdout(const RunOptions& o) {
  bool taken = o.dumpPath == "-" || o.telemetryPath == "-";
  for (const std::string* path :
       {&o.dumpPath, &o.telemetryPath, &o.screensPath, &o.reportPath, &o.junitPath})
    taken = taken || standardStreamAt(*path) == stdout;
  return taken;
}

}  // namespace

Flight::Flight(const Scenario& s, const RunOptions& o, halcyra::World& world, PostStep postStep)
    : s_(s),
      o_(o),
      world_(world),
      postStep_(std::move(postStep)),
      outputs_(o, built(s, o, world), world) {
  if (!o.embeddedNotes) term_.emplace(o.quiet, o.until, takesStdout(o));
  if (o.live) o.live->begin(world);
}

void Flight::note(const std::string& text) {
  if (term_) {
    term_->note(text);
  } else {
    o_.embeddedNotes(text);
  }
}

void Flight::redraw(size_t i, double when) {
  world_.redraw(i);
  outputs_.redrawn(Redraw(when, i, world_.screen(i)));
  if (o_.live) o_.live->redrawn(when, i);
}

void Flight::applyDue() {
  // Events due now, then a redraw of the screens they touched. A live
  // flight comes back here at the same t for the actions taken while it
  // waits (pace); the events are then all done.
  touched_.assign(world_.screenCount(), false);
  auto act = [&](const Event& e) {
    touched_.resize(world_.screenCount(), false);
    const std::string n = applyEvent(world_, e, touched_);
    if (!n.empty()) note(where(s_, e, t_) + n);
  };
  while (nextEvent_ < s_.events.size() && s_.events[nextEvent_].t <= t_ + kTimeSlack)
    act(s_.events[nextEvent_++]);
  // Then the conditional events whose condition holds now.
  if (outputs_.verification() != nullptr)
    for (const Event* e : outputs_.verification()->eventsDue(t_, world_)) act(*e);
  if (o_.live) {  // the person's actions come after the scenario's at the same time
    touched_.resize(world_.screenCount(), false);
    o_.live->applyActions(t_, touched_);
  }
  shownAtT_.resize(touched_.size(), false);
  for (size_t i = 0; i < touched_.size(); ++i) {
    if (!touched_[i]) continue;
    world_.redraw(i);
    if (o_.live) o_.live->redrawn(t_, i);
    shownAtT_[i] = true;
  }
}

void Flight::leave() {
  // The outputs take the screens redrawn at t once, as they stand when the
  // flight leaves t: a scripted run redraws them once after all its events
  // at t, and a live one that acted at t several times must record what
  // its replay will.
  for (size_t i = 0; i < shownAtT_.size(); ++i)
    if (shownAtT_[i]) outputs_.redrawn(Redraw(t_, i, world_.screen(i)));
  shownAtT_.assign(shownAtT_.size(), false);
  if (term_) term_->debugLine(t_, world_.debugString());
  outputs_.sampled(t_, world_);
}

void Flight::takeStep() {
  // 3, 4. One step of the dynamics, then the module's per-step callback.
  const halcyra::ObjectId broken = world_.step(s_.step);
  ++steps_;
  t_ = double(steps_) * s_.step;
  if (broken != 0)
    throw std::runtime_error("vessel " + world_.objectName(broken) +
                             ": state is no longer finite at t = " + seconds(t_));
  postStep_(t_, s_.step, 0.0);
  if (term_) term_->debugLine(t_, world_.debugString());

  // 5. Periodic redraws. t / redraw is at most the number of steps (the
  // redraw interval is at least one step), so the count fits.
  if (t_ >= double(redraws_) * s_.redraw - kTimeSlack) {
    for (size_t i = 0; i < world_.screenCount(); ++i) redraw(i, t_);
    redraws_ = uint64_t(t_ / s_.redraw + kTimeSlack) + 1;
  }
  if (term_) term_->progress(t_);
}

void Flight::advance(uint64_t stopSteps, const std::function<bool()>& stopHere) {
  if (ended_) return;
  try {
    if (!started_) {
      // Every screen shows its first picture at t = 0, the first periodic redraw.
      started_ = true;
      for (size_t i = 0; i < world_.screenCount(); ++i) redraw(i, 0.0);
    }
    for (;;) {
      applyDue();
      const bool last = t_ >= o_.until - kTimeSlack || interruptStatus() != 0;
      if (o_.live && !last && o_.live->pace(t_) == LivePace::Again) continue;
      if (!last && (steps_ >= stopSteps || (stopHere && stopHere()))) return;
      leave();
      // The end, or an interruption: both at the end of a whole step.
      if (t_ >= o_.until - kTimeSlack) break;
      if ((end_.interruptStatus = interruptStatus()) != 0) break;
      takeStep();
    }
    ended_ = true;
    end_.t = t_;
    if (o_.live) o_.live->end(t_);
    if (term_) term_->lastPages(t_, world_);
  } catch (...) {
    failure_ = std::current_exception();
  }
  ended_ = true;
  end_.t = t_;
  finish();
}

std::string Flight::act(const Event& e) {
  if (!started_) advance(0);
  if (ended_) throw std::logic_error("the flight has ended at t = " + seconds(t_) + " s");
  touched_.assign(world_.screenCount(), false);
  const std::string n = applyEvent(world_, e, touched_);
  shownAtT_.resize(touched_.size(), false);
  for (size_t i = 0; i < touched_.size(); ++i) {
    if (!touched_[i]) continue;
    world_.redraw(i);
    shownAtT_[i] = true;
  }
  return n;
}

RunEnd Flight::finish() {
  if (finished_) return end_;
  finished_ = true;
  if (started_ && !ended_) {
    // Stopped at stage 1 of t (an embedded flight closed early): it leaves t
    // as a run that ends there does, its outputs taking the moment.
    try {
      leave();
    } catch (...) {
      failure_ = std::current_exception();
    }
  }
  ended_ = true;
  end_.t = t_;
  // Every output is finished, also after a failure; the failure is reported
  // first, with what else could not be written (not the failed output, tried
  // again), and keeps its kind when nothing else failed.
  std::vector<std::string> errors = outputs_.finish(t_, world_);
  std::string what;
  bool outputFailed = true;
  if (failure_) {
    try {
      std::rethrow_exception(failure_);
    } catch (const std::exception& e) {
      errors.erase(std::remove(errors.begin(), errors.end(), e.what()), errors.end());
      if (errors.empty()) throw;
      what = e.what();
      outputFailed = dynamic_cast<const OutputError*>(&e) != nullptr;
    }
  }
  for (size_t i = 0; i < errors.size(); ++i)
    what += (i == 0 && !failure_ ? "" : "\ngyrelle-sim: ") + errors[i];
  if (!what.empty()) {
    if (outputFailed) throw OutputError(what);
    throw std::runtime_error(what);
  }
  if (o_.finished) o_.finished(outputs_);
  if (outputs_.report() != nullptr && !o_.quiet && term_) term_->note(outputs_.report()->summary());
  // The results, also with --quiet: they are what a verification flight is for.
  if (const Verification* v = outputs_.verification()) {
    if (!v->summary().empty() && term_) term_->note(v->summary());
    end_.expectationsFailed = v->failed();
  }
  return end_;
}

ModuleWorld::Installed::Installed(halcyra::World& w) {
  if (halcyra::World::current() != nullptr)
    throw std::runtime_error(
        "another flight is live in this process: the host's world and the module's state are "
        "process-wide; end that flight first");
  halcyra::World::install(&w);
}

ModuleWorld::Installed::~Installed() { halcyra::World::install(nullptr); }

ModuleWorld::ModuleWorld(const std::string& modulePath)
    : installed_(world_), loader_(modulePath) {  // the loader names the path when it throws
  // A module that registers nothing is the module's fault, not the scenario's.
  if (world_.modes().empty())
    throw std::runtime_error("module '" + modulePath + "' loaded but registered no MFD mode");
}

ModuleWorld::~ModuleWorld() {
  // Every screen's mode is closed while the module that made the instances
  // is still loaded: their destructors live in it.
  for (size_t i = 0; i < world_.screenCount(); ++i) world_.setScreenMode(i, "");
}

PostStep ModuleWorld::postStep() const {
  const halcyra::ModuleLoader* loader = &loader_;
  return [loader](double simt, double simdt, double mjd) { loader->postStep(simt, simdt, mjd); };
}

}  // namespace sim
