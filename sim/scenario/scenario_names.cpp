// Every name a scenario uses must refer to something it declares: bodies,
// bases, vessels (including those spawned by events), classes, screens and,
// once the module is loaded, modes.
#include <algorithm>
#include <set>

#include "sim/scenario/scenario.h"

namespace sim {
namespace {

struct Names {
  std::set<std::string> bodies, bases, vessels, all;
};

void declare(const Scenario& s, Names& n, std::set<std::string>& group, const std::string& name,
             SourcePos pos) {
  if (!n.all.insert(name).second) throw ScenarioError(s.file, pos, "duplicate name '" + name + "'");
  group.insert(name);
}

void checkVessel(const Scenario& s, const Names& n, const VesselEntry& v) {
  if (!n.bodies.count(v.spec.body))
    throw ScenarioError(s.file, v.bodyPos, "unknown body '" + v.spec.body + "'");
  if (v.spec.vesselClass != "generic" && v.spec.vesselClass != "none")
    throw ScenarioError(s.file, v.classPos,
                        "unknown vessel class '" + v.spec.vesselClass + "' (generic or none)");
  if (!v.spec.base.empty() && !n.bases.count(v.spec.base))
    throw ScenarioError(s.file, v.basePos, "unknown base '" + v.spec.base + "'");
}

void needVessel(const Scenario& s, const Names& n, const std::string& name, SourcePos pos) {
  if (!n.vessels.count(name)) throw ScenarioError(s.file, pos, "unknown vessel '" + name + "'");
}

}  // namespace

void checkNames(const Scenario& s) {
  Names n;
  for (const BodyEntry& b : s.bodies) declare(s, n, n.bodies, b.name, b.pos);
  for (const BaseEntry& b : s.bases) declare(s, n, n.bases, b.name, b.pos);
  for (const VesselEntry& v : s.vessels) declare(s, n, n.vessels, v.spec.name, v.pos);
  // A spawned vessel may reuse the name of an object deleted before it; it has
  // to be unique among the objects in the world when it comes. Events are in
  // time order, so following them tells which names are taken at each one.
  std::set<std::string> spawned;
  std::set<std::string> taken = n.all;
  for (const Event& e : s.events) {
    if (e.kind == EventKind::Delete) taken.erase(e.deletedName);
    if (e.kind != EventKind::Spawn) continue;
    if (!taken.insert(e.spawn.spec.name).second)
      throw ScenarioError(s.file, e.spawn.pos,
                          "duplicate name '" + e.spawn.spec.name + "' (already in the world)");
    spawned.insert(e.spawn.spec.name);
  }
  for (const BaseEntry& b : s.bases)
    if (!n.bodies.count(b.body))
      throw ScenarioError(s.file, b.bodyPos, "unknown body '" + b.body + "'");
  for (const VesselEntry& v : s.vessels) checkVessel(s, n, v);
  if (!s.focus.empty()) needVessel(s, n, s.focus, s.focusPos);
  n.vessels.insert(spawned.begin(), spawned.end());
  n.all.insert(spawned.begin(), spawned.end());

  for (const Event& e : s.events) {
    if (e.screen >= s.screens.size() &&
        (e.kind == EventKind::Key || e.kind == EventKind::Button || e.kind == EventKind::Input ||
         e.kind == EventKind::Cancel || e.kind == EventKind::Mode))
      throw ScenarioError(s.file, e.screenPos,
                          "unknown screen " + std::to_string(e.screen) + " (the scenario has " +
                              std::to_string(s.screens.size()) + ")");
    switch (e.kind) {
      case EventKind::Focus:
        needVessel(s, n, e.focusName, e.valuePos);
        break;
      case EventKind::Undock:
      case EventKind::Levels:
        needVessel(s, n, e.vesselName, e.valuePos);
        break;
      case EventKind::Dock:
        needVessel(s, n, e.vesselName, e.valuePos);
        needVessel(s, n, e.otherName, e.otherPos);
        break;
      case EventKind::Delete:
        if (!n.all.count(e.deletedName))
          throw ScenarioError(s.file, e.valuePos, "unknown object '" + e.deletedName + "'");
        break;
      case EventKind::Spawn:
        checkVessel(s, n, e.spawn);
        break;
      default:
        break;
    }
  }
}

void checkModes(const Scenario& s, const std::vector<std::string>& modes) {
  auto known = [&](const std::string& m) {
    return m.empty() || std::find(modes.begin(), modes.end(), m) != modes.end();
  };
  std::string registered;
  for (const std::string& m : modes) registered += (registered.empty() ? "'" : ", '") + m + "'";
  auto unknown = [&](const std::string& m) {
    return "unknown mode '" + m + "' (the module registers " +
           (registered.empty() ? std::string("none") : registered) + ")";
  };
  for (const ScreenEntry& sc : s.screens)
    if (!known(sc.mode)) throw ScenarioError(s.file, sc.modePos, unknown(sc.mode));
  for (const Event& e : s.events)
    if (e.kind == EventKind::Mode && !known(e.modeName))
      throw ScenarioError(s.file, e.valuePos, unknown(e.modeName));
}

}  // namespace sim
