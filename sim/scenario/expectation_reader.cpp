// [[expect]] tables and conditions:
//   figure = "dev_pitch" or ["dev_pitch", "dev_yaw"]  (each must pass)
//   screen = 0 / vessel = "Gyre-1" / hold = 0          (where the figure is read)
//   exactly one test: at_most, at_least, abs_at_most, equals, or
//   within (with for, and in an expectation by; rate_within optional)
//   a window: at, or from / until (expectations only)
#include "sim/scenario/expectation_reader.h"

#include <algorithm>
#include <set>

#include "sim/scenario/toml_reader.h"

namespace sim {
namespace {

constexpr const char* kTests[] = {"at_most", "at_least", "abs_at_most", "equals", "within"};

// The settle test's default limit on the rate of change: a tenth of the
// limit per second, as the flight report's 0.1 deg and 0.01 deg/s.
constexpr double kDefaultRatePerLimit = 0.1;  // [1/s]

std::string inQuotes(const std::string& s) { return "'" + s + "'"; }

void readFigures(TableReader& r, Condition& c) {
  const TomlValue* n = r.node("figure");
  if (!n) r.fail(r.tablePos(), r.what() + " needs 'figure'");
  const TomlDocument& doc = r.document();
  std::vector<const TomlValue*> names;
  if (n->is_string()) {
    names.push_back(n);
  } else if (n->is_array() && !n->as_array().empty()) {
    for (const TomlValue& v : n->as_array()) names.push_back(&v);
  } else {
    r.fail(doc.positionOf(*n), "'figure' must be a figure's name or a list of them");
  }
  for (const TomlValue* v : names) {
    if (!v->is_string())
      r.fail(doc.positionOf(*v), "'figure' must be a figure's name or a list of them");
    const std::string name = v->as_string().str;
    const std::optional<FigureName> f = figureNamed(name);
    if (!f)
      r.fail(doc.positionOf(*v),
             "unknown figure " + inQuotes(name) + " (one of: " + knownFigures() + ")");
    if (!c.figures.empty() && c.figures.front().source != f->source)
      r.fail(doc.positionOf(*v), "figure " + inQuotes(name) + " is not read where " +
                                     inQuotes(c.figures.front().name) +
                                     " is: give the figures of a screen, a vessel or the report "
                                     "in separate tables");
    c.figures.push_back(*f);
  }
}

// The key of the test, the only one given.
const char* readTestKey(TableReader& r) {
  const char* test = nullptr;
  for (const char* k : kTests) {
    if (!r.has(k)) continue;
    if (test) {
      const bool kLater = r.valuePos(test) < r.valuePos(k);
      r.fail(r.valuePos(kLater ? k : test), r.what() + " has more than one test (" +
                                                inQuotes(kLater ? test : k) + " and " +
                                                inQuotes(kLater ? k : test) + ")");
    }
    test = k;
  }
  if (!test)
    r.fail(r.tablePos(),
           r.what() + " needs a test: at_most, at_least, abs_at_most, equals or within");
  return test;
}

void readTest(TableReader& r, Condition& c, bool inEvent) {
  const std::string test = readTestKey(r);
  const FigureName& first = c.figures.front();
  bool anyText = false;
  for (const FigureName& f : c.figures) anyText = anyText || f.text;
  if (test == "equals") {
    c.test = TestKind::Equals;
    if (r.node("equals")->is_string()) {
      for (const FigureName& f : c.figures)
        if (!f.text)
          r.fail(r.valuePos("equals"),
                 "figure " + inQuotes(f.name) + " is a number: 'equals' needs a number");
      c.text = *r.text("equals");
    } else {
      if (anyText)
        r.fail(r.valuePos("equals"),
               "figure " + inQuotes(first.name) + " is a text: 'equals' needs a text");
      c.limit = *r.number("equals");
    }
  } else {
    if (anyText)
      r.fail(r.valuePos(test), "'" + test + "' needs a number figure; " + inQuotes(first.name) +
                                   " is a text (use equals)");
    c.limit = *r.number(test);
    if (test == "at_most") c.test = TestKind::AtMost;
    if (test == "at_least") c.test = TestKind::AtLeast;
    if (test == "abs_at_most") c.test = TestKind::AbsAtMost;
    if (test == "within") c.test = TestKind::Settle;
  }
  if (c.test != TestKind::Settle) {
    for (const char* k : {"for", "by", "rate_within"})
      if (r.has(k)) r.fail(r.valuePos(k), inQuotes(k) + " goes only with 'within'");
    return;
  }
  r.check(c.limit >= 0.0, "within", "must not be negative");
  if (first.source == FigureSource::Report)
    r.fail(r.valuePos("within"), "report figures are taken once, at the end: they cannot settle");
  c.forSeconds = r.required(r.number("for"), "for");
  r.check(c.forSeconds >= 0.0, "for", "must not be negative");
  c.rateLimit = r.number("rate_within").value_or(c.limit * kDefaultRatePerLimit);
  r.check(c.rateLimit >= 0.0, "rate_within", "must not be negative");
  if (inEvent) {
    if (r.has("by"))
      r.fail(r.valuePos("by"), "'by' has no place in a condition: the event waits for it");
  } else {
    c.by = r.required(r.number("by"), "by");
    r.check(*c.by >= 0.0, "by", "must not be negative");
  }
}

Condition readCondition(TableReader& r, bool inEvent) {
  Condition c;
  c.line = int(r.tablePos().line);
  readFigures(r, c);
  const FigureName& first = c.figures.front();
  const bool onScreen = isScreenFigure(first);
  const bool onVessel = !onScreen && first.name != "end_s";
  if (auto s = r.integer("screen")) {
    if (!onScreen)
      r.fail(r.valuePos("screen"), "figure " + inQuotes(first.name) + " is not a screen's");
    r.check(*s >= 0, "screen", "must not be negative");
    c.screen = size_t(*s);
  }
  if (auto v = r.string("vessel")) {
    if (!onVessel)
      r.fail(r.valuePos("vessel"), "figure " + inQuotes(first.name) + " is not a vessel's");
    c.vessel = *v;
  }
  if (auto h = r.integer("hold")) {
    for (const FigureName& f : c.figures)
      if (f.name != "settle_time_s")
        r.fail(r.valuePos("hold"), "'hold' goes only with settle_time_s");
    r.check(*h >= 0, "hold", "must not be negative");
    c.hold = size_t(*h);
  }
  if (inEvent && first.source == FigureSource::Report)
    r.fail(r.valuePos("figure"),
           "report figures are known at the end only: a condition cannot use them");
  readTest(r, c, inEvent);
  return c;
}

}  // namespace

Expectation readExpectation(const TomlValue& table, const TomlDocument& doc, double until) {
  TableReader r(table, doc, "[[expect]]");
  Expectation e;
  e.line = int(r.tablePos().line);
  e.name = r.required(r.string("name"), "name");
  r.check(!e.name.empty(), "name", "must not be empty");
  e.condition = readCondition(r, false);
  const bool report = e.condition.figures.front().source == FigureSource::Report;
  for (const char* k : {"at", "from", "until"}) {
    if (!r.has(k)) continue;
    if (report)
      r.fail(r.valuePos(k),
             "report figures are taken once, at the end: no '" + std::string(k) + "'");
    r.check(*r.number(k) >= 0.0, k, "must not be negative");
    r.check(*r.number(k) <= until, k, "lies after the end of the flight");
  }
  e.at = r.number("at");
  if (e.at)
    for (const char* k : {"from", "until"})
      if (r.has(k)) r.fail(r.valuePos(k), "'" + std::string(k) + "' and 'at' exclude each other");
  e.from = r.number("from").value_or(0.0);
  e.until = r.number("until");
  if (e.until) r.check(*e.until >= e.from, "until", "must not be before 'from'");
  if (e.condition.by) {
    r.check(*e.condition.by <= until, "by", "lies after the end of the flight");
    r.check(*e.condition.by >= e.from, "by", "must not be before 'from'");
  }
  if (e.at && e.condition.test == TestKind::Settle)
    r.fail(r.valuePos("at"), "the settle test takes a window, not one time: use from / until");
  r.finish();
  return e;
}

EventTrigger readTrigger(TableReader& event) {
  EventTrigger t;
  const TomlValue* n = event.node("when");
  if (!n->is_table()) event.fail(event.valuePos("when"), "'when' must be a table of a condition");
  TableReader r(*n, event.document(), "'when'");
  t.condition = readCondition(r, true);
  t.condition.line = int(event.tablePos().line);
  r.finish();
  if (event.has("t"))
    event.fail(event.valuePos("t"), "'t' and 'when' exclude each other (use 'after')");
  t.after = event.number("after").value_or(0.0);
  event.check(t.after >= 0.0, "after", "must not be negative");
  t.timeout = event.number("timeout");
  event.check(!t.timeout || *t.timeout >= 0.0, "timeout", "must not be negative");
  return t;
}

void checkExpectations(const Scenario& s) {
  std::set<std::string> names, vessels;
  for (const VesselEntry& v : s.vessels) vessels.insert(v.spec.name);
  for (const Event& e : s.events)
    if (e.kind == EventKind::Spawn) vessels.insert(e.spawn.spec.name);
  auto check = [&](const Condition& c) {
    if (isScreenFigure(c.figures.front()) && c.screen >= s.screens.size())
      throw ScenarioError(s.file, {uint32_t(c.line), 1},
                          "unknown screen " + std::to_string(c.screen) + " (the scenario has " +
                              std::to_string(s.screens.size()) + ")");
    if (!c.vessel.empty() && !vessels.count(c.vessel))
      throw ScenarioError(s.file, {uint32_t(c.line), 1}, "unknown vessel '" + c.vessel + "'");
  };
  for (const Expectation& e : s.expectations) {
    if (!names.insert(e.name).second)
      throw ScenarioError(s.file, {uint32_t(e.line), 1}, "duplicate expectation '" + e.name + "'");
    check(e.condition);
  }
  for (const Event& e : s.conditionalEvents) check(e.trigger->condition);
}

}  // namespace sim
