// A campaign's results: statistics against values computed elsewhere (numpy
// 1.24, numpy.quantile's default method and std(ddof=1); Wilson intervals as
// published by Newcombe, Statistics in Medicine 17, 1998, table II), and the
// merge of shard files: the same rows in any files, order or duplication give
// the same bytes, missing runs are listed, shards of another campaign refused.
#include "sim/campaign/campaign_results.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

#include "sim/campaign/campaign_statistics.h"

namespace {

namespace fs = std::filesystem;
using sim::Outcome;
using sim::RunRecord;
using sim::RunStatus;

struct NumpyCase {
  std::vector<double> values;
  double mean;
  std::optional<double> std;
  double quantiles[5];  // 0.01, 0.05, 0.5, 0.95, 0.99
};

std::vector<double> evenlySpread() {
  std::vector<double> v;
  for (int i = 0; i <= 100; ++i) v.push_back(i * 0.37 - 5);  // numpy.arange(101) * 0.37 - 5
  return v;
}

TEST(CampaignStatistics, FiguresMatchNumpy) {
  const NumpyCase cases[] = {
      {{3.2, -1.5, 7.75, 0.0, 12.125, 3.2, -4.0, 9.5, 1e-3, 2.5, 6.0, -0.25, 100.0},
       10.655846153846154,
       27.237013544213916,
       {-3.7, -2.5, 3.2, 47.27499999999988, 89.45499999999991}},
      {{42.0}, 42.0, std::nullopt, {42.0, 42.0, 42.0, 42.0, 42.0}},
      {{2.0, 1.0}, 1.5, 0.7071067811865476, {1.01, 1.05, 1.5, 1.95, 1.99}},
      {evenlySpread(),
       13.500000000000002,
       10.841063139747872,
       {-4.63, -3.15, 13.5, 30.15, 31.630000000000003}},
  };
  for (const NumpyCase& c : cases) {
    // Values that are not finite are not counted.
    std::vector<double> values = c.values;
    values.insert(values.begin() + 1, std::numeric_limits<double>::quiet_NaN());
    values.push_back(-std::numeric_limits<double>::infinity());
    const sim::FigureStatistics s = sim::figureStatistics(values);
    SCOPED_TRACE(c.values.size());
    EXPECT_EQ(s.n, c.values.size());
    EXPECT_NEAR(*s.mean, c.mean, 1e-14 * std::fabs(c.mean));
    ASSERT_EQ(s.std.has_value(), c.std.has_value());
    if (c.std) {
      EXPECT_NEAR(*s.std, *c.std, 1e-14 * *c.std);
    }
    EXPECT_EQ(*s.min, *std::min_element(c.values.begin(), c.values.end()));
    EXPECT_EQ(*s.max, *std::max_element(c.values.begin(), c.values.end()));
    for (int q = 0; q < 5; ++q) EXPECT_DOUBLE_EQ(*s.quantile[q], c.quantiles[q]) << q;
  }
  EXPECT_EQ(sim::figureStatistics({}).n, 0u);
  EXPECT_FALSE(sim::figureStatistics({}).mean);
}

TEST(CampaignStatistics, WilsonIntervalsMatchThePublishedOnes) {
  struct Case {
    uint64_t passed, runs;
    double low, high;  // four decimals
  };
  const Case cases[] = {{81, 263, 0.2553, 0.3662},
                        {15, 148, 0.0624, 0.1605},
                        {0, 20, 0.0, 0.1611},
                        {1, 29, 0.0061, 0.1718}};
  for (const Case& c : cases) {
    const auto ci = sim::wilsonInterval(c.passed, c.runs);
    ASSERT_TRUE(ci);
    EXPECT_NEAR(ci->low, c.low, 5e-5) << c.passed << "/" << c.runs;
    EXPECT_NEAR(ci->high, c.high, 5e-5) << c.passed << "/" << c.runs;
  }
  EXPECT_EQ(sim::wilsonInterval(0, 20)->low, 0.0);
  EXPECT_EQ(sim::wilsonInterval(20, 20)->high, 1.0);
  EXPECT_FALSE(sim::wilsonInterval(0, 0));
}

// Ten runs of which six were flown: four to their end, one refused its
// draws, one stopped at its time limit.
class CampaignMerge : public ::testing::Test {
 protected:
  const sim::RunColumns columns_ = {{"spin.x"},
                                    {"holds", "settles, \"fast\""},
                                    {"Gyre-1.max_rate_deg_s", "screen0.final_dev_pitch"}};
  const sim::ShardHeader header_ = {"my hold.campaign.toml", "00c0ffee", 10, 7, 0, 2};

