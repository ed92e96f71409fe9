// Fills a world from a scenario: bodies, bases, vessels, the focus, screens
// and their starting modes (the module must be loaded for the modes).
#pragma once

#include "host/world.h"
#include "sim/scenario/scenario.h"

namespace sim {

// Throws ScenarioError for what the world refuses.
void buildWorld(const Scenario& scenario, halcyra::World& world);

}  // namespace sim
