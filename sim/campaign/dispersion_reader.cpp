// Reading [[dispersion]] tables and checking them against the base scenario.
#include <algorithm>
#include <array>
#include <set>

#include "host/vessel_classes.h"
#include "sim/campaign/dispersion.h"

namespace sim {
namespace {

enum class Shape { Rotation, Vector, Scalar, PerThruster };

struct QuantityInfo {
  const char* name;
  Quantity quantity;
  Shape shape;
};

constexpr std::array<QuantityInfo, 19> kQuantities{{
    {"orientation", Quantity::Orientation, Shape::Rotation},
    {"angular_velocity", Quantity::AngularVelocity, Shape::Vector},
    {"position", Quantity::Position, Shape::Vector},
    {"velocity", Quantity::Velocity, Shape::Vector},
    {"pmi", Quantity::Pmi, Shape::Vector},
    {"relative_position", Quantity::RelativePosition, Shape::Vector},
    {"relative_velocity", Quantity::RelativeVelocity, Shape::Vector},
    {"propellant", Quantity::Propellant, Shape::Scalar},
    {"dry_mass", Quantity::DryMass, Shape::Scalar},
    {"orbit.periapsis_altitude", Quantity::PeriapsisAltitude, Shape::Scalar},
    {"orbit.apoapsis_altitude", Quantity::ApoapsisAltitude, Shape::Scalar},
    {"orbit.inclination", Quantity::Inclination, Shape::Scalar},
    {"orbit.ascending_node", Quantity::AscendingNode, Shape::Scalar},
    {"orbit.argument_of_periapsis", Quantity::ArgumentOfPeriapsis, Shape::Scalar},
    {"orbit.true_anomaly", Quantity::TrueAnomaly, Shape::Scalar},
    {"thruster.max", Quantity::ThrusterMax, Shape::PerThruster},
    {"thruster.exhaust_speed", Quantity::ThrusterExhaustSpeed, Shape::PerThruster},
    {"t", Quantity::EventTime, Shape::Scalar},
    {"input", Quantity::EventInput, Shape::Scalar},
}};

const QuantityInfo& infoOf(Quantity q) {
  return *std::find_if(kQuantities.begin(), kQuantities.end(),
                       [&](const QuantityInfo& i) { return i.quantity == q; });
}

bool isEventQuantity(Quantity q) { return q == Quantity::EventTime || q == Quantity::EventInput; }
bool isRelative(Quantity q) {
  return q == Quantity::RelativePosition || q == Quantity::RelativeVelocity;
}
bool isOrbit(Quantity q) { return q >= Quantity::PeriapsisAltitude && q <= Quantity::TrueAnomaly; }
// Quantities that write the vessel's state vector.
bool setsState(Quantity q) {
  return q == Quantity::Position || q == Quantity::Velocity || isRelative(q);
}

bool isNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

std::vector<double> valuesOf(const VECTOR3& v) { return {v.x, v.y, v.z}; }

std::vector<double> orbitValue(const OrbitPlacement& o, Quantity q) {
  switch (q) {
    case Quantity::PeriapsisAltitude:
      return {o.periapsisAltitude};
    case Quantity::ApoapsisAltitude:
      return {o.apoapsisAltitude};
    case Quantity::Inclination:
      return {o.inclination};
    case Quantity::AscendingNode:
      return {o.ascendingNode};
    case Quantity::ArgumentOfPeriapsis:
      return {o.argumentOfPeriapsis};
    default:
      return {o.trueAnomaly};
  }
}

// The values add and scale work on (see Dispersion::baseValues).
std::vector<double> baseValuesOf(const Dispersion& d, const Scenario& base, double eventTime) {
  if (isEventQuantity(d.quantity)) return {eventTime};
  const halcyra::VesselSpec& v = base.vessels[d.vessel].spec;
  const halcyra::VesselClass cls = *halcyra::builtInClass(v.vesselClass);
  std::vector<halcyra::Thruster> thrusters = cls.thrusters;
  thrusters.insert(thrusters.end(), v.extraThrusters.begin(), v.extraThrusters.end());
  std::vector<double> out;
  switch (d.quantity) {
    case Quantity::Orientation:
      return valuesOf(v.orientation);
    case Quantity::AngularVelocity:
      return valuesOf(v.angularVelocity);
    case Quantity::Position:
      return valuesOf(v.position);
    case Quantity::Velocity:
      return valuesOf(v.velocity);
    case Quantity::Pmi:
      return valuesOf(v.pmi.value_or(cls.pmi));
    case Quantity::RelativePosition:
      return valuesOf(base.vessels[d.other].spec.position);
    case Quantity::RelativeVelocity:
      return valuesOf(base.vessels[d.other].spec.velocity);
    case Quantity::Propellant:
      return {v.propellant.value_or(cls.propellant)};
    case Quantity::DryMass:
      return {v.dryMass.value_or(cls.dryMass)};
    case Quantity::ThrusterMax:
      for (const halcyra::Thruster& t : thrusters) out.push_back(t.max);
      return out;
    case Quantity::ThrusterExhaustSpeed:
      for (const halcyra::Thruster& t : thrusters) out.push_back(t.exhaustSpeed);
      return out;
    default:
      return orbitValue(*base.vessels[d.vessel].orbit, d.quantity);
  }
}

size_t vesselIndex(TableReader& r, const char* key, const Scenario& base) {
  const std::string name = r.required(r.string(key), key);
  for (size_t i = 0; i < base.vessels.size(); ++i)
    if (base.vessels[i].spec.name == name) return i;
  std::string known;
  for (const VesselEntry& v : base.vessels) known += (known.empty() ? "" : ", ") + v.spec.name;
  r.fail(r.valuePos(key), "unknown vessel '" + name + "' (the scenario's vessels: " + known + ")");
}

Dispersion readOne(const TomlValue& t, const TomlDocument& doc, const Scenario& base,
                   const TomlDocument& baseDoc) {
  TableReader r(t, doc, "[[dispersion]]");
  Dispersion d;
  d.pos = r.tablePos();
  d.name = r.required(r.string("name"), "name");
  r.check(!d.name.empty() && std::all_of(d.name.begin(), d.name.end(), isNameChar), "name",
          "must be letters, digits, '_' and '-'");
  d.nameHash = fnv1a64(d.name);

  const std::string quantity = r.required(r.string("quantity"), "quantity");
  const auto info = std::find_if(kQuantities.begin(), kQuantities.end(),
                                 [&](const QuantityInfo& i) { return quantity == i.name; });
  if (info == kQuantities.end()) {
    std::string known;
    for (const QuantityInfo& i : kQuantities)
      known += (known.empty() ? "" : ", ") + std::string(i.name);
    r.fail(r.valuePos("quantity"), "unknown quantity '" + quantity + "' (" + known + ")");
  }
  d.quantity = info->quantity;
  const Shape shape = info->shape;

  // What the dispersion acts on: a vessel, or an event.
  double eventTime = 0.0;
  if (isEventQuantity(d.quantity)) {
    if (r.has("vessel"))
      r.fail(r.valuePos("vessel"), "'" + quantity + "' is an event's: give 'event'");
    const int64_t event = r.required(r.integer("event"), "event");
    const TomlValue* events =
        baseDoc.root().as_table().count("event") ? &baseDoc.root().as_table().at("event") : nullptr;
    const size_t count = events && events->is_array() ? events->as_array().size() : 0;
    r.check(event >= 0 && size_t(event) < count, "event",
            "must be an [[event]] of the scenario, 0 to " + std::to_string(count) +
                " - 1 in file order");
    d.event = size_t(event);
    const TomlValue& e = events->as_array()[d.event];
    const bool conditional = e.as_table().count("when") != 0;
    if (d.quantity == Quantity::EventTime)
      r.check(!conditional, "event", "is a conditional event: it has no 't' to disperse");
    if (d.quantity == Quantity::EventInput)
      r.check(e.as_table().count("input") != 0, "event", "is not an input event");
    // Its time: the parsed event at that table's place.
    const SourcePos at = baseDoc.positionOf(e);
    for (const auto* list : {&base.events, &base.conditionalEvents})
      for (const Event& ev : *list)
        if (ev.pos.line == at.line && ev.pos.column == at.column) eventTime = ev.t;
  } else {
    if (r.has("event"))
      r.fail(r.valuePos("event"), "'" + quantity + "' is a vessel's: give 'vessel'");
    d.vessel = vesselIndex(r, "vessel", base);
    const VesselEntry& v = base.vessels[d.vessel];
    if (isOrbit(d.quantity) && !v.orbit)
      r.fail(r.valuePos("quantity"), "vessel '" + v.spec.name + "' is not placed by 'orbit'");
    if (isRelative(d.quantity)) {
      d.other = vesselIndex(r, "relative_to", base);
      r.check(d.other != d.vessel, "relative_to", "must name another vessel");
    } else if (r.has("relative_to")) {
      r.fail(r.valuePos("relative_to"),
             "'relative_to' goes with relative_position and relative_velocity");
    }
    d.thrusters =
        halcyra::builtInClass(v.spec.vesselClass)->thrusters.size() + v.spec.extraThrusters.size();
    if (shape == Shape::PerThruster && d.thrusters == 0)
      r.fail(r.valuePos("vessel"), "vessel '" + v.spec.name + "' has no thrusters");
  }

  if (auto a = r.string("apply")) {
    if (*a == "add")
      d.apply = Apply::Add;
    else if (*a == "scale")
      d.apply = Apply::Scale;
    else
      r.check(*a == "set", "apply", "must be \"set\", \"add\" or \"scale\"");
    const bool onlySet =
        shape == Shape::Rotation || isRelative(d.quantity) || d.quantity == Quantity::EventInput;
    r.check(!onlySet || d.apply == Apply::Set, "apply",
            "must be \"set\" for '" + quantity + "' (it has no value to add to or scale)");
  }
  if (auto decimals = r.integer("decimals")) {
    r.check(d.quantity == Quantity::EventInput, "decimals", "goes with quantity 'input' only");
    r.check(*decimals >= 0 && *decimals <= 17, "decimals", "must be 0 to 17");
    d.decimals = int(*decimals);
  }

  const std::string scalarKeys = std::string("a distribution (") + kDistributionKeys + ")";
  auto refuseKeys = [&](std::initializer_list<const char*> keys, const std::string& why) {
    for (const char* k : keys)
      if (r.has(k)) r.fail(r.valuePos(k), "'" + std::string(k) + "' " + why);
  };
  auto innerDistribution = [&](const char* key) {
    const TomlValue& n = *r.node(key);
    if (!n.is_table())
      doc.fail(n, "'" + std::string(key) + "' must be a table holding " + scalarKeys);
    TableReader inner(n, doc, key);
    const std::optional<Distribution> dist = readDistribution(inner);
    if (!dist) inner.fail(inner.tablePos(), "'" + std::string(key) + "' needs " + scalarKeys);
    inner.finish();
    return *dist;
  };
  switch (shape) {
    case Shape::Rotation: {
      refuseKeys({"uniform", "normal", "lognormal", "choice", "each", "direction", "magnitude"},
                 "does not apply to an orientation: give rotation = \"uniform\" or \"cone\"");
      const std::string rotation = r.required(r.string("rotation"), "rotation");
      d.coneRotation = rotation == "cone";
      r.check(d.coneRotation || rotation == "uniform", "rotation",
              "must be \"uniform\" or \"cone\"");
      if (d.coneRotation) {
        d.coneSigma = r.required(r.number("sigma"), "sigma");
        r.check(d.coneSigma > 0.0, "sigma", "must be positive");
      }
      break;
    }
    case Shape::Vector:
      refuseKeys({"uniform", "normal", "lognormal", "choice"},
                 "is a scalar distribution, and '" + quantity +
                     "' a vector: give 'each' or 'direction' and 'magnitude'");
      if (r.has("each")) {
        refuseKeys({"direction", "magnitude"}, "and 'each' exclude each other");
        d.dist = innerDistribution("each");
      } else {
        const std::string direction = r.required(r.string("direction"), "direction");
        r.check(direction == "uniform", "direction", "must be \"uniform\"");
        d.uniformDirection = true;
        if (!r.has("magnitude")) r.fail(r.tablePos(), "[[dispersion]] needs 'magnitude'");
        d.dist = innerDistribution("magnitude");
      }
      break;
    case Shape::Scalar:
    case Shape::PerThruster: {
      refuseKeys({"each", "direction", "magnitude"},
                 "is a vector's, and '" + quantity + "' a scalar: give " + scalarKeys);
      const std::optional<Distribution> dist = readDistribution(r);
      if (!dist) r.fail(r.tablePos(), "[[dispersion]] needs " + scalarKeys);
      d.dist = *dist;
      break;
    }
  }
  r.finish();
  d.baseValues = baseValuesOf(d, base, eventTime);
  return d;
}

}  // namespace

std::string quantityName(Quantity q) { return infoOf(q).name; }

std::vector<Dispersion> readDispersions(const TomlValue* tables, const TomlDocument& doc,
                                        const Scenario& base, const TomlDocument& baseDoc) {
  std::vector<Dispersion> out;
  if (!tables) return out;
  if (!tables->is_array())
    doc.fail(*tables, "'dispersion' must be an array of tables ([[dispersion]])");
  std::set<std::string> names;
  for (const TomlValue& t : tables->as_array()) {
    if (!t.is_table()) doc.fail(t, "'dispersion' must be an array of tables ([[dispersion]])");
    Dispersion d = readOne(t, doc, base, baseDoc);
    if (!names.insert(d.name).second)
      throw ScenarioError(doc.file(), d.pos, "a second dispersion named '" + d.name + "'");
    out.push_back(std::move(d));
  }
  // A relative state is taken from the other vessel's scenario state, which
  // must then not be drawn itself; and a vessel's state is either its orbit's
  // or a state vector.
  for (const Dispersion& d : out) {
    if (isEventQuantity(d.quantity)) continue;
    for (const Dispersion& e : out) {
      if (isEventQuantity(e.quantity)) continue;
      const std::string vessel = base.vessels[d.vessel].spec.name;
      if (isRelative(d.quantity) && e.vessel == d.other &&
          (setsState(e.quantity) || isOrbit(e.quantity)))
        throw ScenarioError(doc.file(), d.pos,
                            "dispersion '" + d.name + "' places '" + vessel + "' relative to '" +
                                base.vessels[d.other].spec.name + "', whose state '" + e.name +
                                "' disperses too");
      if (isOrbit(d.quantity) && e.vessel == d.vessel && setsState(e.quantity))
        throw ScenarioError(doc.file(), e.pos,
                            "dispersion '" + e.name + "' writes the state vector of '" + vessel +
                                "', whose orbit '" + d.name + "' disperses");
    }
  }
  return out;
}

std::vector<std::string> dispersionColumns(const Dispersion& d) {
  const QuantityInfo& info = infoOf(d.quantity);
  switch (info.shape) {
    case Shape::Rotation:
      return {d.name + ".alpha", d.name + ".beta", d.name + ".gamma", d.name + ".angle"};
    case Shape::Vector:
      return {d.name + ".x", d.name + ".y", d.name + ".z"};
    case Shape::Scalar:
      return {d.name};
    case Shape::PerThruster: {
      std::vector<std::string> out;
      for (size_t i = 0; i < d.thrusters; ++i) out.push_back(d.name + "." + std::to_string(i));
      return out;
    }
  }
  return {};
}

}  // namespace sim
