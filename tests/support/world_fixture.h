// A stand-in host world with Earth, a base and a vessel in low orbit, for
// tests that drive the module. Installs itself as the current world.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "host/world.h"
#include "support/test_paths.h"

namespace gyrelle_test {

constexpr double kEarthMu = 3.986e14;       // [m^3/s^2]
constexpr double kEarthRadius = 6371010.0;  // [m]
constexpr double kOrbitRadius = 6771010.0;  // 400 km [m]

class WorldFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    world = std::make_unique<halcyra::World>();
    halcyra::World::install(world.get());
    earth = world->addBody("Earth", kEarthMu, kEarthRadius, VECTOR3{0, 0, 0});
    base = world->addBase("Cape Ridge", "Earth", VECTOR3{kEarthRadius, 0, 0});
    vessel = addVessel("Gyre-1", VECTOR3{kOrbitRadius, 0, 0});
    world->setFocus(vessel);
  }
  void TearDown() override {
    loader.reset();
    world.reset();
    halcyra::World::install(nullptr);
  }

  halcyra::ObjectId addVessel(const std::string& name, const VECTOR3& position,
                              const VECTOR3& orientation = VECTOR3{0, 0, 0}) {
    halcyra::VesselSpec spec;
    spec.name = name;
    spec.body = "Earth";
    spec.position = position;
    spec.velocity = VECTOR3{0, 7672.6, 0};
    spec.orientation = orientation;
    spec.base = "Cape Ridge";
    return world->addVessel(spec);
  }

  // Loads the real libgyrelle.so and shows its mode on a new screen.
  size_t loadModuleWithScreen(uint32_t width = 256, uint32_t height = 280) {
    if (!loader)
      loader = std::make_unique<halcyra::ModuleLoader>(testsupport::envPath("GYRELLE_MODULE_PATH"));
    const size_t screen = world->addScreen(width, height);
    EXPECT_TRUE(world->setScreenMode(screen, "Gyrelle"));
    return screen;
  }

  VESSEL& focus() { return *world->vessel(vessel)->iface; }

  std::unique_ptr<halcyra::World> world;
  std::unique_ptr<halcyra::ModuleLoader> loader;
  halcyra::ObjectId earth = 0;
  halcyra::ObjectId base = 0;
  halcyra::ObjectId vessel = 0;
};

}  // namespace gyrelle_test
