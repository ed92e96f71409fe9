// Where the flight's cast changes under a running autopilot: the focus moves
// to another vessel, the focus vessel is deleted, a screen loses its update
// slot. Each is a scenario flown by gyrelle-sim, read back from its screen log
// and telemetry as a pilot or a script would read them.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "sim_run.h"

namespace {

using simtest::num;
using simtest::Row;

// Earth, Gyre-1 in low orbit and the vessels each case adds; its screens and
// events follow.
std::string scenario(const std::string& rest) {
  return R"(
[sim]
step = 0.02
until = 40.0
redraw = 1.0

[[body]]
name = "Earth"
mu = 3.986e14
radius = 6371010.0

[[vessel]]
name = "Gyre-1"
body = "Earth"
position = [6771010.0, 0.0, 0.0]
velocity = [0.0, 7672.5977, 0.0]
angular_velocity = [0.01, 0.0, 0.0]
)" + rest;
}

struct Flown {
  std::vector<Row> screens, telemetry;
  std::string err;
};

class LifecycleSeam : public simtest::SimRun {
 protected:
  Flown fly(const std::string& text) {
    const simtest::RunResult r =
        run({writeScenario("seam.toml", scenario(text)), "--screens", path("screens.csv"),
             "--telemetry", path("telemetry.csv"), "--quiet"});
    EXPECT_EQ(r.status, 0) << r.err;
    return {simtest::readCsv(simtest::readFile(path("screens.csv"))),
            simtest::readCsv(simtest::readFile(path("telemetry.csv"))), r.err};
  }
};

bool allLevelsZero(const Row& row) {
  for (const char* level : {"pitch", "yaw", "roll", "lat", "vert", "fa", "main", "retro", "hover"})
    if (num(row, level) != 0.0) return false;
  return true;
}

// Mid-trim and holding on the Beacon, the pilot moves to the Tender, 50 km
// away at 80 m/s: neither the trim nor the target-relative hold follows.
TEST_F(LifecycleSeam, FocusChangeEndsTrimAndTargetHold) {
  const Flown f = fly(R"(
[[vessel]]
name = "Beacon"
body = "Earth"
position = [6771010.0, 300.0, 30.0]
velocity = [0.5, 7671.8977, 0.2]

[[vessel]]
name = "Tender"
body = "Earth"
position = [6771010.0, -50000.0, 0.0]
velocity = [0.0, 7752.5977, 0.0]

[[screen]]
width = 300
height = 300
mode = "Gyrelle"

[[event]]
t = 1.0
key = "3"
[[event]]
t = 2.0
key = "Space"
[[event]]
t = 3.0
key = "H"
[[event]]
t = 5.0
key = "Numpad5"
[[event]]
t = 10.0
focus = "Tender"
)");
  int held = 0, after = 0;
  for (const Row& row : f.screens) {
    const double t = num(row, "t");
    if (t >= 4.0 && t < 10.0) held += row.at("hold") == "1";
    if (t > 10.0) {
      EXPECT_EQ(row.at("hold"), "0") << t;
      EXPECT_EQ(row.at("target"), "Beacon") << t;  // the target stays chosen
      ++after;
    }
  }
  EXPECT_GE(held, 6);
  EXPECT_EQ(after, 30);
  for (const Row& row : f.telemetry) {
    if (num(row, "t") < 10.0 || row.at("vessel") == "Beacon") continue;
    EXPECT_TRUE(allLevelsZero(row)) << row.at("vessel") << " at " << row.at("t");
    if (row.at("vessel") == "Tender") {
      EXPECT_EQ(num(row, "propellant"), 4000.0) << row.at("t");
    }
  }
}

// The focus vessel is deleted while holding: the focus moves to the Tender,
// which the attitude hold flies on; then the Tender goes too, and with no
// vessel left no screen shows figures or takes the hold.
TEST_F(LifecycleSeam, DeletedFocusMovesOnThenLeavesNoFigures) {
  const Flown f = fly(R"(
[[vessel]]
name = "Tender"
body = "Earth"
position = [6771010.0, 300.0, 0.0]
velocity = [0.0, 7672.5977, 0.0]

[[screen]]
width = 300
height = 300
mode = "Gyrelle"
[[screen]]
width = 300
height = 300

[[event]]
t = 2.0
key = "H"
[[event]]
t = 10.0
delete = "Gyre-1"
[[event]]
t = 20.0
delete = "Tender"
[[event]]
t = 25.0
screen = 1
mode = "Gyrelle"
[[event]]
t = 26.0
screen = 1
key = "H"
)");
  ASSERT_EQ(f.err, "") << "every event acts";
  int flownOn = 0, blank = 0;
  for (const Row& row : f.screens) {
    const double t = num(row, "t");
    if (t > 10.0 && t < 20.0 && row.at("screen") == "0") {
      EXPECT_EQ(row.at("hold"), "1") << t;
      EXPECT_FALSE(row.at("dev_pitch").empty()) << t;
      ++flownOn;
    }
    if (t > 20.0 && row.at("mode") == "Attitude") {
      EXPECT_EQ(row.at("hold"), "0") << t << " screen " << row.at("screen");
      for (const char* figure :
           {"dev_pitch", "dev_yaw", "dev_roll", "rate_pitch", "rate_yaw", "rate_roll"})
        EXPECT_EQ(row.at(figure), "") << t << " " << figure;
      ++blank;
    }
  }
  EXPECT_EQ(flownOn, 9);
  EXPECT_GE(blank, 20 + 15);  // screen 0 after 20 s, screen 1 from 25 s
  // The Tender was flown after the deletion: its hold held it still.
  for (const Row& row : f.telemetry) {
    if (row.at("vessel") == "Tender" && num(row, "t") >= 12.0) {
      EXPECT_LT(std::fabs(num(row, "wx")), 1e-4) << row.at("t");
    }
  }
}

// Three screens: the third takes slot 1 from the second, which then takes no
// hold but keeps showing live figures; once the third goes, the second gets
// its slot back and holds.
TEST_F(LifecycleSeam, ScreenWithoutSlotTakesNoHoldUntilASlotFrees) {
  const Flown f = fly(R"(
[[screen]]
width = 300
height = 300
mode = "Gyrelle"
[[screen]]
width = 300
height = 300
mode = "Gyrelle"
[[screen]]
width = 300
height = 300
mode = "Gyrelle"

[[event]]
t = 2.0
screen = 1
key = "H"
[[event]]
t = 10.0
screen = 2
mode = "none"
[[event]]
t = 11.0
screen = 1
key = "H"
)");
  // Screen 1's pitch deviation [deg] at its first and last redraw without a slot.
  std::map<double, double> pitchWithoutSlot;  // t -> dev_pitch
  for (const Row& row : f.screens) {
    if (row.at("screen") != "1") continue;
    const double t = num(row, "t");
    if (t < 10.0) {
      EXPECT_EQ(row.at("hold"), "0") << t;
      pitchWithoutSlot[t] = num(row, "dev_pitch");
    }
    if (t > 11.0) {
      EXPECT_EQ(row.at("hold"), "1") << t;
    }
  }
  ASSERT_EQ(pitchWithoutSlot.size(), 10u);
  // The vessel turns at 0.57 deg/s, and the page follows it.
  const double turned = pitchWithoutSlot.rbegin()->second - pitchWithoutSlot.begin()->second;
  EXPECT_NEAR(std::fabs(turned), 9 * 0.573, 0.05);
  EXPECT_LT(std::fabs(num(f.telemetry.back(), "wx")), 1e-4);
}

}  // namespace
