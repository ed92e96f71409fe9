// gyrelle-sim campaign as its user runs it: the results do not depend on how
// the runs were flown (one worker or two, shards merged, a campaign killed and
// resumed), a run flown again alone gives its row, a crash and a time limit
// are recorded while the campaign goes on, and a bad command line is refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>

#include "sim/campaign/run_record.h"
#include "sim/sim_run.h"

namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the programs a test starts, and removes it after.
struct Environment {
  Environment(const char* name, const char* value) : name(name) {
#ifdef _WIN32
    _putenv_s(name, value);
#else
    setenv(name, value, 1);
#endif
  }
  ~Environment() {
#ifdef _WIN32
    _putenv_s(name, "");
#else
    unsetenv(name);
#endif
  }
  const char* name;
};

// runs.csv's rows as named cells (its names may hold commas, quoted).
std::vector<simtest::Row> readRuns(const std::string& text) {
  std::vector<simtest::Row> rows;
  std::vector<std::string> header;
  for (const std::string& line : simtest::lines(text)) {
    const std::vector<std::string> cells = sim::splitCsvLine(line).value();
    if (header.empty()) {
      header = cells;
      continue;
    }
    simtest::Row& row = rows.emplace_back();
    for (size_t i = 0; i < header.size() && i < cells.size(); ++i) row[header[i]] = cells[i];
  }
  return rows;
}

// Runs enough to stop a campaign part way: a run of the tumble story takes a
// few milliseconds natively, a tenth of a second under Wine.
#ifdef _WIN32
constexpr uint64_t kManyRuns = 40;
#else
constexpr uint64_t kManyRuns = 300;
#endif

// Each run tumbles its own way: at times a tumble the hold does not stop
// within the flight, so that rows differ in figures and outcomes.
constexpr const char* kTumbleDispersed = R"(
[[dispersion]]
name = "tumble"
vessel = "Gyre-1"
quantity = "angular_velocity"
direction = "uniform"
magnitude = { uniform = [0.02, 0.4] }
)";

class Campaign : public simtest::SimRun {
 protected:
  // The tumble story (a hold from a tumble, ten expectations) as the base
  // scenario, until (s) as given, and a campaign of `runs` runs of it.
  std::string writeCampaign(uint64_t runs, const std::string& until = "120.0") {
    std::string base = simtest::readFile(std::string(testsupport::envPath("GYRELLE_SOURCE_DIR")) +
                                         "/scenarios/tumble.toml");
    base.replace(base.find("until = 120.0"), 13, "until = " + until);
    writeScenario("tumble.toml", base);
    return writeScenario("hold.campaign.toml",
                         "[campaign]\nscenario = \"tumble.toml\"\nruns = " + std::to_string(runs) +
                             "\nseed = 7\n" + kTumbleDispersed);
  }

  std::vector<std::string> campaignCommand(const std::vector<std::string>& args) const {
    std::vector<std::string> command = {testsupport::envPath("GYRELLE_SIM_PATH"), "campaign"};
    command.insert(command.end(), args.begin(), args.end());
    command.insert(command.end(), {"--module", testsupport::envPath("GYRELLE_MODULE_PATH")});
    return command;
  }
  simtest::RunResult campaign(const std::vector<std::string>& args) const {
    return runProgram(campaignCommand(args));
  }

  // runs.csv and summary.json of a results folder, as one text.
  std::string results(const std::string& folder) const {
    return simtest::readFile(path(folder + "/runs.csv")) + "\n---\n" +
           simtest::readFile(path(folder + "/summary.json"));
  }
};

