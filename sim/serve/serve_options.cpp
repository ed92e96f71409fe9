#include "sim/serve/serve_options.h"

#include <cmath>
#include <cstdio>

namespace sim {

bool speedAllowed(double s) {
  return std::isfinite(s) && !std::signbit(s) && s <= kMaxSpeed && (s == 0.0 || s >= kMinSpeed);
}

std::string speedRangeText() {
  char text[80];
  std::snprintf(text, sizeof text, "0 (as fast as possible) or from %g to %g", kMinSpeed,
                kMaxSpeed);
  return text;
}

void addServeOptions(CLI::App& app, ServeOptions& o) {
  CLI::Option* serve =
      app.add_flag("--serve", o.serve, "fly live, paced, with a web cockpit and an HTTP API");
  app.add_option("--port", o.port, "port of the cockpit (0 = any free one)")
      ->capture_default_str()
      ->check(CLI::Range(0, 65535))
      ->needs(serve);
  app.add_option("--bind", o.bind, "address the cockpit listens on")
      ->capture_default_str()
      ->needs(serve);
  app.add_option("--speed", o.speed, "multiple of real time (0 = as fast as possible)")
      ->capture_default_str()
      ->check(CLI::Validator(
          [](const std::string& text) {
            double v = 0.0;
            try {
              v = std::stod(text);
            } catch (const std::exception&) {
              return text + " is not a number";
            }
            return speedAllowed(v) ? std::string() : "the speed must be " + speedRangeText();
          },
          "SPEED"))
      ->needs(serve);
  app.add_option("--record", o.recordPath,
                 "write the scenario with the live actions as [[event]] tables to this file")
      ->needs(serve);
}

}  // namespace sim
