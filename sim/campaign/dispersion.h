// A campaign's [[dispersion]] table: which value of the base scenario a run
// draws anew, and from what. Format: scenarios/README.md, "Campaigns".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/campaign/distribution.h"
#include "sim/scenario/scenario.h"
#include "sim/scenario/toml_reader.h"

namespace sim {

enum class Quantity {
  Orientation,      // rotation
  AngularVelocity,  // vectors ...
  Position,
  Velocity,
  Pmi,
  RelativePosition,  // ... of a vessel placed at another's state plus the draw
  RelativeVelocity,
  Propellant,  // scalars ...
  DryMass,
  PeriapsisAltitude,  // ... of an orbit
  ApoapsisAltitude,
  Inclination,
  AscendingNode,
  ArgumentOfPeriapsis,
  TrueAnomaly,
  ThrusterMax,  // one scalar per thruster
  ThrusterExhaustSpeed,
  EventTime,  // an event's scalars
  EventInput,
};

enum class Apply { Set, Add, Scale };

struct Dispersion {
  std::string name;
  uint64_t nameHash = 0;  // fnv1a64(name): the draws' stream
  Quantity quantity = Quantity::Propellant;
  Apply apply = Apply::Set;
  size_t vessel = 0;     // the base scenario's [[vessel]] table (file order)
  size_t other = 0;      // relative_to, for the relative quantities
  size_t event = 0;      // the [[event]] table (file order), for the event quantities
  size_t thrusters = 0;  // the vessel's thrusters, its class's and then its own
  // A scalar's distribution; a vector's component (`each`) or magnitude.
  Distribution dist;
  bool uniformDirection = false;  // a vector: a uniform direction times dist
  bool coneRotation = false;      // an orientation: turned by normal(0, coneSigma) components
  double coneSigma = 0.0;         // [rad]
  int decimals = 3;               // an event's typed input
  // The base scenario's value that add and scale work on: a scalar's one, a
  // vector's three, an orientation's angles, one per thruster; for the
  // relative quantities the other vessel's placed position or velocity.
  std::vector<double> baseValues;
  SourcePos pos;
};

// The dispersions of a campaign file, in file order, checked against the base
// scenario (read from baseDoc). Throws ScenarioError at what is wrong.
std::vector<Dispersion> readDispersions(const TomlValue* tables, const TomlDocument& doc,
                                        const Scenario& base, const TomlDocument& baseDoc);

// The quantity's name in a campaign file ("orbit.inclination").
std::string quantityName(Quantity q);

// The dispersion's runs.csv columns.
std::vector<std::string> dispersionColumns(const Dispersion& d);

// The dispersion's drawn values in one run, as its columns. Orientation: the
// vessel's new (alpha, beta, gamma) [rad] and its angle from the scenario's
// attitude [rad]; an event's input: the number as typed.
std::vector<double> drawDispersion(const Dispersion& d, uint64_t runSeed);

// Writes drawn values (as drawDispersion gives them) into root, a copy of
// the base scenario's document.
void applyDispersion(const Dispersion& d, const std::vector<double>& drawn, const Scenario& base,
                     TomlValue& root);

// The text an input event types for a drawn number.
std::string typedNumber(double value, int decimals);

}  // namespace sim
