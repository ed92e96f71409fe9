// A small installed world for the host tests: Earth, a base on it, and two
// vessels of class "generic" in low orbit, the first one focused.
#pragma once

#include <gtest/gtest.h>

#include "host/world.h"

namespace halcyra {

constexpr double kEarthMu = 3.986e14;       // [m^3/s^2]
constexpr double kEarthRadius = 6371010.0;  // [m]

class EarthWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    world = std::make_unique<World>();
    World::install(world.get());
    earth = world->addBody("Earth", kEarthMu, kEarthRadius, {0, 0, 0});
    cape = world->addBase("Cape Ridge", "Earth", {kEarthRadius, 0, 0});
    VesselSpec gyre;
    gyre.name = "Gyre-1";
    gyre.body = "Earth";
    gyre.position = {6671010.0, 0, 0};
    gyre.velocity = {0, 7730.0, 0};
    gyre.base = "Cape Ridge";
    gyre1 = world->addVessel(gyre);
    VesselSpec tender = gyre;
    tender.name = "Tender";
    tender.position = {6671010.0, 100.0, 0};
    tender.velocity = {0, 7731.0, 2.0};
    tender.base.clear();
    tenderId = world->addVessel(tender);
    world->setFocus(gyre1);
  }
  void TearDown() override {
    world.reset();  // uninstalls itself
  }

  VESSEL* iface(ObjectId id) { return world->vessel(id)->iface.get(); }

  std::unique_ptr<World> world;
  ObjectId earth = 0, cape = 0, gyre1 = 0, tenderId = 0;
};

}  // namespace halcyra
