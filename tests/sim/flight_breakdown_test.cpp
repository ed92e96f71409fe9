// A flight that spins up, or whose state is lost, and a typed text the module
// refuses: what gyrelle-sim writes and says.
#include <gtest/gtest.h>

#include <cmath>

#include "sim_run.h"

namespace {

std::string spinning(const std::string& rate) {
  std::string s = simtest::kTwoVessels;
  s.replace(s.find("until = 5.0"), 11, "until = 2.0");
  s.insert(s.find("\n", s.find("name = \"A\"")) + 1, "angular_velocity = " + rate + "\n");
  return s;
}

class FlightBreakdown : public simtest::SimRun {};

// 200 rad/s at the 0.02 s step used to put NaN in the telemetry, with exit 0.
TEST_F(FlightBreakdown, AFastSpinFliesWithFiniteTelemetry) {
  const auto r = run({writeScenario("s.toml", spinning("[200.0, -50.0, 30.0]")), "--telemetry",
                      path("t.csv"), "--telemetry-every", "0.02", "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto rows = simtest::lines(simtest::readFile(path("t.csv")));
  ASSERT_EQ(rows.size(), 1u + 2u * 101u);
  for (size_t i = 1; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].find("nan"), std::string::npos) << rows[i];
    EXPECT_EQ(rows[i].find("inf"), std::string::npos) << rows[i];
  }
  // |w| of A stays about 208 rad/s (torque-free).
  const std::string& last = rows[rows.size() - 2];
  std::vector<double> cells;
  std::istringstream in(last);
  for (std::string c; std::getline(in, c, ',');) cells.push_back(std::atof(c.c_str()));
  EXPECT_NEAR(std::hypot(cells[12], cells[13], cells[14]),
              std::sqrt(200.0 * 200 + 50 * 50 + 30 * 30), 1.0)
      << last;
}

TEST_F(FlightBreakdown, AStateThatIsNoLongerFiniteStopsTheRunAndKeepsTheOutputs) {
  const auto r = run({writeScenario("s.toml", spinning("[1e200, 1e200, 0.0]")), "--telemetry",
                      path("t.csv"), "--quiet"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "gyrelle-sim: vessel A: state is no longer finite at t = 0.020\n");
  const auto rows = simtest::lines(simtest::readFile(path("t.csv")));
  ASSERT_EQ(rows.size(), 3u);  // the rows at t = 0, all finite
  EXPECT_EQ(rows[1].rfind("0.000,A,", 0), 0u);
}

TEST_F(FlightBreakdown, ARefusedTypedTextIsQuotedAndCutInTheNote) {
  const std::string typed = "abc\\n\\u0007\\\"" + std::string(200, 'x');
  const std::string file = writeScenario(
      "s.toml", std::string(simtest::kTwoVessels) +
                    "[[screen]]\nmode = \"Gyrelle\"\n"
                    "[[event]]\nt = 1.0\nkey = 4\n"   // target mode
                    "[[event]]\nt = 1.0\nkey = 20\n"  // the target box; no such target
                    "[[event]]\nt = 1.0\ninput = \"" +
                    typed + "\"\n");
  const auto r = run({file, "--until", "2", "--quiet"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string note = "note: t = 1.000: input \"abc\\x0a\\x07\\\"" +
                           std::string(74, 'x') +  // 80 characters in all
                           "\"... (206 bytes) refused; the box stays open\n";
  EXPECT_NE(r.err.find(note), std::string::npos) << r.err;
  EXPECT_EQ(simtest::lines(r.err).size(), 1u) << r.err;
}

}  // namespace
