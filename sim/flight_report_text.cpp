// The flight report written out: JSON for tools, lines for the terminal.
// JSON fields carry their unit in their name (_kg, _m_s, _deg_s, _s).
#include <cmath>
#include <cstdio>

#include "sim/flight_report.h"

namespace sim {
namespace {

// A JSON string: quotes, backslashes and control characters escaped; bytes
// from 0x80 are taken as Latin-1, as the pages draw them, and written as
// \u00XX so that the file is plain ASCII.
std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20 || c >= 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

// A number, or null for one that is absent or not finite (JSON has no NaN).
std::string jsonNumber(std::optional<double> v, const char* format = "%.10g") {
  if (!v || !std::isfinite(*v)) return "null";
  char text[48];
  std::snprintf(text, sizeof text, format, *v == 0.0 ? 0.0 : *v);
  return text;
}

std::string seconds(std::optional<double> v) { return jsonNumber(v, "%.3f"); }

std::string modeOrNone(const std::string& mode) { return mode.empty() ? "no mode" : mode; }

}  // namespace

std::string FlightReport::json() const {
  std::string j = "{\n  \"end_s\": " + seconds(end_) + ",\n  \"vessels\": [";
  for (size_t i = 0; i < vessels_.size(); ++i) {
    const VesselFigures& v = vessels_[i];
    j += i ? ",\n    {" : "\n    {";
    j += "\"name\": " + jsonString(v.name);
    j += ", \"propellant_kg\": {\"total\": " + jsonNumber(v.propellantTotal) +
         ", \"rotation\": " + jsonNumber(v.propellantRotation) +
         ", \"linear\": " + jsonNumber(v.propellantLinear) +
         ", \"engines\": " + jsonNumber(v.propellantEngines) + "}";
    j += ", \"delta_v_m_s\": " + jsonNumber(v.deltaV);
    j += ", \"max_rate_deg_s\": " + jsonNumber(v.maxRate);
    j += ", \"max_rate_at_s\": " + seconds(v.maxRateTime);
    j += ", \"final_rate_deg_s\": " + jsonNumber(v.finalRate) + "}";
  }
  j += vessels_.empty() ? "],\n  \"screens\": [" : "\n  ],\n  \"screens\": [";
  for (size_t i = 0; i < screens_.size(); ++i) {
    const ScreenFigures& s = screens_[i];
    j += i ? ",\n    {" : "\n    {";
    j += "\"screen\": " + std::to_string(i);
    j += ", \"final_mode\": " + jsonString(s.finalMode);
    j += ", \"final_hold\": " + std::string(s.finalHold ? "true" : "false");
    j += ", \"final_help_page\": " + std::to_string(s.finalHelpPage);
    j += ", \"holds\": [";
    for (size_t k = 0; k < s.holds.size(); ++k) {
      const HoldFigures& h = s.holds[k];
      j += k ? ", " : "";
      j += "{\"mode\": " + jsonString(h.mode) + ", \"start_s\": " + seconds(h.start) +
           ", \"end_s\": " + seconds(h.end) + ", \"settle_time_s\": " + seconds(h.settleTime) + "}";
    }
    j += "]}";
  }
  j += screens_.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return j;
}

std::string FlightReport::summary() const {
  char line[512];
  std::snprintf(line, sizeof line, "Flight report at t = %.3f s\n", end_);
  std::string out = line;
  for (const VesselFigures& v : vessels_) {
    std::snprintf(line, sizeof line,
                  "  %s: propellant %.1f kg (rotation %.1f, linear %.1f, engines %.1f), "
                  "delta-v %.2f m/s, angular rate max %.2f deg/s at %.1f s, final %.2f deg/s\n",
                  v.name.c_str(), v.propellantTotal, v.propellantRotation, v.propellantLinear,
                  v.propellantEngines, v.deltaV, v.maxRate, v.maxRateTime, v.finalRate);
    out += line;
  }
  for (size_t i = 0; i < screens_.size(); ++i) {
    const ScreenFigures& s = screens_[i];
    std::string last =
        s.finalHelpPage ? "help page " + std::to_string(s.finalHelpPage) : modeOrNone(s.finalMode);
    if (s.finalHold) last += ", hold on";
    std::snprintf(line, sizeof line, "  screen %zu: ends in %s\n", i, last.c_str());
    out += line;
    for (const HoldFigures& h : s.holds) {
      std::string settle = "never settled";
      if (h.settleTime) {
        std::snprintf(line, sizeof line, "settled after %.1f s", *h.settleTime);
        settle = line;
      }
      std::string until = "to the end";
      if (h.end) {
        std::snprintf(line, sizeof line, "to %.1f s", *h.end);
        until = line;
      }
      std::snprintf(line, sizeof line, "    hold in %s from %.1f s %s: %s\n", h.mode.c_str(),
                    h.start, until.c_str(), settle.c_str());
      out += line;
    }
  }
  out.pop_back();  // the last line break: the terminal adds its own
  return out;
}

}  // namespace sim
