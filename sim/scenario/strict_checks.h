// What --strict refuses on top of the usual checks: what a default run takes
// and then quietly ignores, alters or only notes while it flies. Each is a
// ScenarioError at the value that asks for it ("FILE:LINE:COLUMN: what"),
// before the run; when several are there, the first in the file is named.
#pragma once

#include "host/world.h"
#include "sim/scenario/scenario.h"

namespace sim {

// From the scenario alone, for a run that ends at until [s] (the scenario's
// or the command line's):
// - an event due after the run ends, which never runs;
// - a vessel (also a spawned one) or a base strictly inside a body's radius;
// - a rotation or linear level outside -1..1, or an engine level outside 0..1,
//   which the host holds at the nearer end;
// - a key given as a bare number 0 to 9: scan codes 2 to 10 are the digit
//   keys 1 to 9 and 0, so "key = 5" presses "4"; a name says what is meant.
void checkStrictly(const Scenario& scenario, double until);

// Every button named by a label names one button of the mode its screen
// shows when the event runs (following the scenario's mode events). The
// labels of a mode are read off a screen that shows it in the world built for
// the run, before its first step; a mode no screen shows then cannot be
// checked, and a label for it is refused with the advice to give the index.
void checkButtonLabelsStrictly(const Scenario& scenario, halcyra::World& world);

}  // namespace sim