TEST_F(Campaign, ResultsDoNotDependOnJobsShardsOrInterruptions) {
  const std::string file = writeCampaign(kManyRuns);
  const auto once = campaign({file, "--jobs", "1", "--out", path("once"), "--quiet"});
  ASSERT_EQ(once.status, 0) << once.err;
  const std::string expected = results("once");
  ASSERT_EQ(simtest::lines(simtest::readFile(path("once/runs.csv"))).size(), kManyRuns + 1);

  struct Way {
    const char* name;
    std::function<void(const std::string& out)> fly;
  };
  const Way ways[] = {
      {"two workers",
       [&](const std::string& out) {
         const auto r = campaign({file, "--jobs", "2", "--out", out});
         EXPECT_EQ(r.status, 0) << r.err;
       }},
      {"four shards merged",
       [&](const std::string& out) {
         std::vector<std::string> merge = {"merge"};
         for (int i = 3; i >= 0; --i) {  // in any order
           const auto r =
               campaign({file, "--shard", std::to_string(i) + "/4", "--out", out, "--jobs", "2"});
           EXPECT_EQ(r.status, 0) << r.err;
           merge.push_back(out + "/shard-" + std::to_string(i) + "-of-4.csv");
           EXPECT_FALSE(fs::exists(out + "/runs.csv")) << "a shard merges nothing";
         }
         const auto r = runProgram({testsupport::envPath("GYRELLE_SIM_PATH"), "campaign", merge[0],
                                    merge[1], merge[2], merge[3], merge[4]});
         EXPECT_EQ(r.status, 0) << r.err;
       }},
      {"killed, then resumed",
       [&](const std::string& out) {
         const std::string shard = out + "/shard-0-of-1.csv";
         {
           testsupport::ChildProcess child(campaignCommand({file, "--jobs", "2", "--out", out}),
                                           path("out.txt"), path("err.txt"));
           ASSERT_TRUE(child.started());
           // Killed outright once a few runs are in: the rows written stay.
           const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
           while (simtest::lines(simtest::readFile(shard)).size() < 12 &&
                  std::chrono::steady_clock::now() < deadline)
             std::this_thread::sleep_for(std::chrono::milliseconds(2));
           child.kill();
         }
         const size_t kept = simtest::lines(simtest::readFile(shard)).size();
         EXPECT_GE(kept, 12u);
         EXPECT_LT(kept, kManyRuns + 2) << "killed too late to show a resume";
         EXPECT_FALSE(fs::exists(out + "/runs.csv"));
         const auto r = campaign({file, "--jobs", "2", "--out", out, "--resume"});
         EXPECT_EQ(r.status, 0) << r.err;
         // Each run once: a resume flies only the runs the shard file lacks.
         std::multiset<std::string> runs;
         for (const std::string& line : simtest::lines(simtest::readFile(shard)))
           runs.insert(line.substr(0, line.find(',')));
         for (const std::string& run : runs) EXPECT_EQ(runs.count(run), 1u) << "run " << run;
       }},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    const std::string out = path(way.name);
    way.fly(out);
    EXPECT_EQ(results(way.name), expected);
  }
}

TEST_F(Campaign, ReplayedRunGivesItsRow) {
  const std::string file = writeCampaign(12);
  ASSERT_EQ(campaign({file, "--out", path("r"), "--jobs", "2"}).status, 0);
  const std::vector<simtest::Row> rows = readRuns(simtest::readFile(path("r/runs.csv")));
  ASSERT_EQ(rows.size(), 12u);
  for (const int k : {0, 7, 11}) {
    SCOPED_TRACE("run " + std::to_string(k));
    const simtest::Row& row = rows[size_t(k)];
    EXPECT_EQ(row.at("run"), std::to_string(k));
    const std::string written = path("run-" + std::to_string(k) + ".toml");
    ASSERT_EQ(campaign({file, "--run", std::to_string(k), "--scenario-out", written}).status, 0);
    const auto toStdout = campaign({file, "--run", std::to_string(k), "--scenario-out", "-"});
    EXPECT_EQ(toStdout.out, simtest::readFile(written));

    const auto flown = run({written, "--report", path("report.json"), "--quiet"});
    const nlohmann::json report = nlohmann::json::parse(simtest::readFile(path("report.json")));
    const nlohmann::json& vessel = report["vessels"][0];
    const nlohmann::json& hold = report["screens"][0]["holds"][0];
    // The report writes ten significant digits.
    const std::pair<const char*, double> figures[] = {
        {"Gyre-1.propellant_kg.total", vessel["propellant_kg"]["total"]},
        {"Gyre-1.propellant_kg.rotation", vessel["propellant_kg"]["rotation"]},
        {"Gyre-1.delta_v_m_s", vessel["delta_v_m_s"]},
        {"Gyre-1.max_rate_deg_s", vessel["max_rate_deg_s"]},
        {"Gyre-1.final_rate_deg_s", vessel["final_rate_deg_s"]},
        {"screen0.settle_time_s", hold["settle_time_s"]},
    };
    for (const auto& [column, value] : figures)
      EXPECT_NEAR(simtest::num(row, column), value, 1e-9 * std::abs(value) + 1e-12) << column;
    // Each expectation's outcome, as the flight's summary says it.
    for (const std::string& line : simtest::lines(flown.err)) {
      const size_t name = line.find(".toml:");
      if (line.rfind("  pass  ", 0) != 0 && line.rfind("  FAIL  ", 0) != 0) continue;
      const size_t from = line.find(": ", name) + 2;
      bool matched = false;
      for (const auto& [column, value] : row)
        if (line.compare(from, column.size() + 1, column + ":") == 0) {
          EXPECT_EQ(value, line.rfind("  pass  ", 0) == 0 ? "pass" : "fail") << line;
          matched = true;
        }
      EXPECT_TRUE(matched) << line;
    }
  }
}

