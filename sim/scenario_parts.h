// Pieces of the scenario reader shared between its files.
#pragma once

#include <toml++/toml.h>

#include <string>

#include "sim/scenario.h"

namespace sim {

VesselEntry readVessel(const toml::table& table, const std::string& file, const std::string& what);
Event readEvent(const toml::table& table, const std::string& file);
// Every name used refers to something the scenario declares (or spawns).
void checkNames(const Scenario& scenario);

}  // namespace sim
