// scripts/plot-flight on a real run's telemetry and screen log: every chart
// comes out as a PNG, and tables that are not these are refused. Linux only:
// the script is a tool of the Linux machine (Debian's Python and matplotlib).
#include <gtest/gtest.h>

#include "sim_run.h"
#include "support/test_paths.h"

namespace {

class PlotFlight : public simtest::SimRun {
 protected:
  int plot(const std::string& telemetry, const std::string& screens, const std::string& out) {
    testsupport::ChildProcess child(
        {std::string(testsupport::envPath("GYRELLE_SOURCE_DIR")) + "/scripts/plot-flight",
         telemetry, screens, out},
        path("plot.out"), path("plot.err"));
    return child.wait().value_or(-1);
  }
  static bool isPng(const std::string& file) {
    return simtest::readFile(file).rfind("\x89PNG\r\n\x1a\n", 0) == 0;
  }
};

TEST_F(PlotFlight, DrawsEveryChartOfARun) {
  std::string text = std::string(simtest::kTwoVessels) + R"(
[[screen]]
mode = "Gyrelle"
[[screen]]
mode = "Gyrelle"
[[event]]
t = 0.5
screen = 1
key = "3"
[[event]]
t = 0.6
screen = 1
key = "Space"
[[event]]
t = 1.0
vessel = "A"
rot = [0.3, 0.0, 0.0]
engine = [0.1, 0.0, 0.0]
)";
  text.replace(text.find("redraw = 100.0"), 14, "redraw = 0.5");
  ASSERT_EQ(run({writeScenario("p.toml", text), "--telemetry", path("t.csv"), "--screens",
                 path("s.csv"), "--quiet"})
                .status,
            0);
  ASSERT_EQ(plot(path("t.csv"), path("s.csv"), path("plots")), 0)
      << simtest::readFile(path("plot.err"));
  for (const char* chart : {"screen0-attitude.png", "screen1-attitude.png", "screen1-range.png",
                            "levels.png", "engines.png", "propellant.png"})
    EXPECT_TRUE(isPng(path(std::string("plots/") + chart))) << chart;
  // Screen 0 never showed a target: no range chart for it.
  EXPECT_FALSE(std::filesystem::exists(path("plots/screen0-range.png")));
}

// A screen log with blank figures (no target) and figures that are not
// numbers (a target in the vessel's own place): charted, the NaNs as gaps.
TEST_F(PlotFlight, ChartsBlankFiguresAndNotANumber) {
  const std::string scenario =
      std::string(testsupport::envPath("GYRELLE_SOURCE_DIR")) + "/tests/sim/data/page_states.toml";
  ASSERT_EQ(
      run({scenario, "--telemetry", path("t.csv"), "--screens", path("s.csv"), "--quiet"}).status,
      0);
  const std::string log = simtest::readFile(path("s.csv"));
  ASSERT_NE(log.find(",nan,"), std::string::npos);
  ASSERT_NE(log.find(",Target Relative,0,,,,,"), std::string::npos);
  ASSERT_EQ(plot(path("t.csv"), path("s.csv"), path("plots")), 0)
      << simtest::readFile(path("plot.err"));
  for (const char* chart : {"screen0-attitude.png", "screen0-range.png", "screen1-attitude.png"})
    EXPECT_TRUE(isPng(path(std::string("plots/") + chart))) << chart;
}

TEST_F(PlotFlight, RefusesTablesThatAreNotTheRunsOwn) {
  std::ofstream(path("other.csv")) << "a,b\n1,2\n";
  EXPECT_EQ(plot(path("other.csv"), path("other.csv"), path("plots")), 1);
  EXPECT_NE(simtest::readFile(path("plot.err")).find("no 'propellant' column"), std::string::npos);
  EXPECT_EQ(plot(path("missing.csv"), path("other.csv"), path("plots")), 1);
  EXPECT_EQ(plot(path("other.csv"), "", ""), 1);
}

}  // namespace
