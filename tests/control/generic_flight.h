// The "generic" vessel and a beacon in a world without noticeable gravity,
// flown by the real libgyrelle.so the host's way: a step of the dynamics, then
// the module's per-step callback, at a host step of the test's choosing.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "host/world.h"
#include "mfd/gyrelle_mfd.h"
#include "support/test_paths.h"

namespace control_test {

class GenericFlight : public ::testing::Test {
 protected:
  // A new world: the vessel (focus) and the beacon at the given places, one screen
  // in the Gyrelle mode, flown at steps of stepLength [s].
  void build(double stepLength, const VECTOR3& shipPosition, const VECTOR3& shipOrientation,
             const VECTOR3& beaconPosition) {
    TearDown();
    hostStep = stepLength;
    steps = 0;
    world = std::make_unique<halcyra::World>();
    halcyra::World::install(world.get());
    world->addBody("Earth", 1.0, 1.0, VECTOR3{0, 0, 0});  // mu 1 m^3/s^2: no noticeable gravity
    halcyra::VesselSpec spec;
    spec.name = "Gyre";
    spec.body = "Earth";
    spec.position = shipPosition;
    spec.orientation = shipOrientation;
    ship = world->addVessel(spec);
    halcyra::VesselSpec beacon;
    beacon.name = "Beacon";
    beacon.vesselClass = "none";
    beacon.body = "Earth";
    beacon.position = beaconPosition;
    target = world->addVessel(beacon);
    world->setFocus(ship);
    loader = std::make_unique<halcyra::ModuleLoader>(testsupport::envPath("GYRELLE_MODULE_PATH"));
    world->addScreen(256, 280);
    ASSERT_TRUE(world->setScreenMode(0, "Gyrelle"));
    mfd = static_cast<GyrelleMFD*>(world->screen(0).instance);
  }
  void TearDown() override {
    loader.reset();
    world.reset();
    halcyra::World::install(nullptr);
  }

  // One host step; false (and a test failure) once a state is no longer finite.
  bool flyStep() {
    const bool finite = world->step(hostStep) == 0;
    EXPECT_TRUE(finite) << "state no longer finite at " << steps * hostStep << " s";
    ++steps;
    loader->postStep(double(steps) * hostStep, hostStep, 0.0);
    return finite;
  }
  void fly(double seconds) {
    const long last = steps + std::lround(seconds / hostStep);
    while (steps < last && flyStep()) {
    }
  }
  halcyra::Vessel& vessel() { return *world->vessel(ship); }

  std::unique_ptr<halcyra::World> world;
  std::unique_ptr<halcyra::ModuleLoader> loader;
  GyrelleMFD* mfd = nullptr;
  halcyra::ObjectId ship = 0, target = 0;
  double hostStep = 0.02;  // [s]
  long steps = 0;
};

}  // namespace control_test
