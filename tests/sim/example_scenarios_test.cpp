// The example scenarios under scenarios/: each states what it shows in its
// own [[expect]] tables, and every one of them must pass, read plainly and
// with --strict. What the tables cannot say (a hold's record in the report,
// a figure left blank, a figure that changes by the time flown, a value
// that stays what it was) is checked here on the outputs.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <regex>

#include "sim_run.h"
#include "support/test_paths.h"

namespace {

using Json = nlohmann::json;
using simtest::num;
using simtest::readCsv;
using simtest::Row;

// A shipped scenario, the fewest expectations it states (so that tables
// dropped from the file are noticed), and the one hold of its screen 0.
struct Story {
  const char* name;
  int expectations;
  const char* holdMode;           // nullptr: the screen holds more than once
  double holdStart;               // [s]
  std::optional<double> holdEnd;  // [s] none: to the end of the run
};

const Story kStories[] = {
    {"default", 6, nullptr, 0.0, std::nullopt},
    {"tumble", 10, "Attitude", 5.0, std::nullopt},
    {"rendezvous", 12, "Target Relative", 6.0, std::nullopt},
    {"entry", 10, "Entry Interface", 4.0, std::nullopt},
    {"target-lost", 15, "Target Relative", 3.0, 21.0},
};

std::string scenarioPath(const std::string& name) {
  return std::string(testsupport::envPath("GYRELLE_SOURCE_DIR")) + "/scenarios/" + name + ".toml";
}

// "Expectations: N passed, M failed" of the results; {-1, -1} if missing.
std::pair<int, int> tally(const std::string& out) {
  std::smatch m;
  static const std::regex kTally("Expectations: ([0-9]+) passed, ([0-9]+) failed");
  if (!std::regex_search(out, m, kTally)) return {-1, -1};
  return {std::stoi(m[1]), std::stoi(m[2])};
}

class ExampleScenario : public simtest::SimRun {
 protected:
  // Flies scenarios/NAME.toml and reads its outputs.
  simtest::RunResult fly(const std::string& name) {
    simtest::RunResult r =
        run({scenarioPath(name), "--report", path("report.json"), "--screens", path("screens.csv"),
             "--telemetry", path("telemetry.csv"), "--quiet"});
    if (r.status != 0) return r;
    report = Json::parse(simtest::readFile(path("report.json")));
    screens = readCsv(simtest::readFile(path("screens.csv")));
    telemetry = readCsv(simtest::readFile(path("telemetry.csv")));
    return r;
  }
  const Json& vessel(const std::string& name) const {
    for (const Json& v : report["vessels"])
      if (v["name"] == name) return v;
    ADD_FAILURE() << "no vessel " << name << " in the report";
    return report;
  }

  Json report;
  std::vector<Row> screens, telemetry;
};

TEST_F(ExampleScenario, EveryShippedScenarioMeetsItsOwnExpectations) {
  int flown = 0;
  for (const auto& e : std::filesystem::directory_iterator(
           std::string(testsupport::envPath("GYRELLE_SOURCE_DIR")) + "/scenarios")) {
    if (e.path().extension() != ".toml") continue;
    const std::string name = e.path().stem().string();
    SCOPED_TRACE(name);
    const Story* story = nullptr;
    for (const Story& s : kStories)
      if (name == s.name) story = &s;
    ASSERT_NE(story, nullptr) << "a shipped scenario this test does not know";
    ++flown;

    const simtest::RunResult plain = fly(name);
    ASSERT_EQ(plain.status, 0) << plain.out << plain.err;
    // Standard error holds the results and nothing else: every event acts.
    for (const std::string& line : simtest::lines(plain.err))
      EXPECT_TRUE(line.rfind("Expectations: ", 0) == 0 || line.rfind("  pass  ", 0) == 0) << line;
    const auto [passed, failed] = tally(plain.err);
    EXPECT_GE(passed, story->expectations) << plain.err;
    EXPECT_EQ(failed, 0) << plain.err;

    const simtest::RunResult strict = run({scenarioPath(name), "--strict", "--quiet"});
    EXPECT_EQ(strict.status, 0) << strict.err;
    EXPECT_EQ(strict.err, plain.err) << "the same flight, the same results";

    if (story->holdMode == nullptr) continue;
    const Json& holds = report["screens"].at(0)["holds"];
    ASSERT_EQ(holds.size(), 1u) << holds;
    EXPECT_EQ(holds[0]["mode"], story->holdMode);
    EXPECT_EQ(holds[0]["start_s"].get<double>(), story->holdStart);
    if (story->holdEnd)
      EXPECT_EQ(holds[0]["end_s"], *story->holdEnd);
    else
      EXPECT_TRUE(holds[0]["end_s"].is_null()) << holds[0];
  }
  EXPECT_EQ(flown, int(std::size(kStories)));
}

// The time to go falls by the time flown: the prediction stays put.
TEST_F(ExampleScenario, EntryTimeToGoFallsByTheTimeFlown) {
  ASSERT_EQ(fly("entry").status, 0);
  const Row* first = nullptr;
  for (const Row& row : screens)
    if (!first && row.at("mode") == "Entry Interface") first = &row;
  ASSERT_NE(first, nullptr);
  const Row& last = screens.back();
  EXPECT_NEAR(num(*first, "time_to_go") - num(last, "time_to_go"),
              num(last, "t") - num(*first, "t"), 2.0);
}

// Once the Tender is gone the page leaves its figures blank, the hold never
// settled, and with every level zero the propellant stays what it was.
TEST_F(ExampleScenario, TargetLostLeavesTheFiguresBlankAndThePropellantAlone) {
  ASSERT_EQ(fly("target-lost").status, 0);
  for (const Row& row : screens) {
    if (num(row, "t") < 21.0) continue;
    for (const char* blank : {"distance", "range_rate", "dev_pitch", "dev_yaw", "dev_roll"})
      EXPECT_EQ(row.at(blank), "") << row.at("t") << " " << blank;
  }
  EXPECT_TRUE(report["screens"][0]["holds"][0]["settle_time_s"].is_null());
  std::string propellantAt21;
  for (const Row& row : telemetry) {
    if (row.at("vessel") != "Gyre-1" || num(row, "t") < 21.0) continue;
    if (propellantAt21.empty()) propellantAt21 = row.at("propellant");
    EXPECT_EQ(row.at("propellant"), propellantAt21) << row.at("t");
  }
  EXPECT_FALSE(propellantAt21.empty());
  EXPECT_GT(vessel("Gyre-1")["propellant_kg"]["linear"].get<double>(),
            vessel("Gyre-1")["propellant_kg"]["total"].get<double>() / 2);
}

}  // namespace
