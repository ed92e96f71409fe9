// The figures an expectation or a condition may test: the screen log's
// columns, the telemetry's columns and the flight report's figures, by the
// names those outputs give them (README: "Screen log", "Telemetry", "Flight
// report").
#include <array>

#include "sim/scenario/expectation.h"

namespace sim {
namespace {

struct Known {
  const char* name;
  FigureSource source;
  bool text;
};

constexpr auto S = FigureSource::Screen;
constexpr auto T = FigureSource::Telemetry;
constexpr auto R = FigureSource::Report;

constexpr std::array<Known, 52> kFigures{{
    {"mode", S, true},
    {"hold", S, false},
    {"target", S, true},
    {"dev_pitch", S, false},
    {"dev_yaw", S, false},
    {"dev_roll", S, false},
    {"rate_pitch", S, false},
    {"rate_yaw", S, false},
    {"rate_roll", S, false},
    {"distance", S, false},
    {"range_rate", S, false},
    {"entry_angle", S, false},
    {"time_to_go", S, false},
    {"help_page", S, false},
    {"body", T, true},
    {"rx", T, false},
    {"ry", T, false},
    {"rz", T, false},
    {"vx", T, false},
    {"vy", T, false},
    {"vz", T, false},
    {"alpha", T, false},
    {"beta", T, false},
    {"gamma", T, false},
    {"wx", T, false},
    {"wy", T, false},
    {"wz", T, false},
    {"mass", T, false},
    {"propellant", T, false},
    {"pitch", T, false},
    {"yaw", T, false},
    {"roll", T, false},
    {"lat", T, false},
    {"vert", T, false},
    {"fa", T, false},
    {"main", T, false},
    {"retro", T, false},
    {"hover", T, false},
    {"docked", T, false},
    {"propellant_kg.total", R, false},
    {"propellant_kg.rotation", R, false},
    {"propellant_kg.linear", R, false},
    {"propellant_kg.engines", R, false},
    {"delta_v_m_s", R, false},
    {"max_rate_deg_s", R, false},
    {"max_rate_at_s", R, false},
    {"final_rate_deg_s", R, false},
    {"final_mode", R, true},
    {"final_hold", R, false},
    {"final_help_page", R, false},
    {"settle_time_s", R, false},
    {"end_s", R, false},
}};

}  // namespace

std::optional<FigureName> figureNamed(const std::string& name) {
  for (const Known& k : kFigures)
    if (name == k.name) return FigureName{k.name, k.source, k.text};
  return std::nullopt;
}

bool isScreenFigure(const FigureName& f) {
  return f.source == FigureSource::Screen ||
         (f.source == FigureSource::Report &&
          (f.name == "final_mode" || f.name == "final_hold" || f.name == "final_help_page" ||
           f.name == "settle_time_s"));
}

std::string knownFigures() {
  std::string out;
  for (const Known& k : kFigures) out += (out.empty() ? "" : ", ") + std::string(k.name);
  return out;
}

}  // namespace sim
