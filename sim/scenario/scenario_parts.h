// Pieces of the scenario reader shared between its files.
#pragma once

#include <string>

#include "sim/scenario/scenario.h"
#include "sim/scenario/toml_document.h"

namespace sim {

VesselEntry readVessel(const TomlValue& table, const TomlDocument& doc, const std::string& what);
Event readEvent(const TomlValue& table, const TomlDocument& doc);
// Every name used refers to something the scenario declares (or spawns).
void checkNames(const Scenario& scenario);

}  // namespace sim
