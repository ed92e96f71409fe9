// The scenario's sections: [sim], [[body]], [[base]], [[vessel]] (with
// [[vessel.thruster]]) and [[screen]]; events: scenario_events.cpp; the check
// that every name refers to something: scenario_names.cpp.
#include "sim/scenario/scenario.h"

#include <algorithm>
#include <cmath>

#include "sim/run/run_bounds.h"
#include "sim/run/time_slack.h"
#include "sim/scenario/expectation_reader.h"
#include "sim/scenario/toml_reader.h"

namespace sim {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The tables of an array of tables such as [[vessel]] (none when n is
// null); what says what it must be.
std::vector<const TomlValue*> tablesOf(const TomlValue* n, const TomlDocument& doc,
                                       const std::string& what) {
  std::vector<const TomlValue*> out;
  if (!n) return out;
  if (!n->is_array()) doc.fail(*n, what);
  for (const TomlValue& e : n->as_array()) {
    if (!e.is_table()) doc.fail(e, what);
    out.push_back(&e);
  }
  return out;
}

void readSim(const TomlValue* n, const TomlDocument& doc, Scenario& s) {
  if (!n) return;
  if (!n->is_table()) doc.fail(*n, "'sim' must be a table");
  TableReader r(*n, doc, "[sim]");
  if (auto v = r.number("step")) s.step = *v;
  r.check(s.step > 0.0 && s.step <= kMaxStepLength, "step", "must be above 0 and at most 3600 s");
  if (auto v = r.number("until")) s.until = *v;
  r.check(s.until >= 0.0, "until", "must not be negative");
  r.check(stepsToReach(s.until, s.step) <= kMaxSteps, "until",
          "takes more than 1e9 steps; use a longer step or a shorter run");
  // The default redraw interval is one second or one step, whichever is longer.
  const std::optional<double> redraw = r.number("redraw");
  s.redraw = redraw.value_or(std::max(s.redraw, s.step));
  r.check(s.redraw >= s.step - kTimeSlack, "redraw", "must not be below the step");
  if (auto v = r.string("focus")) {
    s.focus = *v;
    s.focusPos = r.valuePos("focus");
  }
  r.finish();
}

BodyEntry readBody(const TomlValue& t, const TomlDocument& doc) {
  TableReader r(t, doc, "[[body]]");
  BodyEntry b;
  b.pos = r.tablePos();
  b.name = r.required(r.string("name"), "name");
  r.check(!b.name.empty(), "name", "must not be empty");
  b.mu = r.required(r.number("mu"), "mu");
  r.check(b.mu > 0.0, "mu", "must be positive");
  b.radius = r.required(r.number("radius"), "radius");
  r.check(b.radius >= 0.0, "radius", "must not be negative");
  b.position = r.vector("position").value_or(VECTOR3{});
  r.finish();
  return b;
}

BaseEntry readBase(const TomlValue& t, const TomlDocument& doc) {
  TableReader r(t, doc, "[[base]]");
  BaseEntry b;
  b.pos = r.tablePos();
  b.name = r.required(r.string("name"), "name");
  r.check(!b.name.empty(), "name", "must not be empty");
  b.body = r.required(r.string("body"), "body");
  b.bodyPos = r.valuePos("body");
  b.position = r.required(r.vector("position"), "position");
  b.positionPos = r.valuePos("position");
  r.finish();
  return b;
}

ScreenEntry readScreen(const TomlValue& t, const TomlDocument& doc) {
  constexpr int64_t kMaxSide = 4096;  // [pixels]
  TableReader r(t, doc, "[[screen]]");
  ScreenEntry s;
  s.pos = r.tablePos();
  if (auto w = r.integer("width")) {
    r.check(*w > 0 && *w <= kMaxSide, "width", "must be 1 to 4096");
    s.width = uint32_t(*w);
  }
  if (auto h = r.integer("height")) {
    r.check(*h > 0 && *h <= kMaxSide, "height", "must be 1 to 4096");
    s.height = uint32_t(*h);
  }
  if (auto m = r.string("mode")) {
    s.mode = *m == "none" ? "" : *m;
    s.modePos = r.valuePos("mode");
  }
  r.finish();
  return s;
}

halcyra::Thruster readThruster(const TomlValue& t, const TomlDocument& doc) {
  TableReader r(t, doc, "thruster");
  halcyra::Thruster th;
  const int64_t group = r.integer("group").value_or(-1);
  r.check(group >= 0 && group < THGROUP_COUNT, "group", "must be a thruster group 0 to 14");
  th.group = int(group);
  th.position = r.required(r.vector("position"), "position");
  const VECTOR3 d = r.required(r.vector("direction"), "direction");
  const double len = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
  r.check(len > 0.0 || d.x != 0.0 || d.y != 0.0 || d.z != 0.0, "direction",
          "must not be the zero vector");
  // Squares that overflow (or vanish) leave no length to divide by.
  r.check(std::isfinite(len) && len > 0.0 && std::isfinite(1.0 / len), "direction",
          "is too long or too short to normalise; scale it to about 1");
  th.direction = d * (1.0 / len);
  th.max = r.required(r.number("max"), "max");
  r.check(th.max >= 0.0, "max", "must not be negative");
  if (auto v = r.number("exhaust_speed")) th.exhaustSpeed = *v;
  r.check(th.exhaustSpeed > 0.0, "exhaust_speed", "must be positive");
  r.finish();
  return th;
}

// orbit = { periapsis_altitude, apoapsis_altitude, inclination, ascending_node,
//           argument_of_periapsis, true_anomaly }   [m], [rad]
// or, circular: orbit = { altitude, inclination = 0, ascending_node = 0,
//           true_anomaly = 0 }, the periapsis put at the ascending node so that
//           the true anomaly is the angle from the node (the argument of latitude).
OrbitPlacement readOrbit(const TomlValue& n, const TomlDocument& doc) {
  if (!n.is_table()) doc.fail(n, "'orbit' must be a table");
  TableReader r(n, doc, "orbit");
  OrbitPlacement o;
  if (r.has("altitude")) {
    for (const char* k : {"periapsis_altitude", "apoapsis_altitude", "argument_of_periapsis"})
      if (r.has(k))
        r.fail(r.valuePos(k),
               "'" + std::string(k) +
                   "' and 'altitude' exclude each other (altitude: a circular orbit)");
    o.periapsisAltitude = o.apoapsisAltitude = *r.number("altitude");
    o.inclination = r.number("inclination").value_or(0.0);
    o.ascendingNode = r.number("ascending_node").value_or(0.0);
    o.trueAnomaly = r.number("true_anomaly").value_or(0.0);
  } else {
    // Every element missing is named at once, rather than one per attempt.
    const char* const elements[] = {"periapsis_altitude", "apoapsis_altitude",     "inclination",
                                    "ascending_node",     "argument_of_periapsis", "true_anomaly"};
    std::vector<std::string> absent;
    for (const char* k : elements)
      if (!r.has(k)) absent.emplace_back(k);
    std::string missing;
    for (size_t i = 0; i < absent.size(); ++i)
      missing += (i == 0 ? "" : i + 1 == absent.size() ? " and " : ", ") + absent[i];
    if (!absent.empty())
      r.fail(r.tablePos(), "orbit needs " + missing +
                               " (or 'altitude', with an optional inclination, ascending_node "
                               "and true_anomaly, for a circular orbit)");
    o.periapsisAltitude = *r.number("periapsis_altitude");
    o.apoapsisAltitude = *r.number("apoapsis_altitude");
    r.check(o.apoapsisAltitude >= o.periapsisAltitude, "apoapsis_altitude",
            "must not be below periapsis_altitude (only closed orbits)");
    o.inclination = *r.number("inclination");
    o.ascendingNode = *r.number("ascending_node");
    o.argumentOfPeriapsis = *r.number("argument_of_periapsis");
    o.trueAnomaly = *r.number("true_anomaly");
  }
  r.check(o.inclination >= 0.0 && o.inclination <= kPi, "inclination", "must be 0 to pi");
  r.finish();
  return o;
}

// The state vectors of the vessels placed by orbit, from their bodies.
void placeByOrbit(const Scenario& s, VesselEntry& v) {
  if (!v.orbit) return;
  const auto body = std::find_if(s.bodies.begin(), s.bodies.end(),
                                 [&](const BodyEntry& b) { return b.name == v.spec.body; });
  if (body == s.bodies.end()) return;  // named by checkNames already
  if (!(body->radius + v.orbit->periapsisAltitude > 0.0))
    throw ScenarioError(s.file, v.orbitPos,
                        "the periapsis lies at or below the centre of '" + body->name + "'");
  const StateVector state = stateFromOrbit(*v.orbit, body->mu, body->radius);
  v.spec.position = state.position;
  v.spec.velocity = state.velocity;
}

}  // namespace

VesselEntry readVessel(const TomlValue& t, const TomlDocument& doc, const std::string& what) {
  TableReader r(t, doc, what);
  VesselEntry e;
  halcyra::VesselSpec& v = e.spec;
  e.pos = r.tablePos();
  v.name = r.required(r.string("name"), "name");
  r.check(!v.name.empty(), "name", "must not be empty");
  if (auto c = r.string("class")) v.vesselClass = *c;
  e.classPos = r.valuePos("class");
  v.body = r.required(r.string("body"), "body");
  e.bodyPos = r.valuePos("body");
  if (r.has("orbit")) {
    for (const char* k : {"position", "velocity"})
      if (r.has(k))
        r.fail(r.valuePos(k), "'" + std::string(k) + "' and 'orbit' exclude each other");
    e.orbitPos = r.valuePos("orbit");
    e.orbit = readOrbit(*r.node("orbit"), doc);
    e.positionPos = e.orbitPos;
  } else {
    v.position = r.required(r.vector("position"), "position");
    e.positionPos = r.valuePos("position");
    v.velocity = r.required(r.vector("velocity"), "velocity");
  }
  v.orientation = r.vector("orientation").value_or(VECTOR3{});
  v.angularVelocity = r.vector("angular_velocity").value_or(VECTOR3{});
  v.dryMass = r.number("dry_mass");
  r.check(!v.dryMass || *v.dryMass > 0.0, "dry_mass", "must be positive");
  v.propellant = r.number("propellant");
  r.check(!v.propellant || *v.propellant >= 0.0, "propellant", "must not be negative");
  v.pmi = r.vector("pmi");
  r.check(!v.pmi || (v.pmi->x > 0.0 && v.pmi->y > 0.0 && v.pmi->z > 0.0), "pmi",
          "must be three positive numbers");
  if (auto d = r.integer("docks")) {
    r.check(*d >= 0 && *d <= 64, "docks", "must be 0 to 64");
    v.docks = int(*d);
  }
  if (auto b = r.string("base")) {
    v.base = *b;
    e.basePos = r.valuePos("base");
  }
  for (const TomlValue* th :
       tablesOf(r.node("thruster"), doc, "'thruster' in " + what + " must be an array of tables"))
    v.extraThrusters.push_back(readThruster(*th, doc));
  r.finish();
  return e;
}

Scenario parseScenario(std::string_view text, const std::string& file) {
  return parseScenario(TomlDocument(text, file));
}

Scenario parseScenario(const TomlDocument& doc) {
  Scenario s;
  s.file = doc.file();
  TableReader top(doc.root(), doc, "the scenario");
  const TomlValue* sections[7];
  const char* names[7] = {"sim", "body", "base", "vessel", "screen", "event", "expect"};
  for (int i = 0; i < 7; ++i) sections[i] = top.node(names[i]);
  top.finish();
  auto tables = [&](int i) {
    const std::string key = names[i];
    return tablesOf(sections[i], doc, "'" + key + "' must be an array of tables ([[" + key + "]])");
  };
  readSim(sections[0], doc, s);
  for (const TomlValue* t : tables(1)) s.bodies.push_back(readBody(*t, doc));
  for (const TomlValue* t : tables(2)) s.bases.push_back(readBase(*t, doc));
  for (const TomlValue* t : tables(3)) s.vessels.push_back(readVessel(*t, doc, "[[vessel]]"));
  for (const TomlValue* t : tables(4)) s.screens.push_back(readScreen(*t, doc));
  for (const TomlValue* t : tables(5)) s.events.push_back(readEvent(*t, doc));
  std::stable_sort(s.events.begin(), s.events.end(),
                   [](const Event& a, const Event& b) { return a.t < b.t; });
  for (const TomlValue* t : tables(6)) s.expectations.push_back(readExpectation(*t, doc, s.until));
  checkNames(s);  // conditional events too, as if at their 'after'
  const auto conditional = std::stable_partition(s.events.begin(), s.events.end(),
                                                 [](const Event& e) { return !e.trigger; });
  s.conditionalEvents.assign(conditional, s.events.end());
  s.events.erase(conditional, s.events.end());
  std::stable_sort(s.conditionalEvents.begin(), s.conditionalEvents.end(),
                   [](const Event& a, const Event& b) { return a.pos < b.pos; });
  checkExpectations(s);
  for (VesselEntry& v : s.vessels) placeByOrbit(s, v);
  for (Event& e : s.events)
    if (e.kind == EventKind::Spawn) placeByOrbit(s, e.spawn);
  return s;
}

}  // namespace sim
