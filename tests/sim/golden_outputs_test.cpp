// A four-minute flight's drawing dump, telemetry, screen log and flight
// report, pinned byte for byte:
// speed work on the runner, the host's dynamics and the output formatting
// must leave them exactly as they were. The pins are FNV-1a digests of the
// files, of the flight of tests/sim/data/frozen_default.toml, a frozen copy of
// the built-in default scenario, so that they check whatever becomes of it.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "sim/sim_run.h"
#include "support/test_paths.h"

namespace {

uint64_t fnv1a(const std::string& bytes) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

std::string hex(uint64_t v) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
  return buf;
}

// What the files were when these pins were taken.
constexpr uint64_t kDump = 0xac3017f11ac6c49cull;
constexpr uint64_t kTelemetry = 0xeb6050a6a9c3d4a5ull;
constexpr uint64_t kTelemetryEveryStep = 0xa6cf06d155affdacull;
constexpr uint64_t kScreenLog = 0x955f9e048f1929dfull;
constexpr uint64_t kReport = 0x0cddc78f97da1725ull;

class FrozenScenarioOutputs : public simtest::SimRun {};

TEST_F(FrozenScenarioOutputs, EveryTextOutputIsByteForByteAsPinned) {
  const std::string scenario = std::string(testsupport::envPath("GYRELLE_SOURCE_DIR")) +
                               "/tests/sim/data/frozen_default.toml";
  const simtest::RunResult r =
      run({scenario, "--quiet", "--dump", path("dump.txt"), "--telemetry", path("telemetry.csv"),
           "--screens", path("screens.csv"), "--report", path("report.json")});
  ASSERT_EQ(r.status, 0) << r.err;
  const simtest::RunResult step =
      run({scenario, "--quiet", "--telemetry", path("step.csv"), "--telemetry-every", "0.02"});
  ASSERT_EQ(step.status, 0) << step.err;
  const uint64_t dump = fnv1a(simtest::readFile(path("dump.txt")));
  const uint64_t telemetry = fnv1a(simtest::readFile(path("telemetry.csv")));
  const uint64_t everyStep = fnv1a(simtest::readFile(path("step.csv")));
  const uint64_t screens = fnv1a(simtest::readFile(path("screens.csv")));
  const uint64_t report = fnv1a(simtest::readFile(path("report.json")));
  const std::string now = "dump 0x" + hex(dump) + ", telemetry 0x" + hex(telemetry) +
                          ", every step 0x" + hex(everyStep) + ", screen log 0x" + hex(screens) +
                          ", report 0x" + hex(report);
  EXPECT_EQ(dump, kDump) << now;
  EXPECT_EQ(telemetry, kTelemetry) << now;
  EXPECT_EQ(everyStep, kTelemetryEveryStep) << now;
  EXPECT_EQ(screens, kScreenLog) << now;
  EXPECT_EQ(report, kReport) << now;
}

}  // namespace
