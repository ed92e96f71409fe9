// The scripted pilot: a scenario with every event kind runs, and the effects
// the host can see (levels, docking, spawned and deleted vessels, redraws of
// touched screens) show in the telemetry and the dump at the right times.
#include <gtest/gtest.h>

#include <map>

#include "sim_run.h"

namespace {

// t,vessel -> the row's cells.
using Rows = std::map<std::pair<std::string, std::string>, std::vector<std::string>>;

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> cells;
  std::string cell;
  std::istringstream in(line);
  while (std::getline(in, cell, ',')) cells.push_back(cell);
  return cells;
}

Rows readTelemetry(const std::string& text, std::vector<std::string>& header) {
  Rows rows;
  const auto all = simtest::lines(text);
  header = split(all.at(0));
  for (size_t i = 1; i < all.size(); ++i) {
    auto cells = split(all[i]);
    rows[{cells.at(0), cells.at(1)}] = cells;
  }
  return rows;
}

constexpr const char* kEveryEvent = R"(
[[screen]]
width = 256
height = 280
mode = "Gyrelle"

[[screen]]
width = 128
height = 140

[[event]]
t = 0.5
key = 46            # C: colour mode

[[event]]
t = 0.8
key = 25            # P: "Select Pitch"
[[event]]
t = 0.9
input = "5"

[[event]]
t = 1.0
vessel = "B"
rot = [0.5, -0.25, 0.0]
lin = [0.0, 1.0, -0.5]
engine = [0.5, 0.0, 0.25]

[[event]]
t = 1.1
key = 21            # Y: "Select Yaw"
[[event]]
t = 1.2
cancel = true

[[event]]
t = 1.5
screen = 1
mode = "Gyrelle"
[[event]]
t = 1.6
screen = 1
mode = "none"

[[event]]
t = 2.0
dock = ["A", 0, "B"]

[[event]]
t = 2.5
spawn = { name = "C", body = "Earth", position = [6671010.0, -800.0, 0.0], velocity = [0.0, 7729.8, 0.0], class = "none", dry_mass = 1000.0, propellant = 0.0 }

[[event]]
t = 3.0
undock = ["A", 0]

[[event]]
t = 3.0
rebuild = true

[[event]]
t = 3.5
delete = "C"

[[event]]
t = 4.0
focus = "B"

[[event]]
t = 4.2
button = 28         # help page
[[event]]
t = 4.2
button = 28
release = true
[[event]]
t = 4.3
button = 0          # turns the help page
)";

class EventScript : public simtest::SimRun {};

TEST_F(EventScript, EveryEventKindTakesEffectAtItsTime) {
  const std::string file =
      writeScenario("events.toml", std::string(simtest::kTwoVessels) + kEveryEvent);
  const auto r = run({file, "--telemetry", path("tel.csv"), "--telemetry-every", "0.5", "--dump",
                      path("dump.txt"), "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;

  std::vector<std::string> header;
  const Rows rows = readTelemetry(simtest::readFile(path("tel.csv")), header);
  auto cell = [&](const char* t, const char* v, const char* column) {
    const auto it = rows.find({t, v});
    if (it == rows.end()) return std::string("(no row)");
    const size_t c = size_t(std::find(header.begin(), header.end(), column) - header.begin());
    return it->second.at(c);
  };
  // Levels of a vessel no screen flies, as set at t = 1.
  EXPECT_EQ(cell("0.500", "B", "pitch"), "0");
  EXPECT_EQ(cell("1.000", "B", "pitch"), "0.5");
  EXPECT_EQ(cell("1.000", "B", "yaw"), "-0.25");
  EXPECT_EQ(cell("1.000", "B", "vert"), "1");
  EXPECT_EQ(cell("1.000", "B", "fa"), "-0.5");
  EXPECT_EQ(cell("1.000", "B", "main"), "0.5");
  EXPECT_EQ(cell("1.000", "B", "hover"), "0.25");
  EXPECT_EQ(cell("4.500", "B", "main"), "0.5");  // levels persist
  // Docking.
  EXPECT_EQ(cell("1.500", "A", "docked"), "0");
  EXPECT_EQ(cell("2.000", "A", "docked"), "1");
  EXPECT_EQ(cell("2.500", "A", "docked"), "1");
  EXPECT_EQ(cell("3.000", "A", "docked"), "0");
  // The spawned vessel lives from 2.5 to 3.5.
  EXPECT_EQ(rows.count({"2.000", "C"}), 0u);
  EXPECT_EQ(cell("2.500", "C", "mass"), "1000");
  EXPECT_EQ(cell("3.000", "C", "body"), "Earth");
  EXPECT_EQ(rows.count({"3.500", "C"}), 0u);
  EXPECT_EQ(rows.count({"5.000", "A"}), 1u);

  // Screens touched by events are redrawn at the event's time; others are
  // not (the periodic interval is longer than the run).
  const std::string dump = simtest::readFile(path("dump.txt"));
  for (const char* frame :
       {"frame 0.000 0\n", "frame 0.000 1\n", "frame 0.500 0\n", "frame 0.900 0\n",
        "frame 1.200 0\n", "frame 1.500 1\n", "frame 1.600 1\n", "frame 3.000 0\n",
        "frame 3.000 1\n", "frame 4.200 0\n", "frame 4.300 0\n"})
    EXPECT_NE(dump.find(frame), std::string::npos) << frame;
  EXPECT_EQ(dump.find("frame 1.000 0\n"), std::string::npos);
  EXPECT_EQ(dump.find("frame 2.000 0\n"), std::string::npos);
  EXPECT_EQ(dump.find("frame 1.500 0\n"), std::string::npos);
}

TEST_F(EventScript, EqualTimesRunInFileOrder) {
  // Both set the same level at the same time; the later one in the file stands.
  const std::string file =
      writeScenario("order.toml", std::string(simtest::kTwoVessels) +
                                      "[[event]]\nt = 1.0\nvessel = \"B\"\nrot = [0.25, 0, 0]\n"
                                      "[[event]]\nt = 0.5\nvessel = \"B\"\nrot = [0.75, 0, 0]\n"
                                      "[[event]]\nt = 1.0\nvessel = \"B\"\nrot = [-0.5, 0, 0]\n");
  const auto r = run({file, "--until", "1", "--telemetry", path("tel.csv"), "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> header;
  const Rows rows = readTelemetry(simtest::readFile(path("tel.csv")), header);
  EXPECT_EQ(rows.at({"1.000", "B"}).at(17), "-0.5");
}

TEST_F(EventScript, AnEventThatCannotActIsANoteNotAFailure) {
  const std::string file = writeScenario(
      "note.toml", std::string(simtest::kTwoVessels) +
                       "[[screen]]\nmode = \"Gyrelle\"\n[[event]]\nt = 1.0\ninput = \"3\"\n");
  const auto r = run({file, "--until", "2", "--quiet"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("no input box open"), std::string::npos) << r.err;
}

}  // namespace
