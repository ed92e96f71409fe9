// The flight report written out: JSON for tools, lines for the terminal.
// JSON fields carry their unit in their name (_kg, _m_s, _deg_s, _s).
//
// The JSON is built as a document and laid out as the file has always been:
// the top object and its lists one item a line, each item on its line with
// ", " and ": " between its parts; names as UTF-8 escaped to plain ASCII
// (bytes from 0x80 are taken as Latin-1, as the pages draw them). Numbers are
// written as in the other outputs (sim/outputs/number_text.h): times [s] with three
// decimals, other figures with ten significant digits; one that is absent or
// not finite is null (JSON has no NaN).
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/latin1_text.h"
#include "sim/outputs/flight_report.h"
#include "sim/outputs/number_text.h"

namespace sim {
namespace {

using Json = nlohmann::ordered_json;

Json number(std::optional<double> v) {
  if (!v || !std::isfinite(*v)) return nullptr;
  return *v == 0.0 ? 0.0 : *v;  // no "-0"
}

Json text(const std::string& latin1) { return render::latin1ToUtf8(latin1); }

// A field in seconds is a time of the run; a rate per second (_m_s, _deg_s)
// is a figure.
bool isTime(const std::string& key) {
  auto endsWith = [&](const char* suffix) {
    const size_t n = std::char_traits<char>::length(suffix);
    return key.size() >= n && key.compare(key.size() - n, n, suffix) == 0;
  };
  return endsWith("_s") && !endsWith("_m_s") && !endsWith("_deg_s");
}

// A value on one line.
void appendInline(std::string& out, const Json& v, bool time = false) {
  switch (v.type()) {
    case Json::value_t::object: {
      out += '{';
      const char* separator = "";
      for (const auto& [key, item] : v.items()) {
        out += separator;
        out += Json(key).dump() + ": ";
        appendInline(out, item, isTime(key));
        separator = ", ";
      }
      out += '}';
      break;
    }
    case Json::value_t::array: {
      out += '[';
      const char* separator = "";
      for (const Json& item : v) {
        out += separator;
        appendInline(out, item);
        separator = ", ";
      }
      out += ']';
      break;
    }
    case Json::value_t::number_float:
      if (time) {
        appendTime(out, v.get<double>());
      } else {
        appendFigure(out, v.get<double>());
      }
      break;
    default:  // strings as plain ASCII, whole numbers, true, false, null
      out += v.dump(-1, ' ', /*ensure_ascii=*/true);
      break;
  }
}

// The top object: a field a line, the items of its lists a line each.
std::string layOut(const Json& top) {
  std::string out = "{";
  const char* separator = "\n  ";
  for (const auto& [key, value] : top.items()) {
    out += separator;
    out += Json(key).dump() + ": ";
    if (value.is_array() && !value.empty()) {
      out += '[';
      const char* itemSeparator = "\n    ";
      for (const Json& item : value) {
        out += itemSeparator;
        appendInline(out, item);
        itemSeparator = ",\n    ";
      }
      out += "\n  ]";
    } else {
      appendInline(out, value, isTime(key));
    }
    separator = ",\n  ";
  }
  return out + "\n}\n";
}

std::string modeOrNone(const std::string& mode) { return mode.empty() ? "no mode" : mode; }

}  // namespace

std::string FlightReport::json() const {
  Json vessels = Json::array();
  for (const VesselFigures& v : vessels_) {
    vessels.push_back({{"name", text(v.name)},
                       {"propellant_kg",
                        {{"total", number(v.propellantTotal)},
                         {"rotation", number(v.propellantRotation)},
                         {"linear", number(v.propellantLinear)},
                         {"engines", number(v.propellantEngines)}}},
                       {"delta_v_m_s", number(v.deltaV)},
                       {"max_rate_deg_s", number(v.maxRate)},
                       {"max_rate_at_s", number(v.maxRateTime)},
                       {"final_rate_deg_s", number(v.finalRate)}});
  }
  Json screens = Json::array();
  for (size_t i = 0; i < screens_.size(); ++i) {
    const ScreenFigures& s = screens_[i];
    Json holds = Json::array();
    for (const HoldFigures& h : s.holds)
      holds.push_back({{"mode", text(h.mode)},
                       {"start_s", number(h.start)},
                       {"end_s", number(h.end)},
                       {"settle_time_s", number(h.settleTime)}});
    screens.push_back({{"screen", i},
                       {"final_mode", text(s.finalMode)},
                       {"final_hold", s.finalHold},
                       {"final_help_page", s.finalHelpPage},
                       {"holds", holds}});
  }
  return layOut({{"end_s", number(end_)}, {"vessels", vessels}, {"screens", screens}});
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
