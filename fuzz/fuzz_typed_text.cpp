// Feeds arbitrary text to every input-box callback of the mode: the offset
// boxes, the mode box and the target box. None may crash, read out of bounds
// or store a value that is not finite.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/world.h"
#include "mfd/gyrelle_mfd.h"
#include "mfd/mode_select.h"
#include "module/mode_registration.h"
#include "module/module_state.h"
#include "targets/target_commands.h"

namespace {

struct Setup {
  halcyra::World world;
  GyrelleMFD* mfd = nullptr;
  Setup() {
    halcyra::World::install(&world);
    world.addBody("Earth", 3.986e14, 6371010.0, VECTOR3{0, 0, 0});
    halcyra::VesselSpec spec;
    spec.name = "Gyre-1";
    spec.body = "Earth";
    spec.position = VECTOR3{6771010.0, 0, 0};
    spec.velocity = VECTOR3{0, 7672.6, 0};
    world.setFocus(world.addVessel(spec));
    spec.name = "Tender";
    spec.position.z = 100.0;
    world.addVessel(spec);
    mfd = reinterpret_cast<GyrelleMFD*>(gyrelleMsgProc(1, 1, 256u | (280u << 16), 0));
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Setup setup;
  GyrelleMFD& mfd = *setup.mfd;
  void* const token = instanceToken(mfd.serial);  // the user data the boxes carry
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.c_str();  // the host hands over a terminated string
  std::string copy = text;
  pitchOffsetEntered(nullptr, copy.data(), token);
  copy = text;
  rollOffsetEntered(nullptr, copy.data(), token);
  for (int i = 0; i < 3; ++i) {
    if (!std::isfinite(mfd.attOffset[i])) std::abort();
  }
  copy = text;
  modeEntered(nullptr, copy.data(), token);
  if (mfd.refMode < 1 || mfd.refMode > 4) std::abort();
  copy = text;
  targetNameEntered(nullptr, copy.data(), token);
  return 0;
}
