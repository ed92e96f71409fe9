// A campaign run's row: written and read back it must give the very record
// (every double bit for bit, names and reasons with commas, quotes and line
// breaks), refuse lines that are not rows, and carry the flight's figures in
// the columns' order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "sim/campaign/run_record.h"

namespace {

using sim::Outcome;
using sim::RunColumns;
using sim::RunRecord;
using sim::RunStatus;

const RunColumns kColumns = {{"spin.x", "mass, \"dry\"", "t"},
                             {"holds, then \"settles\"", "plain"},
                             {"Gyre-1.delta_v_m_s", "screen0.settle_time_s"}};

// The record parseRow gives back: figures one per column.
RunRecord normalised(RunRecord r) {
  if (r.figures.empty()) r.figures.resize(kColumns.figures.size());
  return r;
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expectSame(const RunRecord& want, const RunRecord& got) {
  EXPECT_EQ(want.index, got.index);
  EXPECT_EQ(want.seed, got.seed);
  EXPECT_EQ(want.status, got.status);
  EXPECT_EQ(want.reason, got.reason);
  ASSERT_EQ(want.drawn.size(), got.drawn.size());
  for (size_t i = 0; i < want.drawn.size(); ++i)
    EXPECT_TRUE(sameBits(want.drawn[i], got.drawn[i])) << want.drawn[i] << " " << got.drawn[i];
  EXPECT_EQ(want.outcomes, got.outcomes);
  ASSERT_EQ(want.figures.size(), got.figures.size());
  for (size_t i = 0; i < want.figures.size(); ++i) {
    ASSERT_EQ(want.figures[i].has_value(), got.figures[i].has_value());
    if (want.figures[i]) {
      EXPECT_TRUE(sameBits(*want.figures[i], *got.figures[i]));
    }
  }
}

TEST(RunRows, ReadBackAsWrittenForEveryStatusAndExtreme) {
  constexpr double kMax = std::numeric_limits<double>::max();
  constexpr double kTiny = std::numeric_limits<double>::denorm_min();
  const RunRecord records[] = {
      {0,
       0,
       RunStatus::Ok,
       "",
       {0.1 + 0.2, -0.0, 1e-300},
       {Outcome::Passed, Outcome::Failed},
       {7655.7227, std::nullopt}},
      {std::numeric_limits<uint64_t>::max(),
       0x9e3779b97f4a7c15ull,
       RunStatus::Ok,
       "",
       {kMax, -kMax, kTiny},
       {Outcome::Skipped, Outcome::Passed},
       {-kTiny, 1.0 / 3.0}},
      {17, 42, RunStatus::Ok, "", {1, 2, 3}, {Outcome::Passed, Outcome::Passed}, {}},
      {3, 5, RunStatus::Error, "run.toml:3:7: 'dry_mass' must be positive, got \"-2\"", {}, {}, {}},
      {4, 6, RunStatus::Error, "state no longer finite", {0.5, 2e9, -7.25}, {}, {1.5, {}}},
      {5, 7, RunStatus::Crashed, "signal 11 (Segmentation fault)", {1, 2, 3}, {}, {}},
      {6, 8, RunStatus::TimeLimit, "", {1, 2, 3}, {}, {}},
  };
  for (const RunRecord& r : records) {
    SCOPED_TRACE(sim::formatRow(r, kColumns));
    const auto back = sim::parseRow(sim::formatRow(r, kColumns), kColumns);
    ASSERT_TRUE(back);
    expectSame(normalised(r), *back);
  }
  // A reason stays on its row's line.
  RunRecord multiLine{9, 9, RunStatus::Error, "first\nsecond\r\nthird", {}, {}, {}};
  const std::string row = sim::formatRow(multiLine, kColumns);
  EXPECT_EQ(row.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(sim::parseRow(row, kColumns)->reason, "first second  third");
}

TEST(RunRows, HeaderQuotesNamesAsCsvDoes) {
  EXPECT_EQ(sim::headerRow(kColumns),
            "run,seed,status,reason,spin.x,\"mass, \"\"dry\"\"\",t,\"holds, then \"\"settles\"\"\","
            "plain,Gyre-1.delta_v_m_s,screen0.settle_time_s");
  const auto fields = sim::splitCsvLine(sim::headerRow(kColumns));
  ASSERT_TRUE(fields);
  EXPECT_EQ((*fields)[5], "mass, \"dry\"");
  EXPECT_EQ((*fields)[7], "holds, then \"settles\"");
}

TEST(RunRows, LinesThatAreNotRowsAreRefused) {
  const std::string good = sim::formatRow(
      {2, 3, RunStatus::Ok, "", {1, 2, 3}, {Outcome::Passed, Outcome::Failed}, {4, 5}}, kColumns);
  ASSERT_TRUE(sim::parseRow(good, kColumns));
  const std::string bad[] = {
      "",
      good.substr(0, good.size() - 2),       // torn: a column short
      good + ",",                            // a column too many
      "2,3,flying,,1,2,3,pass,fail,4,5",     // no such status
      "2,3,ok,,1,2,3,pass,maybe,4,5",        // no such outcome
      "2,3,ok,,1,2,3,pass,,4,5",             // a run flown to its end judged every one
      "2,3,error,boom,1,2,3,pass,fail,4,5",  // a failed run judged none
      "-2,3,ok,,1,2,3,pass,fail,4,5",        // a run's index is not negative
      "2,3x,ok,,1,2,3,pass,fail,4,5",        // nothing after a number
      "2,3,ok,,1,2.5.1,3,pass,fail,4,5",     // a drawn value that is no number
      "2,3,ok,,1,,3,pass,fail,4,5",          // one drawn value of three
      "2,3,ok,,1,2,3,pass,fail,4,0x5",       // a figure that is no number
      "2,3,error,\"open quote,1,2,3,,,4,5",  // quotes that do not pair up
      "2,3,error,\"a\"b,1,2,3,,,4,5",        // text after a closing quote
      "2,3,error,a\"b,1,2,3,,,4,5",          // a quote inside an unquoted field
  };
  for (const std::string& line : bad) EXPECT_FALSE(sim::parseRow(line, kColumns)) << line;
}

TEST(RunRows, RecordsThatDoNotFitTheColumnsAreProgrammingErrors) {
  EXPECT_THROW(sim::formatRow({0, 0, RunStatus::Ok, "", {1, 2}, {}, {}}, kColumns),
               std::invalid_argument);
  EXPECT_THROW(sim::formatRow({0, 0, RunStatus::Ok, "", {}, {Outcome::Passed}, {}}, kColumns),
               std::invalid_argument);
  EXPECT_THROW(
      sim::formatRow({0, 0, RunStatus::Error, "x", {}, {Outcome::Passed, Outcome::Passed}, {}},
                     kColumns),
      std::invalid_argument);
}

// Two vessels (one spawned, one whose name a spawn takes again after its
// deletion) and two screens, of which the flight redrew one.
TEST(RunFigures, OneColumnEachInTheScenariosOrderFromTheReport) {
  const char* text = R"(
[[body]]
name = "Earth"
mu = 3.986e14
radius = 6371010.0
[[vessel]]
name = "Gyre-1"
body = "Earth"
position = [6671010.0, 0.0, 0.0]
velocity = [0.0, 7655.7227, 0.0]
[[screen]]
[[screen]]
[[event]]
t = 1.0
spawn = { name = "Probe", body = "Earth", position = [6671110.0, 0.0, 0.0], velocity = [0.0, 7655.7, 0.0] }
[[event]]
t = 2.0
delete = "Probe"
[[event]]
t = 3.0
spawn = { name = "Probe", body = "Earth", position = [6671210.0, 0.0, 0.0], velocity = [0.0, 7655.7, 0.0] }
)";
  const sim::Scenario scenario = sim::parseScenario(text, "figures.toml");
  const std::vector<std::string> want = {
      "Gyre-1.propellant_kg.total",   "Gyre-1.propellant_kg.rotation",
      "Gyre-1.propellant_kg.linear",  "Gyre-1.propellant_kg.engines",
      "Gyre-1.delta_v_m_s",           "Gyre-1.max_rate_deg_s",
      "Gyre-1.final_rate_deg_s",      "Probe.propellant_kg.total",
      "Probe.propellant_kg.rotation", "Probe.propellant_kg.linear",
      "Probe.propellant_kg.engines",  "Probe.delta_v_m_s",
      "Probe.max_rate_deg_s",         "Probe.final_rate_deg_s",
      "screen0.settle_time_s",        "screen0.final_dev_pitch",
      "screen0.final_dev_yaw",        "screen0.final_dev_roll",
      "screen1.settle_time_s",        "screen1.final_dev_pitch",
      "screen1.final_dev_yaw",        "screen1.final_dev_roll"};
  EXPECT_EQ(sim::figureColumns(scenario), want);

  // The report knows Gyre-1 and the second Probe (the first one deleted), and
  // a hold on screen 0 that settled 3 s after it started (the first redraw
  // within the limit that barely moved since the one before).
  halcyra::World world;
  halcyra::VesselSpec spec;
  spec.name = "Gyre-1";
  halcyra::Vessel& gyre = *world.vessel(world.addVessel(spec));
  spec.name = "Probe";
  const halcyra::ObjectId firstProbe = world.addVessel(spec);
  sim::FlightReport report;
  report.sampled(0.0, world);
  world.vessel(firstProbe)->propellantBurnt[THGROUP_MAIN] = 99.0;
  report.sampled(1.0, world);
  world.deleteObject(firstProbe);
  halcyra::Vessel& probe = *world.vessel(world.addVessel(spec));
  gyre.propellantBurnt[THGROUP_PITCH_RAISE] = 1.5;
  gyre.propellantBurnt[THGROUP_LIN_POS_X] = 0.25;
  gyre.propellantBurnt[THGROUP_MAIN] = 2.0;
  gyre.rocketDeltaV = 12.5;
  gyre.angVel = {0.0, 0.0, 1.0 / 57.29577951308232};  // 1 deg/s
  probe.propellantBurnt[THGROUP_RETRO] = 3.0;
  report.sampled(2.0, world);
  gyre.angVel = {0.0, 0.0, 0.0};
  report.sampled(3.0, world);
  sim::PageReading page;
  page.mode = "Attitude";
  page.hold = true;
  for (double t : {10.0, 11.0, 12.0, 13.0}) {
    const double pitch = t < 12.0 ? 1.0 : 0.05;
    page.deviation = {pitch, -0.02, 0.03};
    page.rate = {0.0, 0.0, 0.0};
    report.redraw(t, 0, page);
  }
  report.finished(14.0, world);

  const std::vector<std::optional<double>> got = sim::runFigures(scenario, report);
  ASSERT_EQ(got.size(), want.size());
  const std::vector<std::optional<double>> values = {
      3.75,         1.5,          0.25,         2.0,
      12.5,         1.0,          0.0,  // Gyre-1
      3.0,          0.0,          0.0,          3.0,
      0.0,          0.0,          0.0,                 // the second Probe, not the deleted one
      3.0,          0.05,         -0.02,        0.03,  // screen 0: settled from t = 13 s
      std::nullopt, std::nullopt, std::nullopt, std::nullopt};  // screen 1: never redrawn
  for (size_t i = 0; i < want.size(); ++i) {
    ASSERT_EQ(got[i].has_value(), values[i].has_value()) << want[i];
    if (got[i]) {
      EXPECT_NEAR(*got[i], *values[i], 1e-12) << want[i];
    }
  }
}

}  // namespace
