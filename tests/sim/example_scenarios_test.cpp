// The example scenarios under scenarios/, each flown as its comments tell,
// with the report (read as JSON), the screen log and the telemetry checked
// against the bounds the file states.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <nlohmann/json.hpp>

#include "sim_run.h"
#include "support/test_paths.h"

namespace {

using Json = nlohmann::json;
using simtest::num;
using simtest::readCsv;
using simtest::Row;

class ExampleScenario : public simtest::SimRun {
 protected:
  // Flies scenarios/NAME.toml and reads its outputs.
  void fly(const std::string& name) {
    const simtest::RunResult r = run(
        {std::string(testsupport::envPath("GYRELLE_SOURCE_DIR")) + "/scenarios/" + name + ".toml",
         "--report", path("report.json"), "--screens", path("screens.csv"), "--telemetry",
         path("telemetry.csv"), "--quiet"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "") << "every event acts";
    report = Json::parse(simtest::readFile(path("report.json")));
    screens = readCsv(simtest::readFile(path("screens.csv")));
    telemetry = readCsv(simtest::readFile(path("telemetry.csv")));
  }
  const Json& vessel(const std::string& name) const {
    for (const Json& v : report["vessels"])
      if (v["name"] == name) return v;
    ADD_FAILURE() << "no vessel " << name << " in the report";
    return report;
  }
  const Json& onlyHold(size_t screen) const {
    const Json& holds = report["screens"].at(screen)["holds"];
    EXPECT_EQ(holds.size(), 1u) << holds;
    return holds.at(0);
  }

  Json report;
  std::vector<Row> screens, telemetry;
};

TEST_F(ExampleScenario, TumbleIsStoppedAndHeld) {
  fly("tumble");
  const Json& gyre = vessel("Gyre-1");
  EXPECT_NEAR(gyre["max_rate_deg_s"].get<double>(), 6.99, 0.005);
  EXPECT_EQ(gyre["max_rate_at_s"].get<double>(), 0.0);
  EXPECT_LT(gyre["final_rate_deg_s"].get<double>(), 0.01);
  const Json& p = gyre["propellant_kg"];
  EXPECT_GE(p["total"].get<double>(), 2.0);
  EXPECT_LE(p["total"].get<double>(), 8.0);
  EXPECT_EQ(p["rotation"].get<double>(), p["total"].get<double>());
  const Json& hold = onlyHold(0);
  EXPECT_EQ(hold["mode"], "Attitude");
  EXPECT_EQ(hold["start_s"].get<double>(), 5.0);
  EXPECT_TRUE(hold["end_s"].is_null());
  ASSERT_TRUE(hold["settle_time_s"].is_number()) << hold;
  EXPECT_LE(hold["settle_time_s"].get<double>(), 60.0);
  EXPECT_TRUE(report["screens"][0]["final_hold"].get<bool>());
}

TEST_F(ExampleScenario, RendezvousTrimsTheRelativeVelocityToZero) {
  fly("rendezvous");
  const Json& p = vessel("Gyre-1")["propellant_kg"];
  EXPECT_GE(p["total"].get<double>(), 10.0);
  EXPECT_LE(p["total"].get<double>(), 25.0);
  EXPECT_GE(p["linear"].get<double>(), 5.0);
  EXPECT_LE(p["linear"].get<double>(), 10.0);
  EXPECT_EQ(vessel("Tender")["propellant_kg"]["total"].get<double>(), 0.0);
  const Json& hold = onlyHold(0);
  EXPECT_EQ(hold["mode"], "Target Relative");
  EXPECT_EQ(hold["start_s"].get<double>(), 6.0);
  ASSERT_TRUE(hold["settle_time_s"].is_number()) << hold;
  EXPECT_LE(hold["settle_time_s"].get<double>(), 80.0);
  int trimmed = 0;
  for (const Row& row : screens) {
    if (row.at("distance").empty()) continue;
    const double t = num(row, "t");
    EXPECT_GE(num(row, "distance"), 400.0) << t;
    EXPECT_LE(num(row, "distance"), 420.0) << t;
    if (t >= 22.0 && t <= 36.0) {
      EXPECT_EQ(num(row, "range_rate"), 0.0) << t;
      ++trimmed;
    }
  }
  EXPECT_EQ(trimmed, 15);
  EXPECT_LE(std::fabs(num(screens.back(), "range_rate")), 0.05);
  EXPECT_EQ(screens.back().at("target"), "Tender");
}

TEST_F(ExampleScenario, EntryAttitudeIsHeldOnTheApproach) {
  fly("entry");
  const Json& p = vessel("Gyre-1")["propellant_kg"];
  EXPECT_GE(p["rotation"].get<double>(), 1.0);
  EXPECT_LE(p["rotation"].get<double>(), 10.0);
  EXPECT_EQ(p["rotation"].get<double>(), p["total"].get<double>());
  const Json& hold = onlyHold(0);
  EXPECT_EQ(hold["mode"], "Entry Interface");
  EXPECT_EQ(hold["start_s"].get<double>(), 4.0);
  EXPECT_TRUE(hold["end_s"].is_null());
  ASSERT_TRUE(hold["settle_time_s"].is_number()) << hold;
  EXPECT_LE(hold["settle_time_s"].get<double>(), 90.0);
  // The prediction on the page: a shallow entry, coming closer as time goes.
  double firstT = -1, firstToGo = 0;
  for (const Row& row : screens) {
    if (row.at("mode") != "Entry Interface") continue;
    ASSERT_FALSE(row.at("entry_angle").empty()) << row.at("t");
    EXPECT_GE(num(row, "entry_angle"), 0.5);
    EXPECT_LE(num(row, "entry_angle"), 1.5);
    if (firstT < 0) {
      firstT = num(row, "t");
      firstToGo = num(row, "time_to_go");
    }
  }
  const Row& last = screens.back();
  EXPECT_GE(num(last, "time_to_go"), 1200.0);
  EXPECT_LE(num(last, "time_to_go"), 1300.0);
  EXPECT_NEAR(firstToGo - num(last, "time_to_go"), num(last, "t") - firstT, 2.0);
}

TEST_F(ExampleScenario, TargetLostDuringATrimLetsGo) {
  fly("target-lost");
  for (const Row& row : screens) {
    const double t = num(row, "t");
    if (t >= 2.0 && t <= 20.0) {
      EXPECT_EQ(row.at("target"), "Tender") << t;
      EXPECT_FALSE(row.at("distance").empty()) << t;
    }
    if (t >= 21.0) {
      EXPECT_EQ(row.at("target"), "") << t;
      EXPECT_EQ(row.at("distance"), "") << t;
      EXPECT_EQ(row.at("range_rate"), "") << t;
      EXPECT_EQ(row.at("hold"), "0") << t;
      // No line of sight: the deviations are blank, the rates stay in their columns.
      for (const char* deviation : {"dev_pitch", "dev_yaw", "dev_roll"})
        EXPECT_EQ(row.at(deviation), "") << t << " " << deviation;
      EXPECT_NEAR(num(row, "rate_pitch"), 2.0, 0.1) << t;
      EXPECT_EQ(num(row, "rate_yaw"), 0.0) << t;
      EXPECT_EQ(num(row, "rate_roll"), 0.0) << t;
    }
  }
  EXPECT_EQ(report["screens"][0]["final_mode"], "Target Relative");
  const Json& hold = onlyHold(0);
  EXPECT_EQ(hold["start_s"].get<double>(), 3.0);
  EXPECT_EQ(hold["end_s"].get<double>(), 21.0);
  EXPECT_TRUE(hold["settle_time_s"].is_null());

  std::string propellantAt21;
  for (const Row& row : telemetry) {
    if (row.at("vessel") != "Gyre-1" || num(row, "t") < 21.0) continue;
    for (const char* level :
         {"pitch", "yaw", "roll", "lat", "vert", "fa", "main", "retro", "hover"})
      EXPECT_EQ(num(row, level), 0.0) << row.at("t") << " " << level;
    if (propellantAt21.empty()) propellantAt21 = row.at("propellant");
    EXPECT_EQ(row.at("propellant"), propellantAt21) << row.at("t");
  }
  const Json& gyre = vessel("Gyre-1");
  EXPECT_GE(gyre["propellant_kg"]["total"].get<double>(), 5.0);
  EXPECT_LE(gyre["propellant_kg"]["total"].get<double>(), 15.0);
  EXPECT_GT(gyre["propellant_kg"]["linear"].get<double>(),
            gyre["propellant_kg"]["total"].get<double>() / 2);
  EXPECT_NEAR(gyre["final_rate_deg_s"].get<double>(), 2.0, 0.1);
  EXPECT_EQ(vessel("Tender")["propellant_kg"]["total"].get<double>(), 0.0);
}

}  // namespace
