// A still world for the control laws: a light body (no noticeable gravity) and
// vessels built thruster by thruster, with the module's code linked in and
// pointed at the world's focus vessel.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "vessel/trim_selection.h"
#include "vessel/vessel_control.h"
#include "host/world.h"
#include "mfd/gyrelle_mfd.h"
#include "state/module_state.h"

namespace control_test {

constexpr double kRadPerDeg = 0.017453292519943278;  // pi/180 with pi = 3.14159265358979
constexpr double kShortStep = 0.02;  // [s] a 50 Hz host step, well inside the laws' time constants

inline halcyra::Thruster thruster(int group, VECTOR3 position, VECTOR3 direction, double max) {
  halcyra::Thruster t;
  t.group = group;
  t.position = position;
  t.direction = direction;
  t.max = max;
  return t;
}

class ControlWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    world = std::make_unique<halcyra::World>();
    halcyra::World::install(world.get());
    world->addBody("Earth", 1.0, 1.0, VECTOR3{0, 0, 0});
  }
  void TearDown() override {
    mfd.reset();
    second.reset();
    resetModuleState();
    world.reset();
    halcyra::World::install(nullptr);
  }

  // A vessel of no class with the given thrusters, mass [kg] and no propellant.
  halcyra::ObjectId addVessel(const std::string& name, std::vector<halcyra::Thruster> thrusters,
                              double mass = 20000.0, VECTOR3 position = VECTOR3{1000, 0, 0},
                              int docks = 0) {
    halcyra::VesselSpec spec;
    spec.name = name;
    spec.vesselClass = "none";
    spec.body = "Earth";
    spec.position = position;
    spec.dryMass = mass;
    spec.propellant = 0.0;
    spec.pmi = VECTOR3{1.0, 1.0, 1.0};
    spec.docks = docks;
    spec.extraThrusters = std::move(thrusters);
    return world->addVessel(spec);
  }

  VESSEL* iface(halcyra::ObjectId id) { return world->vessel(id)->iface.get(); }

  // Focuses the vessel and builds an instance on it directly (not through the
  // library), so that its record and the module's storage can be set at will.
  void focusWithInstance(halcyra::ObjectId id) {
    world->setFocus(id);
    mfd = std::make_unique<GyrelleMFD>(256, 280, iface(id));
  }

  // Net levels as the host runs them: raising group minus lowering group.
  double rotLevel(halcyra::ObjectId id, int axis) {
    static const int raise[3] = {3, 6, 8}, lower[3] = {4, 5, 7};
    const auto& g = world->vessel(id)->groupLevel;
    return g[raise[axis]] - g[lower[axis]];
  }
  double linLevel(halcyra::ObjectId id, int axis) {
    const auto& g = world->vessel(id)->groupLevel;
    return g[9 + 2 * axis] - g[10 + 2 * axis];
  }
  double engineLevel(halcyra::ObjectId id, int engine) {
    return world->vessel(id)->groupLevel[engine];
  }
  void setRate(halcyra::ObjectId id, int axis, double rate) {  // [rad/s]
    world->vessel(id)->angVel[axis] = rate;
  }

  std::unique_ptr<halcyra::World> world;
  std::unique_ptr<GyrelleMFD> mfd;
  std::unique_ptr<GyrelleMFD> second;
};

}  // namespace control_test
