#include "sim/run/runner.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "platform/interrupt.h"
#include "platform/standard_streams.h"
#include "sim/outputs/number_text.h"
#include "sim/outputs/run_outputs.h"
#include "sim/run/events.h"
#include "sim/run/terminal.h"
#include "sim/run/time_slack.h"
#include "sim/run/world_setup.h"
#include "sim/scenario/strict_checks.h"

namespace sim {
namespace {

// Makes the world the one the host operations answer from, for the run.
struct Installed {
  explicit Installed(halcyra::World& w) { halcyra::World::install(&w); }
  ~Installed() { halcyra::World::install(nullptr); }
};

// Closes every screen's mode while the module that made the instances is
// still loaded: their destructors live in it.
struct ScreensClosed {
  halcyra::World& world;
  ~ScreensClosed() {
    for (size_t i = 0; i < world.screenCount(); ++i) world.setScreenMode(i, "");
  }
};

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

// The loop of runner.h. Returns the time reached and the interruption, if
// any; t holds the time reached also when it throws.
RunEnd fly(const Scenario& s, const RunOptions& o, halcyra::World& world, const PostStep& postStep,
           RunOutputs& outputs, Terminal& term, double& t) {
  auto redraw = [&](size_t i, double when) {
    world.redraw(i);
    outputs.redrawn(Redraw(when, i, world.screen(i)));
    if (o.live) o.live->redrawn(when, i);
  };

  // Every screen shows its first picture at t = 0, the first periodic redraw.
  for (size_t i = 0; i < world.screenCount(); ++i) redraw(i, 0.0);
  uint64_t redraws = 1;  // periodic redraws done, counting the one at t = 0

  size_t nextEvent = 0;
  uint64_t steps = 0;
  t = 0.0;  // [s] always steps * step, never a running sum
  std::vector<bool> touched, shownAtT;
  int interrupted = 0;
  for (;;) {
    // 1. Events due now, then a redraw of the screens they touched. A live
    // flight comes back here at the same t for the actions taken while it
    // waits (pace); the events are then all done.
    touched.assign(world.screenCount(), false);
    auto act = [&](const Event& e) {
      touched.resize(world.screenCount(), false);
      const std::string note = applyEvent(world, e, touched);
      if (!note.empty()) term.note(where(s, e, t) + note);
    };
    while (nextEvent < s.events.size() && s.events[nextEvent].t <= t + kTimeSlack)
      act(s.events[nextEvent++]);
    // Then the conditional events whose condition holds now.
    if (outputs.verification() != nullptr)
      for (const Event* e : outputs.verification()->eventsDue(t, world)) act(*e);
    if (o.live) {  // the person's actions come after the scenario's at the same time
      touched.resize(world.screenCount(), false);
      o.live->applyActions(t, touched);
    }
    shownAtT.resize(touched.size(), false);
    for (size_t i = 0; i < touched.size(); ++i) {
      if (!touched[i]) continue;
      world.redraw(i);
      if (o.live) o.live->redrawn(t, i);
      shownAtT[i] = true;
    }
    const bool last = t >= o.until - kTimeSlack || interruptStatus() != 0;
    if (o.live && !last && o.live->pace(t) == LivePace::Again) continue;
    // The outputs take the screens redrawn at t once, as they stand when the
    // flight leaves t: a scripted run redraws them once after all its events
    // at t, and a live one that acted at t several times must record what
    // its replay will.
    for (size_t i = 0; i < shownAtT.size(); ++i)
      if (shownAtT[i]) outputs.redrawn(Redraw(t, i, world.screen(i)));
    shownAtT.assign(shownAtT.size(), false);
    term.debugLine(t, world.debugString());
    outputs.sampled(t, world);

    // 2. The end, or an interruption: both at the end of a whole step.
    if (t >= o.until - kTimeSlack) break;
    if ((interrupted = interruptStatus()) != 0) break;

    // 3, 4. One step of the dynamics, then the module's per-step callback.
    const halcyra::ObjectId broken = world.step(s.step);
    ++steps;
    t = double(steps) * s.step;
    if (broken != 0)
      throw std::runtime_error("vessel " + world.objectName(broken) +
                               ": state is no longer finite at t = " + seconds(t));
    postStep(t, s.step, 0.0);
    term.debugLine(t, world.debugString());

    // 5. Periodic redraws. t / redraw is at most the number of steps (the
    // redraw interval is at least one step), so the count fits.
    if (t >= double(redraws) * s.redraw - kTimeSlack) {
      for (size_t i = 0; i < world.screenCount(); ++i) redraw(i, t);
      redraws = uint64_t(t / s.redraw + kTimeSlack) + 1;
    }
    term.progress(t);
  }
  return {t, interrupted};
}

}  // namespace

RunEnd flyScenario(const Scenario& s, const RunOptions& o, halcyra::World& world,
                   const PostStep& postStep) {
  checkModes(s, modeNames(world));
  buildWorld(s, world);
  if (o.strict) checkButtonLabelsStrictly(s, world);
  RunOutputs outputs(o, s, world);
  bool stdoutTaken = o.dumpPath == "-" || o.telemetryPath == "-";
  for (const std::string* path :
       {&o.dumpPath, &o.telemetryPath, &o.screensPath, &o.reportPath, &o.junitPath})
    stdoutTaken = stdoutTaken || standardStreamAt(*path) == stdout;
  Terminal term(o.quiet, o.until, stdoutTaken);
  if (o.live) o.live->begin(world);
  double t = 0.0;  // [s]
  RunEnd end;
  std::exception_ptr failure;
  try {
    end = fly(s, o, world, postStep, outputs, term, t);
    if (o.live) o.live->end(end.t);
    term.lastPages(end.t, world);
  } catch (...) {
    failure = std::current_exception();
  }
  // Every output is finished, also after a failure; the failure is reported
  // first, with what else could not be written (not the failed output, tried
  // again), and keeps its kind when nothing else failed.
  std::vector<std::string> errors = outputs.finish(t, world);
  std::string what;
  bool outputFailed = true;
  if (failure) {
    try {
      std::rethrow_exception(failure);
    } catch (const std::exception& e) {
      errors.erase(std::remove(errors.begin(), errors.end(), e.what()), errors.end());
      if (errors.empty()) throw;
      what = e.what();
      outputFailed = dynamic_cast<const OutputError*>(&e) != nullptr;
    }
  }
  for (size_t i = 0; i < errors.size(); ++i)
    what += (i == 0 && !failure ? "" : "\ngyrelle-sim: ") + errors[i];
  if (!what.empty()) {
    if (outputFailed) throw OutputError(what);
    throw std::runtime_error(what);
  }
  if (o.finished) o.finished(outputs);
  if (outputs.report() != nullptr && !o.quiet) term.note(outputs.report()->summary());
  // The results, also with --quiet: they are what a verification flight is for.
  if (const Verification* v = outputs.verification()) {
    if (!v->summary().empty()) term.note(v->summary());
    end.expectationsFailed = v->failed();
  }
  return end;
}

RunEnd runScenario(const Scenario& s, const RunOptions& o) {
  halcyra::World world;
  Installed installed(world);
  halcyra::ModuleLoader loader(o.module);  // names the path when it throws
  ScreensClosed closed{world};
  // A module that registers nothing is the module's fault, not the scenario's.
  if (world.modes().empty())
    throw std::runtime_error("module '" + o.module + "' loaded but registered no MFD mode");
  return flyScenario(s, o, world, [&](double simt, double simdt, double mjd) {
    loader.postStep(simt, simdt, mjd);
  });
}

}  // namespace sim
