// The scripted pilot: one scenario event applied to the world.
#pragma once

#include <string>
#include <vector>

#include "host/world.h"
#include "sim/scenario/scenario.h"

namespace sim {

// Applies e. Marks the screens the event acted on in touched (sized to the
// world's screens). An event that cannot act (no input box open, a vessel
// already deleted, a port that does not exist, a spawned vessel whose name an
// object took meanwhile) changes nothing and returns a note saying why;
// otherwise returns "".
std::string applyEvent(halcyra::World& world, const Event& e, std::vector<bool>& touched);

}  // namespace sim
