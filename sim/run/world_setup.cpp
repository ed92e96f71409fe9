#include "sim/run/world_setup.h"

#include <stdexcept>

namespace sim {

namespace {

// Runs add; what the world refuses is a ScenarioError at the table that asked.
template <class Add>
void addAt(const Scenario& s, SourcePos pos, Add add) {
  try {
    add();
  } catch (const std::invalid_argument& e) {
    throw ScenarioError(s.file, pos, e.what());
  }
}

// Each spawned vessel gets every check the world gives a [[vessel]], now
// rather than as a note in the middle of the run: added to a scratch world of
// the scenario's bodies and bases (names were checked against the run's
// events already, so a name the scratch world has taken is swapped for one
// it has not).
void checkSpawns(const Scenario& s) {
  halcyra::World scratch;
  for (const BodyEntry& b : s.bodies) scratch.addBody(b.name, b.mu, b.radius, b.position);
  for (const BaseEntry& b : s.bases) scratch.addBase(b.name, b.body, b.position);
  for (const Event& e : s.events) {
    if (e.kind != EventKind::Spawn) continue;
    halcyra::VesselSpec spec = e.spawn.spec;
    while (scratch.findByName(spec.name) != 0) spec.name += "'";
    addAt(s, e.spawn.pos, [&] { scratch.deleteObject(scratch.addVessel(spec)); });
  }
}

}  // namespace

void buildWorld(const Scenario& s, halcyra::World& world) {
  for (const BodyEntry& b : s.bodies)
    addAt(s, b.pos, [&] { world.addBody(b.name, b.mu, b.radius, b.position); });
  for (const BaseEntry& b : s.bases)
    addAt(s, b.pos, [&] { world.addBase(b.name, b.body, b.position); });
  for (const VesselEntry& v : s.vessels) addAt(s, v.pos, [&] { world.addVessel(v.spec); });
  checkSpawns(s);
  const std::string focus =
      !s.focus.empty() ? s.focus : (s.vessels.empty() ? "" : s.vessels.front().spec.name);
  if (!focus.empty()) world.setFocus(world.findByName(focus));
  for (const ScreenEntry& sc : s.screens) {
    const size_t i = world.addScreen(sc.width, sc.height);
    if (!sc.mode.empty() && !world.setScreenMode(i, sc.mode))
      throw ScenarioError(s.file, sc.modePos, "cannot show mode '" + sc.mode + "'");
  }
}

}  // namespace sim
