// scripts/compare-flights against a module one line away from libgyrelle.so
// (the attitude hold asks for 1.5 times the torque; tests/sim/hold_variant.cmake):
// it names the figure and the time where the two builds part, passes a build
// against itself, follows the tolerances it is given and refuses input it
// cannot compare. Linux only: the script is a tool of the Linux machine
// (Debian's Python and matplotlib).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <regex>

#include "sim_run.h"
#include "support/test_paths.h"

namespace {

// Vessel A is turned by its thrusters for half a second, then held from
// t = 1.0: the hold's first step ends at t = 1.02, and until then the two
// modules fly the same.
constexpr const char* kHoldEvents = R"(
[[screen]]
mode = "Gyrelle"

[[event]]
t = 0.0
vessel = "A"
rot = [0.3, -0.2, 0.2]

[[event]]
t = 0.5
vessel = "A"
rot = [0.0, 0.0, 0.0]

[[event]]
t = 1.0
key = "Shift-H"
)";

class CompareFlights : public simtest::SimRun {
 protected:
  void SetUp() override {
    SimRun::SetUp();
    std::string text = std::string(simtest::kTwoVessels) + kHoldEvents;
    text.replace(text.find("redraw = 100.0"), 14, "redraw = 0.5");
    text.replace(text.find("until = 5.0"), 11, "until = 3.0");
    scenario = writeScenario("hold.toml", text);
    module = testsupport::envPath("GYRELLE_MODULE_PATH");
    variant = testsupport::envPath("GYRELLE_HOLD_VARIANT_PATH");
  }

  simtest::RunResult compare(std::vector<std::string> args) const {
    args.insert(args.begin(), std::string(testsupport::envPath("GYRELLE_SOURCE_DIR")) +
                                  "/scripts/compare-flights");
    args.insert(args.end(), {"--sim", testsupport::envPath("GYRELLE_SIM_PATH")});
    return runProgram(args);
  }

  // gyrelle-sim's outputs of the scenario flown with `with` into folder `name`.
  std::string fly(const std::string& name, const std::string& with,
                  const std::string& until = "3.0") const {
    std::filesystem::create_directory(path(name));
    EXPECT_EQ(run({scenario, "--module", with, "--quiet", "--until", until, "--telemetry-every",
                   "0.02", "--telemetry", path(name + "/t.csv"), "--screens", path(name + "/s.csv"),
                   "--report", path(name + "/r.json")})
                  .status,
              0);
    return path(name);
  }

  std::string scenario, module, variant;
};

TEST_F(CompareFlights, NamesTheFigureAndTimeWhereAChangedHoldGainParts) {
  const simtest::RunResult r = compare({module, variant, "--scenario", scenario,
                                        "--telemetry-every", "0.02", "--plots", path("plots")});
  ASSERT_EQ(r.status, 1) << r.out << r.err;
  const std::vector<std::string> out = simtest::lines(r.out);
  // In time order, so the first line is where the builds part: the first
  // step of the hold, where the variant's pitch level is 1.5 times the other.
  std::smatch m;
  ASSERT_FALSE(out.empty());
  ASSERT_TRUE(std::regex_match(out.front(), m,
                               std::regex(R"(A\.pitch parts at t = 1\.020 s: A (\S+), B (\S+))")))
      << r.out;
  EXPECT_NEAR(std::stod(m[2]) / std::stod(m[1]), 1.5, 1e-8) << out.front();
  // Each figure once, at the first time it parts.
  EXPECT_EQ(std::count_if(out.begin(), out.end(),
                          [](const std::string& l) { return l.rfind("A.pitch ", 0) == 0; }),
            1);
  // The screen shows it too; vessel B and the engines never part.
  EXPECT_NE(r.out.find("\nscreen0.rate_pitch parts at t = 1.500 s: "), std::string::npos);
  EXPECT_EQ(r.out.find("\nB."), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("A.main "), std::string::npos) << r.out;
  EXPECT_NE(out.back().find("figures part beyond tolerance; the first at t = 1.020 s: A.pitch"),
            std::string::npos)
      << out.back();
  // Overlay charts of the families that parted, and only of those.
  for (const char* chart : {"A-rotation-levels.png", "A-angular-velocity.png",
                            "screen0-deviations.png", "screen0-rates.png"})
    EXPECT_EQ(simtest::readFile(path(std::string("plots/") + chart)).rfind("\x89PNG", 0), 0u)
        << chart;
  EXPECT_FALSE(std::filesystem::exists(path("plots/A-engines.png")));
  EXPECT_FALSE(std::filesystem::exists(path("plots/B-rotation-levels.png")));
}

