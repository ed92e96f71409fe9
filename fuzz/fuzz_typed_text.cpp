// Types arbitrary text into every input box the mode opens, through the
// host's input boxes as a pilot would: the pitch, yaw and roll offsets, the
// mode and the target. After each answer the world flies a few steps and the
// screen is redrawn, so that what an accepted value does is seen too. The
// text must never crash, read out of bounds or leave a value that is not
// finite; the levels the hold then sets must be finite and in [-1, 1].
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/in_process_module.h"
#include "mfd/key_codes.h"

namespace {

using fuzzing::violated;

constexpr double kStep = 0.02;  // [s]
constexpr int kStepsPerAnswer = 5;

struct Box {
  uint32_t modeKey;  // selects the reference mode the box belongs to
  uint32_t openKey;  // opens the box
};
// Pitch, yaw and roll offsets in the user attitude mode; the mode box; the
// target box in the target-relative mode.
constexpr Box kBoxes[] = {
    {kKey1, kKeyP}, {kKey1, kKeyY}, {kKey1, kKeyR}, {kKey1, kKeyM}, {kKey3, kKeyT}};

void checkInstance(const GyrelleMFD& mfd) {
  for (int i = 0; i < 3; ++i)
    if (!std::isfinite(mfd.attOffset[i])) violated("an offset is not finite");
  if (!isRefMode(mfd.refMode))
    violated("reference mode " + std::to_string(static_cast<int>(mfd.refMode)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text = text.c_str();  // the host hands over a terminated string

  fuzzing::ModuleInWorld m;
  halcyra::World& world = m.world;
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
  const size_t screen = world.addScreen(256, 280);
  if (!world.setScreenMode(screen, "Gyrelle")) violated("the mode is not registered");
  world.pressKey(screen, kKeyH);  // the hold on, so that accepted values steer

  double t = 0.0;  // [s]
  for (const Box& box : kBoxes) {
    world.pressKey(screen, box.modeKey);
    world.pressKey(screen, box.openKey);
    if (!world.screen(screen).inputBox) violated("a box did not open");
    if (!world.answerInput(screen, text)) world.cancelInput(screen);
    const auto* mfd = static_cast<const GyrelleMFD*>(world.screen(screen).instance);
    checkInstance(*mfd);
    for (int i = 0; i < kStepsPerAnswer; ++i) {
      t += kStep;
      m.step(t, kStep);
    }
    world.redraw(screen);
    checkInstance(*mfd);
  }
  return 0;
}
