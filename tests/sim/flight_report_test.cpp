// The flight report's figures on runs with known answers: burns of known
// length and level (propellant by group, rocket-equation delta-v, the rate a
// known torque gives), and holds whose settle times are read off the screens.
#include "sim/outputs/flight_report.h"

#include <gtest/gtest.h>

#include <cmath>

#include "sim_run.h"

namespace {

constexpr double kDegPerRad = 57.29577951308232;

sim::PageReading attitudePage(double dev, double rate, bool hold = true,
                              const std::string& mode = "Attitude") {
  sim::PageReading p;
  p.mode = mode;
  p.hold = hold;
  for (int i = 0; i < 3; ++i) {
    p.deviation[i] = i == 1 ? dev : 0.0;  // yaw carries the figure under test
    p.rate[i] = i == 2 ? rate : 0.0;      // roll rate likewise
  }
  return p;
}

// Settled: deviations within 0.1 deg, each changing by at most 0.01 deg/s
// (and the page's last digit) since the redraw before; the rates shown count
// for nothing, since a turning reference shows the orbital rate.
TEST(HoldSettling, FromTheFirstRedrawThatStaysWithinBothLimits) {
  sim::FlightReport r;
  halcyra::World world;
  r.redraw(5.0, 0, attitudePage(3.0, 1.0, false));  // before the hold: not counted
  r.redraw(10.0, 0, attitudePage(3.0, 1.0));        // the hold starts
  r.redraw(11.0, 0, attitudePage(0.05, 0.0));       // within, but it moved 2.95
  r.redraw(12.0, 0, attitudePage(0.08, 0.0));       // moved 0.03 in 1 s: too fast
  r.redraw(13.0, 0, attitudePage(0.1, 0.067));      // on both limits, the rate shown ignored
  sim::PageReading help;
  help.helpPage = 3;
  r.redraw(14.0, 0, help);                           // a help page changes nothing
  r.redraw(15.0, 0, attitudePage(0.1, 0.067));       // still within
  r.redraw(16.0, 0, attitudePage(0.0, 0.0, false));  // the hold ends
  r.redraw(17.0, 0, attitudePage(5.0, 0.0, false));  // after it: not counted
  r.finished(20.0, world);
  ASSERT_EQ(r.screens().size(), 1u);
  const auto& holds = r.screens()[0].holds;
  ASSERT_EQ(holds.size(), 1u);
  EXPECT_EQ(holds[0].mode, "Attitude");
  EXPECT_EQ(holds[0].start, 10.0);
  EXPECT_EQ(holds[0].end, 16.0);
  EXPECT_EQ(holds[0].settleTime, 3.0);
  EXPECT_EQ(r.screens()[0].finalMode, "Attitude");
  EXPECT_FALSE(r.screens()[0].finalHold);
}

TEST(HoldSettling, AModeChangeStartsANewHoldAndTheRunsEndClosesIt) {
  sim::FlightReport r;
  halcyra::World world;
  r.redraw(1.0, 1, attitudePage(0.2, 0.0));                    // screen 1 only
  r.redraw(2.0, 1, attitudePage(0.11, 0.0));                   // just outside
  r.redraw(3.0, 1, attitudePage(0.0, 0.0, true, "Velocity"));  // a new hold, settled at once
  r.redraw(4.0, 1, attitudePage(0.0, 0.0, true, "Velocity"));
  r.redraw(5.0, 1, attitudePage(0.5, 0.0, true, "Velocity"));  // leaves the limits again
  r.finished(6.0, world);
  ASSERT_EQ(r.screens().size(), 2u);
  EXPECT_TRUE(r.screens()[0].holds.empty());
  const auto& holds = r.screens()[1].holds;
  ASSERT_EQ(holds.size(), 2u);
  EXPECT_EQ(holds[0].end, 3.0);
  EXPECT_FALSE(holds[0].settleTime);  // never within
  EXPECT_EQ(holds[1].mode, "Velocity");
  EXPECT_FALSE(holds[1].end);         // on to the end
  EXPECT_FALSE(holds[1].settleTime);  // settled, then left: not settled at the end
  EXPECT_TRUE(r.screens()[1].finalHold);
  const std::string json = r.json();
  EXPECT_NE(json.find("{\"mode\": \"Velocity\", \"start_s\": 3.000, \"end_s\": null, "
                      "\"settle_time_s\": null}"),
            std::string::npos)
      << json;
}

TEST(HoldSettling, APageWithoutTheFiguresDoesNotSettle) {
  sim::FlightReport r;
  halcyra::World world;
  sim::PageReading undefined;  // the entry page without a prediction
  undefined.mode = "Entry Interface";
  undefined.hold = true;
  r.redraw(1.0, 0, undefined);
  r.finished(2.0, world);
  EXPECT_FALSE(r.screens()[0].holds.at(0).settleTime);
}

class KnownBurns : public simtest::SimRun {};

// Far from any body (a weak one 10^12 m away), so that thrust alone changes the velocity.
constexpr const char* kDeepSpace = R"(
[sim]
step = 0.02
until = 40.0
redraw = 1.0

[[body]]
name = "Far"
mu = 1.0
radius = 1.0
position = [1.0e12, 0.0, 0.0]

[[vessel]]
name = "Burner"
body = "Far"
position = [-1.0e12, 0.0, 0.0]
velocity = [0.0, 0.0, 0.0]

[[vessel]]
name = "Idle"
class = "none"
body = "Far"
position = [-1.0e12, 1000.0, 0.0]
velocity = [0.0, 0.0, 0.0]
angular_velocity = [0.0, 0.01, 0.0]

# Main engine at full thrust for 10 s: 200 kN at 3000 m/s.
[[event]]
t = 0.0
vessel = "Burner"
engine = [1.0, 0.0, 0.0]
[[event]]
t = 10.0
vessel = "Burner"
engine = [0.0, 0.0, 0.0]

# Pitch at half level for 4 s: two 1000 N thrusters 10 m from the centre.
[[event]]
t = 20.0
vessel = "Burner"
rot = [0.5, 0.0, 0.0]
[[event]]
t = 24.0
vessel = "Burner"
rot = [0.0, 0.0, 0.0]

# Linear +y for 2 s: two 500 N thrusters.
[[event]]
t = 30.0
vessel = "Burner"
lin = [0.0, 1.0, 0.0]
[[event]]
t = 32.0
vessel = "Burner"
lin = [0.0, 0.0, 0.0]
)";

