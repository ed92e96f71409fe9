#include "sim/runner.h"

#include <memory>
#include <optional>
#include <stdexcept>

#include "host/world.h"
#include "sim/events.h"
#include "sim/flight_report.h"
#include "sim/gif_writer.h"
#include "sim/outputs.h"
#include "sim/page_reading.h"
#include "sim/screen_log.h"
#include "sim/terminal.h"
#include "sim/world_setup.h"

namespace sim {
namespace {

constexpr double kTimeSlack = 1e-9;  // [s] an event at te is due at t when te <= t + slack

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

std::string where(const Scenario& s, const Event& e, double t) {
  char when[48];
  std::snprintf(when, sizeof when, "%.3f", t);
  return s.file + ":" + std::to_string(e.pos.line) + ":" + std::to_string(e.pos.column) +
         ": note: t = " + when + ": ";
}

}  // namespace

void runScenario(const Scenario& s, const RunOptions& o) {
  halcyra::World world;
  Installed installed(world);
  std::unique_ptr<halcyra::ModuleLoader> loader;
  loader = std::make_unique<halcyra::ModuleLoader>(o.module);  // names the path when it throws
  ScreensClosed closed{world};
  // A module that registers nothing is the module's fault, not the scenario's.
  if (world.modes().empty())
    throw std::runtime_error("module '" + o.module + "' loaded but registered no MFD mode");
  checkModes(s, modeNames(world));
  buildWorld(s, world);

  std::optional<DumpWriter> dump;
  std::optional<TelemetryWriter> telemetry;
  std::optional<FrameWriter> frames;
  if (!o.dumpPath.empty()) dump.emplace(o.dumpPath);
  if (!o.telemetryPath.empty()) telemetry.emplace(o.telemetryPath, o.telemetryEvery);
  if (!o.framesDir.empty()) frames.emplace(o.framesDir, o.frameEvery);
  std::optional<ScreenLogWriter> screenLog;
  if (!o.screensPath.empty()) screenLog.emplace(o.screensPath);
  std::optional<OutputFile> reportFile;
  if (!o.reportPath.empty()) reportFile.emplace(o.reportPath);
  FlightReport report;
  std::optional<GifWriter> gif;
  if (!o.gifDir.empty()) gif.emplace(o.gifDir, o.gifSpeed, o.gifEvery, s.redraw, world);
  Terminal term(o.quiet, o.until);
  if (o.live) o.live->begin(world);

  auto redraw = [&](size_t i, double t) {
    const std::vector<GdiOp>& ops = world.redraw(i);
    if (dump) dump->write(t, i, ops);
    const PageReading page = readPage(ops);
    report.redraw(t, i, page);
    if (screenLog) screenLog->write(t, i, page);
    if (gif) gif->redrawn(t, i, world.screen(i));
    if (o.live) o.live->redrawn(t, i);
  };

  // Every screen shows its first picture at t = 0, the first periodic redraw.
  for (size_t i = 0; i < world.screenCount(); ++i) redraw(i, 0.0);
  uint64_t redraws = 1;  // periodic redraws done, counting the one at t = 0

  size_t nextEvent = 0;
  uint64_t steps = 0;
  double t = 0.0;  // [s] always steps * step, never a running sum
  std::vector<bool> touched;
  for (;;) {
    // 1. Events due now, then a redraw of the screens they touched.
    touched.assign(world.screenCount(), false);
    while (nextEvent < s.events.size() && s.events[nextEvent].t <= t + kTimeSlack) {
      const Event& e = s.events[nextEvent++];
      touched.resize(world.screenCount(), false);
      const std::string note = applyEvent(world, s, e, touched);
      if (!note.empty()) term.note(where(s, e, t) + note);
    }
    if (o.live) {  // the person's actions come after the scenario's at the same time
      touched.resize(world.screenCount(), false);
      o.live->applyActions(t, touched);
    }
    for (size_t i = 0; i < touched.size(); ++i)
      if (touched[i]) redraw(i, t);
    term.debugLine(t, world.debugString());
    if (telemetry) telemetry->sample(t, world);
    report.sample(t, world);
    if (frames) frames->sample(t, world);
    if (gif) gif->sample(t, world);

    // 2. The end.
    if (t >= o.until - kTimeSlack) break;

    // 3, 4. One step of the dynamics, then the module's per-step callback.
    world.step(s.step);
    ++steps;
    t = double(steps) * s.step;
    loader->postStep(t, s.step, 0.0);
    term.debugLine(t, world.debugString());

    // 5. Periodic redraws.
    if (t >= double(redraws) * s.redraw - kTimeSlack) {
      for (size_t i = 0; i < world.screenCount(); ++i) redraw(i, t);
      redraws = uint64_t(t / s.redraw + kTimeSlack) + 1;
    }
    term.progress(t);
    if (o.live) o.live->pace(t);
  }
  if (o.live) o.live->end(t);

  if (frames) frames->final(t, world);
  term.lastPages(t, world);
  if (dump) dump->commit();
  if (telemetry) telemetry->commit();
  if (screenLog) screenLog->commit();
  if (gif) gif->finish(t, world);
  report.finish(t);
  if (reportFile) {
    std::fputs(report.json().c_str(), reportFile->stream());
    reportFile->commit();
  }
  if (!o.quiet) term.note(report.summary());
}

}  // namespace sim
