// A run's drawn values written into its copy of the base scenario's document,
// where the scenario reader then finds them as if they had been typed there.
//
// - A vessel placed by orbit whose position or velocity is drawn is written
//   with its placed state vector instead (the very doubles placement gave).
// - A circular orbit (altitude = ...) whose element is drawn is written with
//   its six elements.
// - A vessel whose thrusters are drawn is written with class "none" and every
//   thruster spelt out, its class's first (in the class's order, as the world
//   issues them) and then its own; the masses, moments and ports it took from
//   its class are written too.
// - A vessel placed relative to another is written on the other's body, at
//   the other's placed state plus the drawn vector (global axes).
#include <charconv>

#include "host/vessel_classes.h"
#include "sim/campaign/dispersion.h"

namespace sim {
namespace {

using Table = TomlValue::table_type;
using Array = TomlValue::array_type;

TomlValue vectorValue(const VECTOR3& v) {
  Array a;
  a.emplace_back(v.x);
  a.emplace_back(v.y);
  a.emplace_back(v.z);
  return TomlValue(std::move(a));
}

Table& tableAt(TomlValue& root, const char* section, size_t i) {
  return root.as_table().at(section).as_array().at(i).as_table();
}

const BodyEntry& bodyOf(const Scenario& s, const std::string& name) {
  for (const BodyEntry& b : s.bodies)
    if (b.name == name) return b;
  return s.bodies.front();  // every vessel's body is one of the scenario's (checkNames)
}

// Replaces an orbit by the placed state vector.
void writeStateVector(Table& vessel, const VesselEntry& base) {
  if (vessel.erase("orbit") == 0) return;
  vessel["position"] = vectorValue(base.spec.position);
  vessel["velocity"] = vectorValue(base.spec.velocity);
}

// Moves the vessel's state vector to other's body (bodies stand still).
void moveToBodyOf(Table& vessel, const VesselEntry& base, const VesselEntry& other,
                  const Scenario& s) {
  if (vessel.at("body").as_string().str == other.spec.body) return;
  const VECTOR3 shift = bodyOf(s, base.spec.body).position - bodyOf(s, other.spec.body).position;
  vessel["position"] = vectorValue(base.spec.position + shift);
  vessel["body"] = TomlValue(other.spec.body);
}

void writeFullOrbit(Table& vessel, const OrbitPlacement& o) {
  Table& orbit = vessel.at("orbit").as_table();
  if (orbit.count("altitude") == 0) return;
  Table full;
  full["periapsis_altitude"] = TomlValue(o.periapsisAltitude);
  full["apoapsis_altitude"] = TomlValue(o.apoapsisAltitude);
  full["inclination"] = TomlValue(o.inclination);
  full["ascending_node"] = TomlValue(o.ascendingNode);
  full["argument_of_periapsis"] = TomlValue(o.argumentOfPeriapsis);
  full["true_anomaly"] = TomlValue(o.trueAnomaly);
  vessel["orbit"] = TomlValue(std::move(full));
}

const char* orbitKey(Quantity q) {
  switch (q) {
    case Quantity::PeriapsisAltitude:
      return "periapsis_altitude";
    case Quantity::ApoapsisAltitude:
      return "apoapsis_altitude";
    case Quantity::Inclination:
      return "inclination";
    case Quantity::AscendingNode:
      return "ascending_node";
    case Quantity::ArgumentOfPeriapsis:
      return "argument_of_periapsis";
    default:
      return "true_anomaly";
  }
}

TomlValue thrusterTable(const halcyra::Thruster& t) {
  Table th;
  th["group"] = TomlValue(toml::integer(t.group));
  th["position"] = vectorValue(t.position);
  th["direction"] = vectorValue(t.direction);
  th["max"] = TomlValue(t.max);
  th["exhaust_speed"] = TomlValue(t.exhaustSpeed);
  return TomlValue(std::move(th));
}

// The vessel's thrusters as its own [[vessel.thruster]] tables, class "none".
Array& spellOutThrusters(Table& vessel, const VesselEntry& base) {
  const halcyra::VesselSpec& spec = base.spec;
  // Spelt out already when an earlier dispersion drew the other thruster figure.
  const bool spelt = vessel.count("class") && vessel.at("class").as_string().str == "none";
  if (!spelt) {
    const halcyra::VesselClass cls = *halcyra::builtInClass(spec.vesselClass);
    Array thrusters;
    for (const halcyra::Thruster& t : cls.thrusters) thrusters.push_back(thrusterTable(t));
    if (vessel.count("thruster"))
      for (TomlValue& own : vessel.at("thruster").as_array()) thrusters.push_back(std::move(own));
    vessel["thruster"] = TomlValue(std::move(thrusters));
    vessel["class"] = TomlValue("none");
    if (!spec.dryMass) vessel["dry_mass"] = TomlValue(cls.dryMass);
    if (!spec.propellant) vessel["propellant"] = TomlValue(cls.propellant);
    if (!spec.pmi) vessel["pmi"] = vectorValue(cls.pmi);
    if (!spec.docks) vessel["docks"] = TomlValue(toml::integer(cls.docks));
  }
  return vessel.at("thruster").as_array();
}

}  // namespace

std::string typedNumber(double value, int decimals) {
  char text[400];  // the longest double in fixed notation with 17 decimals fits
  const auto [end, ec] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return ec == std::errc() ? std::string(text, end) : std::string();
}

void applyDispersion(const Dispersion& d, const std::vector<double>& drawn, const Scenario& base,
                     TomlValue& root) {
  // The value written: the draw itself, or added to / scaling the scenario's.
  auto value = [&](size_t i) {
    switch (d.apply) {
      case Apply::Add:
        return d.baseValues[i] + drawn[i];
      case Apply::Scale:
        return d.baseValues[i] * drawn[i];
      default:
        return drawn[i];
    }
  };
  auto vector = [&] { return VECTOR3{value(0), value(1), value(2)}; };

  if (d.quantity == Quantity::EventTime) {
    tableAt(root, "event", d.event)["t"] = TomlValue(value(0));
    return;
  }
  if (d.quantity == Quantity::EventInput) {
    tableAt(root, "event", d.event)["input"] = TomlValue(typedNumber(drawn[0], d.decimals));
    return;
  }
  Table& vessel = tableAt(root, "vessel", d.vessel);
  const VesselEntry& entry = base.vessels[d.vessel];
  switch (d.quantity) {
    case Quantity::Orientation:
      vessel["orientation"] = vectorValue({drawn[0], drawn[1], drawn[2]});
      break;
    case Quantity::AngularVelocity:
      vessel["angular_velocity"] = vectorValue(vector());
      break;
    case Quantity::Pmi:
      vessel["pmi"] = vectorValue(vector());
      break;
    case Quantity::Position:
    case Quantity::Velocity:
      writeStateVector(vessel, entry);
      vessel[d.quantity == Quantity::Position ? "position" : "velocity"] = vectorValue(vector());
      break;
    case Quantity::RelativePosition:
    case Quantity::RelativeVelocity: {
      const VesselEntry& other = base.vessels[d.other];
      writeStateVector(vessel, entry);
      moveToBodyOf(vessel, entry, other, base);
      const VECTOR3 otherState{d.baseValues[0], d.baseValues[1], d.baseValues[2]};
      const VECTOR3 offset{drawn[0], drawn[1], drawn[2]};
      vessel[d.quantity == Quantity::RelativePosition ? "position" : "velocity"] =
          vectorValue(otherState + offset);
      break;
    }
    case Quantity::Propellant:
      vessel["propellant"] = TomlValue(value(0));
      break;
    case Quantity::DryMass:
      vessel["dry_mass"] = TomlValue(value(0));
      break;
    case Quantity::ThrusterMax:
    case Quantity::ThrusterExhaustSpeed: {
      Array& thrusters = spellOutThrusters(vessel, entry);
      const char* key = d.quantity == Quantity::ThrusterMax ? "max" : "exhaust_speed";
      for (size_t i = 0; i < d.thrusters; ++i)
        thrusters.at(i).as_table()[key] = TomlValue(value(i));
      break;
    }
    default:  // an orbit's element
      writeFullOrbit(vessel, *entry.orbit);
      vessel.at("orbit").as_table()[orbitKey(d.quantity)] = TomlValue(value(0));
      break;
  }
}

}  // namespace sim
