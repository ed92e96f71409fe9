// A run's written scenario, flown alone by gyrelle-sim, flies as the run
// itself does in the campaign's process; a drawn value the scenario refuses
// fails that run alone, naming it.
#include <gtest/gtest.h>

#include "campaign_files.h"
#include "sim/run/runner.h"

namespace {

using campaigntest::CampaignFiles;

// One "generic" vessel tumbling out of a turned attitude, the hold on at 1 s.
constexpr const char* kHoldScenario = R"(
[sim]
step = 0.02
until = 20.0

[[body]]
name = "Earth"
mu = 3.986e14
radius = 6371010.0

[[vessel]]
name = "Gyre-1"
body = "Earth"
orbit = { altitude = 300e3, inclination = 0.5 }
orientation = [0.3, -0.2, 0.1]

[[screen]]
mode = "Gyrelle"

[[event]]
t = 1.0
key = "Shift-H"
)";

constexpr const char* kHoldDispersions = R"(
[[dispersion]]
name = "attitude"
vessel = "Gyre-1"
quantity = "orientation"
rotation = "cone"
sigma = 0.2

[[dispersion]]
name = "spin"
vessel = "Gyre-1"
quantity = "angular_velocity"
direction = "uniform"
magnitude = { uniform = [0.0, 0.0349] }

[[dispersion]]
name = "thrust"
vessel = "Gyre-1"
quantity = "thruster.max"
apply = "scale"
normal = { mean = 1.0, sigma = 0.05, min = 0.8, max = 1.2 }

[[dispersion]]
name = "node"
vessel = "Gyre-1"
quantity = "orbit.ascending_node"
uniform = [0.0, 6.283185307179586]
)";

using Replay = CampaignFiles;

TEST_F(Replay, TheWrittenScenarioFliesAsTheRunDoes) {
  const sim::CampaignPlan plan(writeCampaign(kHoldDispersions, 5, 11, "hold", kHoldScenario));
  for (uint64_t k : {1u, 4u}) {
    SCOPED_TRACE("run " + std::to_string(k));
    const std::string n = std::to_string(k);
    const sim::CampaignPlan::Run run = plan.run(k);
    sim::RunOptions o;
    o.until = run.scenario.until;
    o.module = testsupport::envPath("GYRELLE_MODULE_PATH");
    o.quiet = true;
    o.reportPath = path("inside-" + n + ".json");
    o.dumpPath = path("inside-" + n + ".dump");
    sim::runScenario(run.scenario, o);

    const std::string written = writeScenario("run-" + n + ".toml", plan.scenarioText(k));
    const simtest::RunResult alone =
        runProgram(simCommand({written, "--quiet", "--report", path("alone-" + n + ".json"),
                               "--dump", path("alone-" + n + ".dump")}));
    ASSERT_EQ(alone.status, 0) << alone.err;
    const std::string report = simtest::readFile(path("alone-" + n + ".json"));
    ASSERT_FALSE(report.empty());
    EXPECT_EQ(report, simtest::readFile(path("inside-" + n + ".json")));
    EXPECT_EQ(simtest::readFile(path("alone-" + n + ".dump")),
              simtest::readFile(path("inside-" + n + ".dump")));
  }
}

TEST_F(Replay, ADrawnValueTheScenarioRefusesFailsThatRunNamingIt) {
  // Propellant normal(0, 1): about half the runs draw a negative mass.
  const std::string file = writeCampaign(R"(
[[dispersion]]
name = "fuel"
vessel = "Tender"
quantity = "propellant"
normal = { mean = 0.0, sigma = 1.0 }
)",
                                         20);
  const sim::CampaignPlan plan(file);
  int refused = 0;
  for (uint64_t k = 0; k < 20; ++k) {
    std::vector<double> drawn;
    try {
      drawn = plan.run(k).drawn;
      EXPECT_GE(drawn[0], 0.0);
    } catch (const sim::ScenarioError& e) {
      ++refused;
      EXPECT_EQ(std::string(e.what()), file + ": run " + std::to_string(k) +
                                           ": 'propellant' in [[vessel]] must not be negative");
    }
  }
  EXPECT_GT(refused, 0);
  EXPECT_LT(refused, 20);
}

}  // namespace
