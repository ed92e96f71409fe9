// Events and conditions given from Python as dicts with the keys of a
// scenario's [[event]] table and of a conditional event's `when` table:
// written as TOML (toml11) and read by the scenario reader, so that they mean
// and check exactly what the same table in a scenario file does. A dict the
// reader refuses raises its message, the position in the TOML written from
// the dict ("<event>:1:7: unknown key 'kye'").
#pragma once

#include <pybind11/pybind11.h>

#include <memory>

#include "sim/scenario/scenario.h"

namespace gyrelle_python {

// An [[event]] table's action (t is not given: the event is applied now).
sim::Event eventOfTable(const pybind11::dict& table);

// A `when` table. Conditions refer to the trigger they are read with, which
// owns them.
std::unique_ptr<sim::EventTrigger> conditionOfTable(const pybind11::dict& when);

}  // namespace gyrelle_python
