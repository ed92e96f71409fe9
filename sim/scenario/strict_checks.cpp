#include "sim/scenario/strict_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "host/frames.h"
#include "sim/run/run_bounds.h"
#include "sim/scenario/key_names.h"

namespace sim {
namespace {

constexpr uint32_t kLastBareDigit = 9;  // key = 0 .. 9 reads as a digit key

std::string number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", v);
  return text;
}

// The first complaint in file order.
struct FirstProblem {
  std::optional<SourcePos> pos;
  std::string what;
  void add(SourcePos at, const std::string& message) {
    if (pos && !(at < *pos)) return;
    pos = at;
    what = message;
  }
};

// A place relative to a body, checked against every body of the scenario
// (bodies are fixed in space).
void checkOutsideBodies(const Scenario& s, const std::string& what, const std::string& bodyName,
                        const VECTOR3& relative, SourcePos at, FirstProblem& problem) {
  const auto own = std::find_if(s.bodies.begin(), s.bodies.end(),
                                [&](const BodyEntry& b) { return b.name == bodyName; });
  if (own == s.bodies.end()) return;                // named by checkNames already
  const VECTOR3 global = own->position + relative;  // [m]
  for (const BodyEntry& b : s.bodies) {
    const VECTOR3 d = global - b.position;
    const double distance = std::sqrt(halcyra::dot(d, d));  // [m]
    if (distance < b.radius)
      problem.add(at, what + " lies " + number(b.radius - distance) + " m below the surface of '" +
                          b.name + "' (radius " + number(b.radius) + " m)");
  }
}

void checkLevels(const std::optional<VECTOR3>& levels, SourcePos at, const char* key, double low,
                 FirstProblem& problem) {
  if (!levels) return;
  for (const double level : {levels->x, levels->y, levels->z})
    if (level < low || level > 1.0) {
      problem.add(at, "'" + std::string(key) + "' level " + number(level) + " is outside " +
                          number(low) + " to 1; the host would hold it at " +
                          number(std::clamp(level, low, 1.0)));
      return;
    }
}

// What an event's action asks for that the host would alter: a digit key
// given as a scan code, a level beyond its range, a spawn inside a body.
void checkAction(const Scenario& s, const Event& e, FirstProblem& problem) {
  switch (e.kind) {
    case EventKind::Key:
      if (e.keyByScanCode && e.key <= kLastBareDigit)
        problem.add(e.valuePos, "key = " + std::to_string(e.key) + " is a scan code" +
                                    (keyNameOfScanCode(e.key).empty()
                                         ? std::string(" of no key")
                                         : " (the key " + keyNameOfScanCode(e.key) + ")") +
                                    "; for the key " + std::to_string(e.key) + " write key = \"" +
                                    std::to_string(e.key) + "\"");
      break;
    case EventKind::Levels:
      checkLevels(e.rot, e.rotPos, "rot", -1.0, problem);
      checkLevels(e.lin, e.linPos, "lin", -1.0, problem);
      checkLevels(e.engine, e.enginePos, "engine", 0.0, problem);
      break;
    case EventKind::Spawn:
      checkOutsideBodies(s, "vessel '" + e.spawn.spec.name + "'", e.spawn.spec.body,
                         e.spawn.spec.position, e.spawn.positionPos, problem);
      break;
    default:
      break;
  }
}

// The modes screen `screen` may show when event `e` runs. A timed event sees
// the mode the timed events before it left, or one a conditional event set
// if that may have run by then. A conditional event runs at an unknown time
// from its `after` on (to its timeout, or the end): it may see the mode at
// `after`, any a later timed event sets in its window, or any another
// conditional event sets.
std::vector<std::string> modesSeenBy(const Scenario& s, const Event& e) {
  std::vector<std::string> modes;
  auto add = [&](const std::string& m) {
    if (std::find(modes.begin(), modes.end(), m) == modes.end()) modes.push_back(m);
  };
  const bool conditional = e.trigger.has_value();
  const double last = conditional && e.trigger->timeout ? e.t + *e.trigger->timeout
                                                        : (conditional ? INFINITY : e.t);  // [s]
  std::string current = e.screen < s.screens.size() ? s.screens[e.screen].mode : std::string();
  for (const Event& m : s.events) {  // in time order, equal times in file order
    if (&m == &e) break;
    if (m.kind != EventKind::Mode || m.screen != e.screen) continue;
    if (m.t <= e.t + kTimeSlack)
      current = m.modeName;
    else if (m.t <= last + kTimeSlack)
      add(m.modeName);
  }
  add(current);
  for (const Event& m : s.conditionalEvents)
    if (&m != &e && m.kind == EventKind::Mode && m.screen == e.screen && m.t <= last + kTimeSlack)
      add(m.modeName);
  return modes;
}

}  // namespace

void checkStrictly(const Scenario& s, double until) {
  FirstProblem problem;
  // The last time the loop reaches: whole steps, the first at or past until.
  const double end = stepsToReach(until, s.step) * s.step;  // [s]
  for (const BaseEntry& b : s.bases)
    checkOutsideBodies(s, "base '" + b.name + "'", b.body, b.position, b.positionPos, problem);
  for (const VesselEntry& v : s.vessels)
    checkOutsideBodies(s, "vessel '" + v.spec.name + "'", v.spec.body, v.spec.position,
                       v.positionPos, problem);
  for (const Event& e : s.events) {
    if (e.t > end + kTimeSlack)
      problem.add(e.tPos, "the event at t = " + number(e.t) + " s never runs: the run ends at " +
                              number(end) + " s");
    checkAction(s, e, problem);
  }
  for (const Event& e : s.conditionalEvents) checkAction(s, e, problem);
  if (problem.pos) throw ScenarioError(s.file, *problem.pos, problem.what);
}

void checkButtonLabelsStrictly(const Scenario& s, halcyra::World& world) {
  auto labelsOf = [&](const std::string& mode) -> std::optional<std::vector<std::string>> {
    for (size_t i = 0; i < world.screenCount(); ++i)
      if (world.screen(i).mode == mode && world.screen(i).instance != nullptr)
        return buttonLabels(world.screen(i).instance);
    return std::nullopt;
  };
  auto check = [&](const Event& e) {
    if (e.kind != EventKind::Button || e.buttonLabel.empty()) return;
    const std::string screen = "screen " + std::to_string(e.screen);
    const std::string when = e.trigger ? "when its condition holds (from t = " + number(e.t) + " s)"
                                       : "at t = " + number(e.t) + " s";
    const std::vector<std::string> modes = modesSeenBy(s, e);
    const char* shows = modes.size() == 1 && !e.trigger ? " shows" : " may show";
    for (const std::string& mode : modes) {
      if (mode.empty())
        throw ScenarioError(
            s.file, e.valuePos,
            screen + shows + " no mode " + when + ": no button shows '" + e.buttonLabel + "'");
      const auto labels = labelsOf(mode);
      if (!labels)
        throw ScenarioError(s.file, e.valuePos,
                            "no screen shows mode '" + mode + "' when the run starts, so its " +
                                "labels cannot be checked before it: give the button's index");
      const ButtonLookup found = findButton(*labels, e.buttonLabel);
      if (!found.index)
        throw ScenarioError(s.file, e.valuePos,
                            "on " + screen + " (mode '" + mode + "'), " + found.problem);
    }
  };
  for (const Event& e : s.events) check(e);  // in time order
  for (const Event& e : s.conditionalEvents) check(e);
}

}  // namespace sim