  RunRecord ok(uint64_t k, Outcome a, Outcome b, double rate, std::optional<double> dev) const {
    return {k, 100 + k, RunStatus::Ok, "", {0.1 * double(k)}, {a, b}, {rate, dev}};
  }
  std::vector<RunRecord> rows() const {
    const Outcome P = Outcome::Passed, F = Outcome::Failed, S = Outcome::Skipped;
    return {
        ok(0, P, P, 3.0, -0.5),
        ok(1, P, F, 7.0, 0.25),
        ok(2, P, P, 7.0, std::nullopt),
        {3, 103, RunStatus::Error, "run 3: 'dry_mass' must be positive, got \"-2\"", {}, {}, {}},
        {5, 105, RunStatus::TimeLimit, "", {0.5}, {}, {}},
        ok(8, S, P, 1.0, 0.1)};
  }

  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("gyrelle-merge-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A shard file of these rows (indices into rows()), a second flight of run
  // 1 stopped by the time limit when timeLimitCopy.
  std::string shard(const std::string& name, std::vector<size_t> which, bool timeLimitCopy,
                    const sim::ShardHeader& header) const {
    const std::string path = (dir_ / name).string();
    sim::ShardWriter w(path, header, columns_);
    const std::vector<RunRecord> all = rows();
    for (size_t i : which) w.append(all[i]);
    if (timeLimitCopy) w.append({1, 101, RunStatus::TimeLimit, "", {0.1}, {}, {}});
    return path;
  }
  static std::string text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path dir_;
};

TEST_F(CampaignMerge, AnyFilesAndOrderOfTheSameRowsGiveTheSameResults) {
  sim::ShardHeader second = header_;
  second.shard = 1;
  second.campaign = "other/name.toml";  // the same campaign named otherwise: the name sorted first
  const std::vector<std::string> split = {shard("a.csv", {2, 0, 1, 3}, false, header_),
                                          shard("b.csv", {5, 4, 0}, true, second)};
  std::ofstream(split[1], std::ios::binary | std::ios::app)
      << "8,108,ok,,0.\n9,1";  // a torn row ended by a resume, a torn one
  const std::vector<std::string> whole = {shard("c.csv", {4, 1, 5, 3, 0, 2, 2}, true, header_)};

  std::string err1, err2;
  EXPECT_EQ(sim::mergeCampaign(split, (dir_ / "r1").string(), err1), 1);
  EXPECT_EQ(sim::mergeCampaign(whole, (dir_ / "r2").string(), err2), 1);
  std::string err3;
  EXPECT_EQ(sim::mergeCampaign({split[1], split[0]}, (dir_ / "r3").string(), err3), 1);
  for (const char* file : {"runs.csv", "summary.json"}) {
    EXPECT_EQ(text(dir_ / "r1" / file), text(dir_ / "r2" / file)) << file;
    EXPECT_EQ(text(dir_ / "r1" / file), text(dir_ / "r3" / file)) << file;
  }

  const std::string runs = text(dir_ / "r1" / "runs.csv");
  std::string want = sim::headerRow(columns_) + "\n";
  for (const RunRecord& r : rows()) want += sim::formatRow(r, columns_) + "\n";
  EXPECT_EQ(runs, want);  // sorted by run, the flown copy of run 1 kept

  const auto j = nlohmann::json::parse(text(dir_ / "r1" / "summary.json"));
  EXPECT_EQ(j["campaign"], "my hold.campaign.toml");
  EXPECT_EQ(j["flown"], 6);
  EXPECT_EQ(j["missing"], nlohmann::json({4, 6, 7, 9}));
  EXPECT_EQ(j["status"],
            nlohmann::json({{"ok", 4}, {"error", 1}, {"crashed", 0}, {"time_limit", 1}}));
  EXPECT_EQ(j["all_expectations"]["passed"], 2);  // runs 0 and 2; run 8 skipped one
  EXPECT_EQ(j["all_expectations"]["runs"], 6);
  const auto& holds = j["expectations"][0];
  EXPECT_EQ(holds["runs"], 3);
  EXPECT_EQ(holds["skipped"], 1);
  EXPECT_EQ(holds["rate"], 1.0);
  const auto& settles = j["expectations"][1];
  EXPECT_EQ(settles["name"], "settles, \"fast\"");
  EXPECT_EQ(settles["passed"], 3);
  EXPECT_EQ(settles["failed"], 1);
  EXPECT_DOUBLE_EQ(settles["ci95"][0].get<double>(), sim::wilsonInterval(3, 4)->low);

  const auto& rate = j["figures"][0];  // 3, 7, 7, 1
  EXPECT_EQ(rate["n"], 4);
  EXPECT_EQ(rate["mean"], 4.5);
  EXPECT_EQ(rate["std"], 3.0);
  EXPECT_EQ(rate["p50"], 5.0);
  std::vector<std::pair<int, double>> worst;
  for (const auto& w : rate["worst"]) worst.emplace_back(w["run"], w["value"]);
  EXPECT_EQ(worst, (std::vector<std::pair<int, double>>{{1, 7.0}, {2, 7.0}, {0, 3.0}, {8, 1.0}}));
  EXPECT_EQ(rate["worst"][0]["replay"],
            "gyrelle-sim campaign 'my hold.campaign.toml' --run 1 --scenario-out run-1.toml && "
            "gyrelle-sim run-1.toml");
  const auto& dev = j["figures"][1];  // -0.5, 0.25, none, 0.1: worst by size
  EXPECT_EQ(dev["none"], 1);
  worst.clear();
  for (const auto& w : dev["worst"]) worst.emplace_back(w["run"], w["value"]);
  EXPECT_EQ(worst, (std::vector<std::pair<int, double>>{{0, -0.5}, {1, 0.25}, {8, 0.1}}));

  EXPECT_NE(err1.find("6 flown, 4 missing: 4, 6-7, 9"), std::string::npos) << err1;
  EXPECT_NE(err1.find("2 passed every expectation"), std::string::npos) << err1;
  EXPECT_NE(err1.find("1 error, 0 crashed, 1 time_limit"), std::string::npos) << err1;
  EXPECT_NE(err1.find("\"settles, \"fast\"\": 3 of 4 passed"), std::string::npos) << err1;
  EXPECT_NE(err1.find("worst screen0.final_dev_pitch -0.5 in run 0: gyrelle-sim campaign"),
            std::string::npos)
      << err1;
  EXPECT_NE(err1.find("b.csv: 1 line(s) that are not rows skipped"), std::string::npos) << err1;
  EXPECT_EQ(err2.find("not rows"), std::string::npos) << err2;
}

TEST_F(CampaignMerge, EveryRunPresentIsSuccessAndAnotherCampaignIsRefused) {
  sim::ShardHeader small = header_;
  small.runs = 3;
  const std::string first = shard("s0.csv", {0, 1, 2}, false, small);
  std::string err;
  EXPECT_EQ(sim::mergeCampaign({first}, (dir_ / "r").string(), err), 0);
  EXPECT_EQ(nlohmann::json::parse(text(dir_ / "r" / "summary.json"))["missing"],
            nlohmann::json::array());

  for (bool identity : {true, false}) {
    sim::ShardHeader other = small;
    if (identity) {
      other.identity = "0badf00d";
    } else {
      other.runs = 4;
    }
    const std::string foreign = shard("foreign.csv", {0}, false, other);
    try {
      sim::mergeCampaign({first, foreign}, (dir_ / "r").string(), err);
      ADD_FAILURE() << "merged shards of two campaigns";
    } catch (const sim::ShardError& e) {
      const std::string what = e.what();
      EXPECT_EQ(what.rfind(foreign + ": a shard of another campaign", 0), 0u) << what;
      EXPECT_NE(what.find(first), std::string::npos) << what;
    }
  }
  EXPECT_THROW(sim::mergeCampaign({}, (dir_ / "r").string(), err), sim::ShardError);
}

}  // namespace
