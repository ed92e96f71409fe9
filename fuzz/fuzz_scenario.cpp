// Feeds arbitrary text to the scenario reader. A scenario it cannot use must
// end in ScenarioError (a FILE:LINE:COLUMN message), never in a crash, a hang
// or another exception.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sim/scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const sim::Scenario scenario = sim::parseScenario(text, "fuzz.toml");
    sim::checkModes(scenario, {"Gyrelle"});
  } catch (const sim::ScenarioError&) {
  }
  return 0;
}