double field(const std::string& json, const std::string& name, size_t from = 0) {
  const size_t at = json.find("\"" + name + "\": ", from);
  EXPECT_NE(at, std::string::npos) << name;
  return std::stod(json.substr(at + name.size() + 4));
}

TEST_F(KnownBurns, PropellantDeltaVAndRatesAreTheRocketsOwn) {
  const simtest::RunResult r = run({writeScenario("burn.toml", kDeepSpace), "--report",
                                    path("report.json"), "--telemetry", path("telemetry.csv")});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string json = simtest::readFile(path("report.json"));
  const size_t burner = json.find("\"name\": \"Burner\"");
  const size_t idle = json.find("\"name\": \"Idle\"");
  ASSERT_NE(burner, std::string::npos) << json;
  ASSERT_NE(idle, std::string::npos) << json;

  const double ve = 3000.0;                      // [m/s]
  const double engines = 200000.0 / ve * 10.0;   // [kg]
  const double rotation = 2 * 500.0 / ve * 4.0;  // [kg]
  const double linear = 2 * 500.0 / ve * 2.0;    // [kg]
  EXPECT_NEAR(field(json, "engines", burner), engines, 1e-6);
  EXPECT_NEAR(field(json, "rotation", burner), rotation, 1e-9);
  EXPECT_NEAR(field(json, "linear", burner), linear, 1e-9);
  EXPECT_NEAR(field(json, "total", burner), engines + rotation + linear, 1e-6);

  // Every burn counts in the rocket equation, the rotation pair's too.
  double m = 20000.0, dv = 0.0;
  for (double burnt : {engines, rotation, linear}) {
    dv += ve * std::log(m / (m - burnt));
    m -= burnt;
  }
  EXPECT_NEAR(field(json, "delta_v_m_s", burner), dv, 1e-6);
  // The engine's part is the speed the telemetry shows after the burn (the
  // rotation and the linear pair do not change it along z by much).
  const std::string telemetry = simtest::readFile(path("telemetry.csv"));
  const size_t row = telemetry.find("\n10.000,Burner,");
  ASSERT_NE(row, std::string::npos);
  std::vector<std::string> cells;
  std::istringstream in(telemetry.substr(row + 1, telemetry.find('\n', row + 1) - row - 1));
  for (std::string c; std::getline(in, c, ',');) cells.push_back(c);
  const double vz = std::stod(cells.at(8));
  EXPECT_NEAR(vz, ve * std::log(20000.0 / (20000.0 - engines)), 1e-3);

  // The pitch pair: torque 2 * 500 N * 10 m about x, I = 15 m^2 * mass.
  const double mass = 20000.0 - engines - rotation / 2;  // mean over the burn [kg]
  const double rate = 2 * 500.0 * 10.0 * 4.0 / (15.0 * mass) * kDegPerRad;  // [deg/s]
  EXPECT_NEAR(field(json, "max_rate_deg_s", burner), rate, rate * 1e-4);
  EXPECT_NEAR(field(json, "final_rate_deg_s", burner), rate, rate * 1e-4);
  EXPECT_GE(field(json, "max_rate_at_s", burner), 24.0);

  EXPECT_EQ(field(json, "total", idle), 0.0);
  EXPECT_EQ(field(json, "delta_v_m_s", idle), 0.0);
  EXPECT_NEAR(field(json, "max_rate_deg_s", idle), 0.01 * kDegPerRad, 1e-9);
  EXPECT_EQ(field(json, "max_rate_at_s", idle), 0.0);

  // The same figures in the summary on standard error.
  char expected[128];
  std::snprintf(expected, sizeof expected, "Burner: propellant %.1f kg (rotation %.1f, linear %.1f",
                engines + rotation + linear, rotation, linear);
  EXPECT_NE(r.err.find(expected), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Flight report at t = 40.000 s"), std::string::npos) << r.err;
}

// A hold from a small tumble; the settle time is read off the screen log here
// and must be the report's.
TEST_F(KnownBurns, HoldSettleTimeIsTheOneTheScreenLogShows) {
  const std::string text = std::string(simtest::kTwoVessels) + R"(
[[screen]]
mode = "Gyrelle"
[[event]]
t = 0.5
vessel = "A"
rot = [0.3, -0.2, 0.4]
[[event]]
t = 2.0
vessel = "A"
rot = [0.0, 0.0, 0.0]
[[event]]
t = 3.0
key = "H"
)";
  std::string scenario = text;
  scenario.replace(scenario.find("until = 5.0"), 11, "until = 150.0");
  scenario.replace(scenario.find("redraw = 100.0"), 14, "redraw = 0.5");
  const simtest::RunResult r = run({writeScenario("hold.toml", scenario), "--screens",
                                    path("screens.csv"), "--report", path("report.json")});
  ASSERT_EQ(r.status, 0) << r.err;

  double start = -1.0, settledFrom = -1.0, before = -1.0;
  std::vector<double> previous;  // the deviations of the redraw before
  for (const std::string& row : simtest::lines(simtest::readFile(path("screens.csv")))) {
    std::vector<std::string> c;
    std::istringstream in(row);
    for (std::string cell; std::getline(in, cell, ',');) c.push_back(cell);
    if (c.at(0) == "t" || c.at(3) != "1") continue;
    const double t = std::stod(c[0]);
    if (start < 0) start = t;
    bool within = true;
    for (int i = 5; i < 8; ++i) within = within && std::fabs(std::stod(c[i])) <= 0.1 + 1e-9;
    for (int i = 5; i < 8; ++i)
      within = within && !previous.empty() &&
               std::fabs(std::stod(c[i]) - previous[i - 5]) <= 0.01 * (t - before) + 0.01 + 1e-9;
    previous = {std::stod(c[5]), std::stod(c[6]), std::stod(c[7])};
    before = t;
    if (!within) settledFrom = -1.0;
    if (within && settledFrom < 0) settledFrom = t;
  }
  ASSERT_EQ(start, 3.0);
  ASSERT_GT(settledFrom, start + 5.0) << "the tumble takes time to stop";
  const std::string json = simtest::readFile(path("report.json"));
  EXPECT_NEAR(field(json, "settle_time_s"), settledFrom - start, 1e-9) << json;
  EXPECT_NE(json.find("\"final_mode\": \"Attitude\", \"final_hold\": true"), std::string::npos)
      << json;
}

TEST_F(KnownBurns, QuietRunsPrintNoSummary) {
  const simtest::RunResult r = run({writeScenario("burn.toml", kDeepSpace), "--quiet"});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
}

}  // namespace
