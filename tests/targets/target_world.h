// A still world for the target list: a light body at the origin and vessels
// of no class placed along +x, so that each one's distance from the focus
// vessel is exact. The module's code is linked in; the instance is built directly.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/world.h"
#include "mfd/gyrelle_mfd.h"
#include "state/module_state.h"
#include "targets/target_commands.h"

namespace target_test {

constexpr double kFocusX = 1000.0;  // [m] the focus vessel's x; the body is this far

class TargetWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    world = std::make_unique<halcyra::World>();
    halcyra::World::install(world.get());
    earth = world->addBody("Earth", 1.0, 1.0, VECTOR3{0, 0, 0});
    pad = world->addBase("Pad", "Earth", VECTOR3{1.0, 0, 0});
    focus = addVessel("Focus", 0.0, "Pad");
    world->setFocus(focus);
  }
  void TearDown() override {
    mfd.reset();
    resetModuleState();
    world.reset();
    halcyra::World::install(nullptr);
  }

  // A vessel `distance` [m] beyond the focus vessel along +x (negative: before it).
  halcyra::ObjectId addVessel(const std::string& name, double distance,
                              const std::string& base = "") {
    halcyra::VesselSpec spec;
    spec.name = name;
    spec.vesselClass = "none";
    spec.body = "Earth";
    spec.position = VECTOR3{kFocusX + distance, 0, 0};
    spec.base = base;
    return world->addVessel(spec);
  }
  void moveTo(halcyra::ObjectId id, double distance) {
    world->vessel(id)->position = VECTOR3{kFocusX + distance, 0, 0};
  }

  void makeInstance() { mfd = std::make_unique<GyrelleMFD>(256, 280, moduleState.focusVessel); }

  // The list's objects from head, in order.
  std::vector<halcyra::ObjectId> listOrder() const {
    std::vector<halcyra::ObjectId> order;
    const TargetNode* node = mfd->targetList.head;
    for (uint32_t i = 0; i < mfd->targetList.count; ++i, node = node->next) {
      order.push_back(halcyra::toId(node->object));
    }
    return order;
  }
  halcyra::ObjectId target() const { return halcyra::toId(mfd->targetHandle); }
  halcyra::ObjectId current() const { return halcyra::toId(mfd->targetList.current->object); }

  std::unique_ptr<halcyra::World> world;
  std::unique_ptr<GyrelleMFD> mfd;
  halcyra::ObjectId earth = 0, pad = 0, focus = 0;
};

}  // namespace target_test
