// The flight as the cockpit and the HTTP API see it, as JSON:
//   {"t", "speed", "paused", "running", "step", "until", "focus",
//    "modes": ["Gyrelle", ...]                                 the modes a screen can show,
//    "vessels": [{the telemetry table's fields by their column names}],
//    "screens": [{"index", "width", "height", "mode",
//                 "lines": [{"x", "y", "colour", "text"}]   each text drawn, in drawing order,
//                 "page": ["line", ...]                      the page as text, top to bottom,
//                 "buttons": ["MOD", ...], "input": {"title", "text"} or null,
//                 "ops": [[op, args...], ...]}]}            the last redraw's drawing calls
// Drawing calls carry the dump's names and arguments: ["text", x, y, "rrggbb", text],
// ["move", x, y], ["line", x, y, "rrggbb" (pen)], ["arc", cx, cy, r, start, sweep,
// "rrggbb" (pen)], ["begin-path"], ["end-path"], ["stroke-fill", "rrggbb" (brush),
// "rrggbb" (pen)]. Positions in pixels from the top left; colours as hex RGB.
// Text the module draws is single-byte (Latin-1) and is given as UTF-8.
#pragma once

#include <string>

#include "host/world.h"

namespace sim {

struct FlightClock {
  double t = 0.0;      // [s]
  double speed = 1.0;  // multiple of real time, 0 = as fast as possible
  bool paused = false;
  bool running = true;  // false once the run has ended
  double step = 0.02;   // [s]
  double until = 0.0;   // [s]
};

// Calls the module (button labels): simulation thread only.
std::string stateJson(halcyra::World& world, const FlightClock& clock);

}  // namespace sim
