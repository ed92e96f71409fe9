// The built-in vessel classes a scenario names: "generic" and "none".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/world.h"

namespace halcyra {

struct VesselClass {
  double dryMass = 0.0;     // [kg]
  double propellant = 0.0;  // [kg]
  VECTOR3 pmi{};            // mass-normalised principal moments [m^2]
  int docks = 0;
  std::vector<Thruster> thrusters;  // ids unset; the world issues them
};

// The class of that name, or nothing for an unknown name.
std::optional<VesselClass> builtInClass(const std::string& name);

}  // namespace halcyra
