// Expectations and conditions of a scenario: a test on a figure of the flight
// (read off a screen, a vessel's telemetry, or the flight report), over a time
// window. Expectations are judged after the run; a condition triggers an
// event when it first holds. Format: scenarios/README.md.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// Where a figure comes from and when it is sampled.
enum class FigureSource {
  Screen,     // the screen log's columns, at every redraw of the screen
  Telemetry,  // a vessel's telemetry columns, at every step
  Report,     // the flight report's figures, once at the end
};

struct FigureName {
  std::string name;  // as in the outputs: "dev_pitch", "propellant", "propellant_kg.total"
  FigureSource source = FigureSource::Screen;
  bool text = false;  // a text (mode, target, body) rather than a number
};

enum class TestKind {
  AtMost,     // value <= limit
  AtLeast,    // value >= limit
  AbsAtMost,  // |value| <= limit
  Equals,     // value == limit, or text == text
  Settle,     // within `limit` (and its rate of change within `rateLimit`) for `hold` seconds
};

// One test on one or more figures of the same place (a screen or a vessel);
// each figure must pass it.
struct Condition {
  std::vector<FigureName> figures;
  size_t screen = 0;   // for screen figures and a screen's report figures
  size_t hold = 0;     // settle_time_s: the screen's hold, 0 = its first
  std::string vessel;  // for telemetry and a vessel's report figures
  TestKind test = TestKind::AtMost;
  double limit = 0.0;        // in the figure's unit
  std::string text;          // Equals on a text figure
  double rateLimit = 0.0;    // Settle: [figure's unit / s]
  std::optional<double> by;  // [s] Settle in an expectation: within by this time
  double forSeconds = 0.0;   // [s] Settle: staying within this long
  int line = 0;              // where the table is, for messages
};

struct Expectation {
  std::string name;
  Condition condition;
  std::optional<double> at;     // [s] one sample: the first at or after this time
  double from = 0.0;            // [s]
  std::optional<double> until;  // [s] none = to the end of the run
  int line = 0;
};

// The trigger of a conditional event: its condition, not before `after` [s],
// given up `timeout` [s] after that (none = at the end of the run).
struct EventTrigger {
  Condition condition;
  double after = 0.0;             // [s]
  std::optional<double> timeout;  // [s]
};

// The figures of each source, by name; nullopt for a name that is none.
std::optional<FigureName> figureNamed(const std::string& name);
// Every figure's name, for the message that names an unknown one.
std::string knownFigures();
// Whether f is read off a screen: a screen-log column, or a report figure of
// a screen's (its final mode, hold and help page, a hold's settle time).
bool isScreenFigure(const FigureName& f);

}  // namespace sim
