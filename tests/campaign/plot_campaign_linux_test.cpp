// scripts/plot-campaign on a small results folder: the runs it counts as
// passed, the inputs and figures it tells apart, the charts it draws, and the
// folders it refuses. Linux only: the script is a tool of the Linux machine
// (Debian's Python, numpy and matplotlib).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sim/sim_run.h"
#include "support/test_paths.h"

namespace {

// Nine runs of a campaign with a scalar draw "tilt" and a vector draw "push",
// two expectations and the figures of vessel V and screen 0. Run 5 failed an
// expectation, run 6 skipped one (a skip is no failure), runs 7 and 8 never
// finished; V's linear propellant is 0 in every run.
constexpr const char* kRuns =
    "run,seed,status,reason,tilt,push.x,push.y,push.z,fast,cheap,"
    "V.propellant_kg.total,V.propellant_kg.linear,V.max_rate_deg_s,"
    "screen0.settle_time_s,screen0.final_dev_pitch,screen0.final_dev_yaw\n"
    "0,11,ok,,0.1,1,0,0,pass,pass,0.5,0,1.5,3,0.01,-0.02\n"
    "1,12,ok,,0.2,0,2,0,pass,pass,0.7,0,1.7,4,-0.03,0.01\n"
    "2,13,ok,,0.3,0,0,3,pass,pass,0.6,0,1.6,5,0.02,0.02\n"
    "3,14,ok,,0.4,1,1,0,pass,pass,0.9,0,1.9,6,0.00,-0.01\n"
    "4,15,ok,,0.5,0,1,1,pass,pass,0.8,0,1.8,7,-0.01,0.03\n"
    "5,16,ok,,0.6,2,2,2,fail,pass,1.9,0,2.9,,0.20,0.10\n"
    "6,17,ok,,0.7,1,0,1,pass,skip,0.4,0,1.4,2,0.01,0.00\n"
    "7,18,error,\"run 7: a negative mass, -3\",0.8,0,0,1,,,,,,,,\n"
    "8,19,time_limit,,0.9,1,1,1,,,,,,,,\n";

class PlotCampaign : public simtest::SimRun {
 protected:
  simtest::RunResult plot(const std::string& folder) const {
    return runProgram(
        {std::string(testsupport::envPath("GYRELLE_SOURCE_DIR")) + "/scripts/plot-campaign",
         folder});
  }
  static bool isPng(const std::string& file) {
    return simtest::readFile(file).rfind("\x89PNG\r\n\x1a\n", 0) == 0;
  }
};

TEST_F(PlotCampaign, DrawsEveryChartOfTheResults) {
  std::filesystem::create_directory(path("results"));
  std::ofstream(path("results/runs.csv")) << kRuns;
  const simtest::RunResult r = plot(path("results"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(simtest::lines(r.out).at(0),
            "9 runs, 6 passed; inputs: tilt, push.x, push.y, push.z, |push|; figures: "
            "V.propellant_kg.total, V.propellant_kg.linear, V.max_rate_deg_s, "
            "screen0.settle_time_s, screen0.final_dev_pitch, screen0.final_dev_yaw");

  std::vector<std::string> charts;
  for (const auto& e : std::filesystem::directory_iterator(path("results/plots"))) {
    EXPECT_TRUE(isPng(e.path().string())) << e.path();
    charts.push_back(e.path().filename().string());
  }
  std::sort(charts.begin(), charts.end());
  // No chart of V's linear propellant against the inputs: it is 0 in every run.
  EXPECT_EQ(charts, (std::vector<std::string>{
                        "deviation-screen0.png",
                        "distribution-V.propellant_kg.total.png",
                        "distribution-screen0.settle_time_s.png",
                        "inputs-V.max_rate_deg_s.png",
                        "inputs-V.propellant_kg.total.png",
                        "inputs-screen0.final_dev_pitch.png",
                        "inputs-screen0.final_dev_yaw.png",
                        "inputs-screen0.settle_time_s.png",
                    }));
  EXPECT_EQ(simtest::lines(r.out).size(), 1 + charts.size()) << "every chart written is named";
}

// The shipped campaign, cut to four runs and flown by gyrelle-sim: the script
// tells its drawn inputs, expectations and figures apart as written.
TEST_F(PlotCampaign, ReadsTheResultsGyrelleSimWrites) {
  const std::string shipped =
      std::string(testsupport::envPath("GYRELLE_SOURCE_DIR")) + "/scenarios/campaigns/";
  std::ofstream(path("hold.toml")) << simtest::readFile(shipped + "hold.toml");
  std::string campaign = simtest::readFile(shipped + "hold.campaign.toml");
  ASSERT_NE(campaign.find("runs = 1000"), std::string::npos);
  campaign.replace(campaign.find("runs = 1000"), 11, "runs = 4");
  std::ofstream(path("hold.campaign.toml")) << campaign;
  ASSERT_EQ(
      run({"campaign", path("hold.campaign.toml"), "--out", path("results"), "--quiet"}).status, 0);

  const simtest::RunResult r = plot(path("results"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(simtest::lines(r.out).at(0),
            "4 runs, 4 passed; inputs: attitude.alpha, attitude.beta, attitude.gamma, "
            "attitude.angle, spin.x, spin.y, spin.z, pitch_offset, yaw_offset, |spin|; figures: "
            "Gyre-1.propellant_kg.total, Gyre-1.propellant_kg.rotation, "
            "Gyre-1.propellant_kg.linear, Gyre-1.propellant_kg.engines, Gyre-1.delta_v_m_s, "
            "Gyre-1.max_rate_deg_s, Gyre-1.final_rate_deg_s, screen0.settle_time_s, "
            "screen0.final_dev_pitch, screen0.final_dev_yaw, screen0.final_dev_roll");
  EXPECT_TRUE(isPng(path("results/plots/deviation-screen0.png")));
}

TEST_F(PlotCampaign, RefusesAFolderWithoutResults) {
  const std::string header = "run,seed,status,reason,tilt,fast,V.max_rate_deg_s\n";
  const struct {
    const char* folder;
    const char* runs;  // runs.csv's text; null: no runs.csv
    const char* message;
  } cases[] = {
      {"missing", nullptr, "missing: no such folder"},
      {"empty", nullptr, "no runs.csv in it: not a campaign's results folder"},
      {"other", "a,b\n1,2\n", "not a campaign's runs.csv"},
      {"header-only", "", "no runs in it"},
      {"ragged", "0,1,ok,,0.5,pass\n", "rows of other lengths than the header's"},
      {"not-numbers", "0,1,ok,,high,pass,3\n", "column tilt holds a value that is not a number"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    if (std::string(c.folder) != "missing") std::filesystem::create_directory(path(c.folder));
    if (c.runs != nullptr) {
      const std::string text = std::string(c.folder) == "other" ? c.runs : header + c.runs;
      std::ofstream(path(std::string(c.folder) + "/runs.csv")) << text;
    }
    const simtest::RunResult r = plot(path(c.folder));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("Traceback"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(path(std::string(c.folder) + "/plots")));
  }
}

}  // namespace
