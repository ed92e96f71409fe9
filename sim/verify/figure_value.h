// A figure's value where an expectation reads it: off a screen's page, out of
// a vessel's telemetry, or out of the flight report.
#pragma once

#include <cmath>
#include <string>

#include "host/world.h"
#include "sim/outputs/flight_report.h"
#include "sim/outputs/page_reading.h"
#include "sim/scenario/expectation.h"

namespace sim {

struct FigureValue {
  bool present = false;  // false: blank on the page, or no value in the report (null)
  double number = NAN;   // a number figure's value, in its unit
  std::string text;      // a text figure's
  bool isText = false;
};

// A screen-log figure of the page (name as the screen log's column).
FigureValue screenFigure(const PageReading& page, const std::string& name);
// A telemetry figure of vessel v (name as the telemetry's column).
FigureValue telemetryFigure(halcyra::World& world, const halcyra::Vessel& v,
                            const std::string& name);
// A report figure of c's place (its vessel, or its screen and hold).
FigureValue reportFigure(const FlightReport& report, const Condition& c, const std::string& name);

}  // namespace sim
