// The real libgyrelle.so flying the fixture world: a target vessel near the
// focus vessel, the host's steps with the module's update after each, and the
// levels and propellant the host runs.
#pragma once

#include <string>

#include "support/world_fixture.h"

namespace gyrelle_test {

// Scan codes of the keys the tests press (PC set 1).
constexpr uint32_t kScan1 = 2, kScan3 = 4, kScan4 = 5, kScanH = 35, kScanN = 49, kScanP = 25,
                   kScanB = 48, kScanT = 20, kScanM = 50, kScanSpace = 57, kScanPad5 = 76,
                   kScanPad8 = 72;

class FlightFixture : public WorldFixture {
 protected:
  // A vessel 300 m off the focus vessel's nose and 100 m below, drifting
  // against it on every axis, so that both the hold and the trim have work.
  halcyra::ObjectId addDriftingTarget(const std::string& name = "Tender") {
    const halcyra::ObjectId id = addVessel(name, VECTOR3{kOrbitRadius - 100.0, 40.0, 300.0});
    world->vessel(id)->velocity = world->vessel(vessel)->velocity + VECTOR3{0.4, -0.3, 0.5};
    return id;
  }

  // seconds of flight in steps of dt [s]: the host's step, then the module's update.
  void fly(double seconds, double dt = 0.1) {
    const int steps = static_cast<int>(seconds / dt + 0.5);
    for (int i = 0; i < steps; ++i) {
      world->step(dt);
      loader->postStep(simTime, dt, 0.0);
      simTime += dt;
    }
  }

  // Sum of the absolute group levels of a vessel: zero when nothing fires.
  double firing(halcyra::ObjectId id) {
    double sum = 0.0;
    for (double level : world->vessel(id)->groupLevel) sum += level < 0.0 ? -level : level;
    return sum;
  }
  double rotationFiring(halcyra::ObjectId id) {
    double sum = 0.0;
    for (int g = THGROUP_PITCH_RAISE; g <= THGROUP_ROLL_RAISE; ++g)
      sum += world->vessel(id)->groupLevel[g];
    return sum;
  }
  double propellant(halcyra::ObjectId id) { return world->vessel(id)->propellant; }

  // Mode 3 on the nearest other object with the hold and the all-axes trim on.
  void holdAndTrimOnTarget(size_t screen) {
    ASSERT_TRUE(world->pressKey(screen, kScan3));
    ASSERT_TRUE(world->pressKey(screen, kScanH));
    ASSERT_TRUE(world->pressKey(screen, kScanPad5));
  }

  double simTime = 0.0;  // [s]
};

}  // namespace gyrelle_test
