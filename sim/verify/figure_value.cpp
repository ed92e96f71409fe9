#include "sim/verify/figure_value.h"

#include "sim/outputs/telemetry_row.h"

namespace sim {
namespace {

FigureValue number(std::optional<double> v) {
  FigureValue f;
  f.present = v.has_value();
  f.number = v.value_or(NAN);
  return f;
}

FigureValue text(const std::string& s) {
  FigureValue f;
  f.present = true;
  f.text = s;
  f.isText = true;
  return f;
}

}  // namespace

FigureValue screenFigure(const PageReading& p, const std::string& name) {
  if (name == "mode") return text(p.mode);
  if (name == "target") return text(p.target);
  if (name == "hold") return number(p.hold ? 1.0 : 0.0);
  if (name == "help_page") return number(double(p.helpPage));
  const char* axes[] = {"pitch", "yaw", "roll"};
  for (int i = 0; i < 3; ++i) {
    if (name == std::string("dev_") + axes[i]) return number(p.deviation[i]);
    if (name == std::string("rate_") + axes[i]) return number(p.rate[i]);
  }
  if (name == "distance") return number(p.distance);
  if (name == "range_rate") return number(p.rangeRate);
  if (name == "entry_angle") return number(p.entryAngle);
  if (name == "time_to_go") return number(p.timeToGo);
  return {};
}

TelemetrySample telemetrySample(halcyra::World& world, const halcyra::Vessel& v) {
  TelemetrySample s;
  s.vessel = &v;
  world.getStatus(v, s.status);
  s.figures = telemetryFigures(v, s.status);
  return s;
}

int telemetryColumn(const std::string& name) {
  for (size_t i = 0; i < kTelemetryFigureNames.size(); ++i)
    if (name == kTelemetryFigureNames[i]) return int(i);
  return -1;
}

FigureValue telemetryFigure(halcyra::World& world, const TelemetrySample& s, int column) {
  if (column < 0) return text(world.objectName(halcyra::toId(s.status.refBody)));
  return number(s.figures[size_t(column)]);
}

FigureValue reportFigure(const FlightReport& report, const Condition& c, const std::string& name) {
  if (name == "end_s") return number(report.end());
  if (isScreenFigure(FigureName{name, FigureSource::Report, false})) {
    if (c.screen >= report.screens().size()) return {};
    const ScreenFigures& s = report.screens()[c.screen];
    if (name == "final_mode") return text(s.finalMode);
    if (name == "final_hold") return number(s.finalHold ? 1.0 : 0.0);
    if (name == "final_help_page") return number(double(s.finalHelpPage));
    if (c.hold >= s.holds.size()) return {};
    return number(s.holds[c.hold].settleTime);
  }
  for (const VesselFigures& v : report.vessels()) {
    if (v.name != c.vessel) continue;
    if (name == "propellant_kg.total") return number(v.propellantTotal);
    if (name == "propellant_kg.rotation") return number(v.propellantRotation);
    if (name == "propellant_kg.linear") return number(v.propellantLinear);
    if (name == "propellant_kg.engines") return number(v.propellantEngines);
    if (name == "delta_v_m_s") return number(v.deltaV);
    if (name == "max_rate_deg_s") return number(v.maxRate);
    if (name == "max_rate_at_s") return number(v.maxRateTime);
    if (name == "final_rate_deg_s") return number(v.finalRate);
  }
  return {};
}

}  // namespace sim