// Earlier runs' output folders compare as the modules do, and tolerances
// given on the command line decide what parts.
TEST_F(CompareFlights, VerdictFollowsTheFlightsAndTheTolerancesGiven) {
  const std::string flownA = fly("a", module), flownB = fly("b", variant);
  const std::string shortA = fly("short", module, "2.0");
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* firstLine;  // the start of the first line of the output
  };
  const std::vector<Case> cases = {
      {{module, module, "--scenario", scenario}, 0, "compare-flights: all "},
      {{flownA, flownA}, 0, "compare-flights: all "},
      {{flownA, flownB}, 1, "A.pitch parts at t = 1.020 s: "},
      // A flight that ended early parts where its rows end.
      {{shortA, flownA}, 1, "A.rows parts at t = 2.020 s: A no row, B a row\nB.rows parts at"},
      {{flownA + "/t.csv", flownB + "/t.csv"}, 1, "A.pitch parts at t = 1.020 s: "},
      {{flownA + "/s.csv", flownB}, 1, "screen0.dev_pitch parts at t = 1.500 s: "},
      // A glob on the figure's last part, absolute in its unit, the last match winning.
      {{flownA, flownB, "--tolerance", "pitch=1"}, 1, "A.yaw parts at t = 1.020 s: "},
      {{flownA, flownB, "--tolerance", "pitch=0", "--tolerance", "A.pitch=1"}, 1, "A.yaw parts"},
      {{flownA, flownB, "--tolerance", "pitch=1", "--tolerance", "A.*=1e-12"}, 1, "A.pitch parts"},
      // Relative: the variant's level is 1.5 times the other, 33 % of the larger.
      {{flownA, flownB, "--tolerance", "A.pitch=34%"}, 1, "A.yaw parts at t = 1.020 s: "},
      {{flownA, flownB, "--tolerance", "A.pitch=33%"}, 1, "A.pitch parts at t = 1.020 s: "},
      {{flownA, flownB, "--tolerance", "*=1e6"}, 0, "compare-flights: all "},
  };
  for (const Case& c : cases) {
    const simtest::RunResult r = compare(c.args);
    const std::string command = ::testing::PrintToString(c.args);
    EXPECT_EQ(r.status, c.status) << command << "\n" << r.out << r.err;
    EXPECT_EQ(r.out.rfind(c.firstLine, 0), 0u) << command << "\n" << r.out;
  }
}

TEST_F(CompareFlights, RefusesInputItCannotCompare) {
  const std::string flown = fly("a", module);
  // A telemetry table without its last column: not the same table.
  std::string cut;
  for (const std::string& line : simtest::lines(simtest::readFile(flown + "/t.csv")))
    cut += line.substr(0, line.rfind(',')) + "\n";
  std::ofstream(path("cut.csv")) << cut;
  std::ofstream(path("other.csv")) << "a,b\n1,2\n";
  std::filesystem::create_directory(path("empty"));
  const std::string bad = writeScenario("bad.toml", "[sim]\nstep = -1\n");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{flown, path("missing")}, "missing: no such file or folder"},
      {{path("cut.csv"), flown}, "the two telemetry tables have different columns"},
      {{path("other.csv"), flown}, "other.csv: neither a module nor"},
      {{path("empty"), flown}, "empty: no telemetry, screen log or report"},
      {{flown, flown, "--tolerance", "pitch"}, "--tolerance pitch: expected FIGURE=VALUE"},
      {{flown, flown, "--tolerance", "pitch=-1"}, "--tolerance pitch=-1: expected"},
      {{module, flown, "--scenario", bad}, "flying A (" + module + ") failed with status 2"},
  };
  for (const auto& [args, message] : cases) {
    const simtest::RunResult r = compare(args);
    EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args) << "\n" << r.out << r.err;
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