TEST_F(Campaign, CrashAndTimeLimitRecordedWhileTheCampaignGoesOn) {
  struct Case {
    const char* name;
    std::string until;  // [s] of the base scenario
    std::vector<std::string> args;
    const char* crashAt;                              // the run whose worker dies, if any
    std::function<std::string(uint64_t run)> status;  // each run's status
    const char* reason;                               // the start of a failed run's reason
  };
  const Case cases[] = {
      {"a worker dies flying run 3",
       "120.0",
       {"--jobs", "2"},
       "3",
       [](uint64_t k) { return k == 3 ? "crashed" : "ok"; },
       "worker ended: "},
      {"every run would take days",
       "1e7",
       {"--jobs", "2", "--time-limit", "0.3"},
       nullptr,
       [](uint64_t) { return "time_limit"; },
       "stopped after 0.3 s"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<Environment> crash;
    if (c.crashAt) crash.emplace("GYRELLE_CAMPAIGN_TEST_CRASH", c.crashAt);
    std::vector<std::string> args = {writeCampaign(6, c.until), "--out", path(c.name)};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const auto r = campaign(args);
    EXPECT_EQ(r.status, 0) << r.err;
    const auto rows = readRuns(simtest::readFile(path(std::string(c.name) + "/runs.csv")));
    ASSERT_EQ(rows.size(), 6u);
    for (uint64_t k = 0; k < rows.size(); ++k) {
      EXPECT_EQ(rows[k].at("run"), std::to_string(k));
      EXPECT_EQ(rows[k].at("status"), c.status(k)) << "run " << k;
      if (c.status(k) == "ok") {
        EXPECT_NE(rows[k].at("the tumble is stopped"), "") << "a run flown judges its expectations";
      } else {
        EXPECT_EQ(rows[k].at("reason").rfind(c.reason, 0), 0u) << rows[k].at("reason");
        EXPECT_EQ(rows[k].at("the tumble is stopped"), "") << "a failed run judges nothing";
        EXPECT_EQ(rows[k].at("Gyre-1.propellant_kg.total"), "");
      }
    }
  }
}

TEST_F(Campaign, BadCommandLinesAndFilesRefused) {
  const std::string file = writeCampaign(4);
  writeScenario("bad.campaign.toml",
                "[campaign]\nscenario = \"tumble.toml\"\nruns = 4\nseed = 7\nsped = 3\n");
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* says;
  };
  const Case cases[] = {
      {{}, 2, "CAMPAIGN"},
      {{file, "--shard", "4/4"}, 2, "--shard 4/4"},
      {{file, "--shard", "1"}, 2, "--shard 1"},
      {{file, "--jobs", "0"}, 2, "--jobs"},
      {{file, "--run", "4", "--scenario-out", path("x.toml")}, 2, "runs 0 to 3"},
      {{file, "--run", "1"}, 2, "--scenario-out"},
      {{path("bad.campaign.toml")}, 2, "bad.campaign.toml:5:1"},
      {{path("none.toml")}, 2, "none.toml"},
      {{file, "--module", path("missing.so")}, 1, "missing.so"},
      {{"merge", path("missing.csv")}, 2, "missing.csv"},
      {{"merge", path("tumble.toml")}, 2, "tumble.toml"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> command = {testsupport::envPath("GYRELLE_SIM_PATH"), "campaign"};
    command.insert(command.end(), c.args.begin(), c.args.end());
    const auto r = runProgram(command);
    SCOPED_TRACE(command.size() > 2 ? command[2] : "");
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(path("x.toml")));
  // A flight's option before the word campaign is refused, not ignored.
  const auto before =
      runProgram({testsupport::envPath("GYRELLE_SIM_PATH"), "--until", "5", "campaign", file});
  EXPECT_EQ(before.status, 2) << before.err;
  EXPECT_NE(before.err.find("--until is not an option of a campaign"), std::string::npos)
      << before.err;
  // gyrelle-sim's own --module names the campaign's module too.
  const auto module = runProgram(
      {testsupport::envPath("GYRELLE_SIM_PATH"), "--module", path("missing.so"), "campaign", file});
  EXPECT_EQ(module.status, 1) << module.err;
  EXPECT_NE(module.err.find("missing.so"), std::string::npos) << module.err;
}

}  // namespace
