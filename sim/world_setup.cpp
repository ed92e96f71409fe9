#include "sim/world_setup.h"

#include <stdexcept>

namespace sim {

void buildWorld(const Scenario& s, halcyra::World& world) {
  auto refused = [&](SourcePos pos, const std::exception& e) {
    return ScenarioError(s.file, pos, e.what());
  };
  for (const BodyEntry& b : s.bodies) {
    try {
      world.addBody(b.name, b.mu, b.radius, b.position);
    } catch (const std::invalid_argument& e) {
      throw refused(b.pos, e);
    }
  }
  for (const BaseEntry& b : s.bases) {
    try {
      world.addBase(b.name, b.body, b.position);
    } catch (const std::invalid_argument& e) {
      throw refused(b.pos, e);
    }
  }
  for (const VesselEntry& v : s.vessels) {
    try {
      world.addVessel(v.spec);
    } catch (const std::invalid_argument& e) {
      throw refused(v.pos, e);
    }
  }
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
