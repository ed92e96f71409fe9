// The flight report written out: JSON for tools, lines for the terminal.
// JSON fields carry their unit in their name (_kg, _m_s, _deg_s, _s).
//
// The JSON is laid out as the file has always been: the top object a field a
// line, the items of its lists a line each, each item on its line with ", "
// and ": " between its parts; names as UTF-8 escaped to plain ASCII by
// nlohmann-json (bytes from 0x80 are taken as Latin-1, as the pages draw
// them). Numbers are written as in the other outputs (sim/outputs/number_text.h):
// times [s] with three decimals, other figures with ten significant digits;
// one that is absent or not finite is null (JSON has no NaN).
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/latin1_text.h"
#include "sim/outputs/flight_report.h"
#include "sim/outputs/number_text.h"

namespace sim {
namespace {

// A figure, or with `time` a time [s]; never "-0".
std::string number(std::optional<double> v, bool time = false) {
  if (!v || !std::isfinite(*v)) return "null";
  std::string out;
  if (time) {
    appendTime(out, *v == 0.0 ? 0.0 : *v);
  } else {
    appendFigure(out, *v);
  }
  return out;
}
std::string time(std::optional<double> t) { return number(t, true); }

std::string text(const std::string& latin1) {
  return nlohmann::json(render::latin1ToUtf8(latin1)).dump(-1, ' ', /*ensure_ascii=*/true);
}

// The items of a list, one a line after the field's name.
std::string itemLines(const std::vector<std::string>& items) {
  if (items.empty()) return "[]";
  std::string out = "[";
  for (const std::string& item : items) out += (out.size() > 1 ? ",\n    " : "\n    ") + item;
  return out + "\n  ]";
}

std::string modeOrNone(const std::string& mode) { return mode.empty() ? "no mode" : mode; }

}  // namespace

std::string FlightReport::json() const {
  std::vector<std::string> vessels, screens;
  for (const VesselFigures& v : vessels_) {
    vessels.push_back("{\"name\": " + text(v.name) +
                      ", \"propellant_kg\": {\"total\": " + number(v.propellantTotal) +
                      ", \"rotation\": " + number(v.propellantRotation) + ", \"linear\": " +
                      number(v.propellantLinear) + ", \"engines\": " + number(v.propellantEngines) +
                      "}, \"delta_v_m_s\": " + number(v.deltaV) + ", \"max_rate_deg_s\": " +
                      number(v.maxRate) + ", \"max_rate_at_s\": " + time(v.maxRateTime) +
                      ", \"final_rate_deg_s\": " + number(v.finalRate) + "}");
  }
  for (size_t i = 0; i < screens_.size(); ++i) {
    const ScreenFigures& s = screens_[i];
    std::string holds;
    for (const HoldFigures& h : s.holds)
      holds += std::string(holds.empty() ? "" : ", ") + "{\"mode\": " + text(h.mode) +
               ", \"start_s\": " + time(h.start) + ", \"end_s\": " + time(h.end) +
               ", \"settle_time_s\": " + time(h.settleTime) + "}";
    screens.push_back("{\"screen\": " + std::to_string(i) + ", \"final_mode\": " +
                      text(s.finalMode) + ", \"final_hold\": " + (s.finalHold ? "true" : "false") +
                      ", \"final_help_page\": " + std::to_string(s.finalHelpPage) +
                      ", \"holds\": [" + holds + "]}");
  }
  return "{\n  \"end_s\": " + time(end_) + ",\n  \"vessels\": " + itemLines(vessels) +
         ",\n  \"screens\": " + itemLines(screens) + "\n}\n";
}

std::string FlightReport::summary() const {
  auto f = fixedText;
  std::string out = "Flight report at t = " + f(end_, 3) + " s\n";
  for (const VesselFigures& v : vessels_) {
    out += "  " + v.name + ": propellant " + f(v.propellantTotal, 1) + " kg (rotation " +
           f(v.propellantRotation, 1) + ", linear " + f(v.propellantLinear, 1) + ", engines " +
           f(v.propellantEngines, 1) + "), delta-v " + f(v.deltaV, 2) + " m/s, angular rate max " +
           f(v.maxRate, 2) + " deg/s at " + f(v.maxRateTime, 1) + " s, final " + f(v.finalRate, 2) +
           " deg/s\n";
  }
  for (size_t i = 0; i < screens_.size(); ++i) {
    const ScreenFigures& s = screens_[i];
    std::string last =
        s.finalHelpPage ? "help page " + std::to_string(s.finalHelpPage) : modeOrNone(s.finalMode);
    if (s.finalHold) last += ", hold on";
    out += "  screen " + std::to_string(i) + ": ends in " + last + "\n";
    for (const HoldFigures& h : s.holds) {
      const std::string until = h.end ? "to " + f(*h.end, 1) + " s" : "to the end";
      const std::string settle =
          h.settleTime ? "settled after " + f(*h.settleTime, 1) + " s" : "never settled";
      out +=
          "    hold in " + h.mode + " from " + f(h.start, 1) + " s " + until + ": " + settle + "\n";
    }
  }
  out.pop_back();  // the last line break: the terminal adds its own
  return out;
}

}  // namespace sim
