// Feeds arbitrary text to gyrelle-sim as a scenario. A scenario it cannot use
// must end in ScenarioError (a FILE:LINE:COLUMN message). One it can use is
// flown for at most kMaxSteps steps with the module's code linked in and every
// output written to a temporary folder, and must hold these invariants: no
// crash and no sanitizer report; every level the module hands the host is
// finite and in [-1, 1]; no instance slot of the module holds an instance that
// no screen shows (a destroyed one); the only other way a flight may end is a
// state that is no longer finite, reported as such.
// The TOML parser (toml11, header-only) is compiled into this harness with
// the sanitizers and the fuzzer's coverage, and with its own assert()s on
// (the fuzz preset is a debug build): a failed assertion is a finding too.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>

#include "fuzz/in_process_module.h"
#include "sim/outputs/output_file.h"
#include "sim/run/runner.h"
#include "sim/scenario/scenario.h"

namespace {

constexpr double kMaxSteps = 300.0;             // steps flown at most
constexpr uint64_t kMaxPixels = 4 * 256 * 280;  // pictures only of screens this small in all

using fuzzing::violated;

// The folder the outputs go to, made once and removed at exit. Kept in a
// plain array: the exit handler runs after static strings are destroyed.
char outputFolderName[4096];

const char* outputFolder() {
  if (outputFolderName[0] == '\0') {
    const std::string tmpl =
        (std::filesystem::temp_directory_path() / "fuzz_scenario-XXXXXX").string();
    if (tmpl.size() >= sizeof outputFolderName) violated("the temporary folder's name is too long");
    std::snprintf(outputFolderName, sizeof outputFolderName, "%s", tmpl.c_str());
    if (mkdtemp(outputFolderName) == nullptr) violated("cannot make a temporary folder");
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(outputFolderName, ec);
    });
  }
  return outputFolderName;
}

// The levels the scenario's own events set are the scripted pilot's, not the
// module's: held to the range here, so that the watch sees only the module.
void clampScriptedLevels(sim::Scenario& s) {
  auto clamp = [](VECTOR3& v, double low) {
    for (int i = 0; i < 3; ++i) v[i] = std::isfinite(v[i]) ? std::clamp(v[i], low, 1.0) : 0.0;
  };
  for (sim::Event& e : s.events) {
    if (e.rot) clamp(*e.rot, -1.0);
    if (e.lin) clamp(*e.lin, -1.0);
    if (e.engine) clamp(*e.engine, 0.0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The run's terminal lines (debug line, last pages) are not the fuzzer's.
  if (std::freopen("/dev/null", "w", stdout) == nullptr) violated("cannot silence stdout");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  sim::Scenario scenario;
  try {
    scenario = sim::parseScenario(text, "fuzz.toml");
  } catch (const sim::ScenarioError&) {
    return 0;
  }
  clampScriptedLevels(scenario);

  const std::string dir = outputFolder();
  sim::RunOptions o;
  o.until = std::min(scenario.until, kMaxSteps * scenario.step);
  o.quiet = true;
  o.dumpPath = dir + "/dump.txt";
  o.telemetryPath = dir + "/telemetry.csv";
  o.telemetryEvery = scenario.step;
  uint64_t pixels = 0;
  for (const sim::ScreenEntry& sc : scenario.screens) pixels += uint64_t(sc.width) * sc.height;
  if (pixels <= kMaxPixels) {
    o.framesDir = dir + "/frames";
    o.frameEvery = std::max(o.until, scenario.step);  // the first and the last
  }
  try {
    fuzzing::ModuleInWorld flight;
    sim::flyScenario(scenario, o, flight.world, [&](double simt, double simdt, double mjd) {
      hpcPostStep(simt, simdt, mjd);
      fuzzing::checkSlots(flight.world);
    });
  } catch (const sim::ScenarioError&) {
    // A name the world refuses, a mode the module does not have.
  } catch (const sim::OutputError& e) {
    violated(std::string("an output failed: ") + e.what());
  } catch (const std::runtime_error& e) {
    if (std::string(e.what()).find("state is no longer finite") == std::string::npos)
      violated(std::string("the flight ended with: ") + e.what());
  }
  std::error_code ec;
  std::filesystem::remove_all(dir + "/frames", ec);
  return 0;
}
