// The scripted pilot: one scenario event applied to the world.
#pragma once

#include <string>
#include <vector>

#include "host/world.h"
#include "sim/scenario/scenario.h"

namespace sim {

// Applies e at time t [s]. Marks the screens the event acted on in touched
// (sized to the world's screens). An event that cannot act (no input box
// open, a vessel already deleted, a port that does not exist) changes nothing
// and returns a note saying why; otherwise returns "". A spawned vessel the
// world refuses throws ScenarioError.
std::string applyEvent(halcyra::World& world, const Scenario& scenario, const Event& e,
                       std::vector<bool>& touched);

}  // namespace sim
