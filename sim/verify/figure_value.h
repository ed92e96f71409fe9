// A figure's value where an expectation reads it: off a screen's page, out of
// a vessel's telemetry, or out of the flight report.
#pragma once

#include <array>
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
// A vessel's telemetry row at one moment, worked out once for every figure
// read from it then.
struct TelemetrySample {
  const halcyra::Vessel* vessel = nullptr;
  VESSELSTATUS status{};
  std::array<double, 24> figures{};  // as kTelemetryFigureNames
};
TelemetrySample telemetrySample(halcyra::World& world, const halcyra::Vessel& v);
// Where a telemetry figure (name as the telemetry's column) stands in
// TelemetrySample::figures; -1 for "body", which is a text.
int telemetryColumn(const std::string& name);
// The figure of the sample at that column.
FigureValue telemetryFigure(halcyra::World& world, const TelemetrySample& s, int column);
// A report figure of c's place (its vessel, or its screen and hold).
FigureValue reportFigure(const FlightReport& report, const Condition& c, const std::string& name);

}  // namespace sim
