// An instance constructed directly in the test (the module's code is linked
// in) on the fixture world's focus vessel, with the module's storage fresh.
#pragma once

#include <memory>

#include "mfd/gyrelle_mfd.h"
#include "state/module_state.h"
#include "support/world_fixture.h"

namespace gyrelle_test {

class InstanceFixture : public WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    resetModuleState();
  }
  void TearDown() override {
    mfd.reset();
    WorldFixture::TearDown();
  }
  GyrelleMFD& makeInstance(uint32_t height = 280, uint32_t width = 256) {
    mfd = std::make_unique<GyrelleMFD>(width, height, &focus());
    return *mfd;
  }

  std::unique_ptr<GyrelleMFD> mfd;
};

}  // namespace gyrelle_test
