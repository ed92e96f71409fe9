// Reading [[expect]] tables and the `when` of a conditional [[event]].
#pragma once

#include "sim/scenario/expectation.h"
#include "sim/scenario/toml_reader.h"

namespace sim {

// An [[expect]] table. Windows are checked against the scenario's until.
Expectation readExpectation(const TomlValue& table, const TomlDocument& doc, double until);

// The trigger of an [[event]] that has `when`: reads when, after and timeout.
EventTrigger readTrigger(TableReader& event);

// Names are unique, screens and vessels exist (vessels as checkNames knows them).
void checkExpectations(const Scenario& scenario);

}  // namespace sim
