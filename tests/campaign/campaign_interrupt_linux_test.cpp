// A campaign asked to stop (SIGINT, SIGTERM): it hands out no more runs,
// stops its workers, keeps every finished row in the shard file, says so and
// exits with 128 + the signal; --resume then flies the rest, and the results
// are those of a campaign never stopped. POSIX signals: Linux only.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "sim/sim_run.h"

namespace {

namespace fs = std::filesystem;

class CampaignInterrupt : public simtest::SimRun {};

TEST_F(CampaignInterrupt, StopsKeepingFinishedRowsAndResumes) {
  writeScenario("tumble.toml",
                simtest::readFile(std::string(testsupport::envPath("GYRELLE_SOURCE_DIR")) +
                                  "/scenarios/tumble.toml"));
  const std::string file =
      writeScenario("c.toml", "[campaign]\nscenario = \"tumble.toml\"\nruns = 300\nseed = 3\n");
  const std::string sim = testsupport::envPath("GYRELLE_SIM_PATH");
  const std::string module = testsupport::envPath("GYRELLE_MODULE_PATH");
  const auto once = runProgram({sim, "campaign", file, "--out", path("once"), "--module", module});
  ASSERT_EQ(once.status, 0) << once.err;

  for (const int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(signal);
    const std::string out = path("stopped-" + std::to_string(signal));
    const std::string shard = out + "/shard-0-of-1.csv";
    std::optional<int> status;
    {
      testsupport::ChildProcess child(
          {sim, "campaign", file, "--out", out, "--jobs", "2", "--module", module}, path("out.txt"),
          path("err.txt"));
      ASSERT_TRUE(child.started());
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
      while (simtest::lines(simtest::readFile(shard)).size() < 12 &&
             std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      child.signal(signal);
      status = child.wait(std::chrono::seconds(30));
    }
    EXPECT_EQ(status, 128 + signal);
    const std::string err = simtest::readFile(path("err.txt"));
    EXPECT_NE(err.find("interrupted; the finished runs are in " + shard), std::string::npos) << err;
    const size_t kept = simtest::lines(simtest::readFile(shard)).size();
    EXPECT_GE(kept, 12u);
    EXPECT_LT(kept, 302u) << "stopped too late to show a resume";
    EXPECT_FALSE(fs::exists(out + "/runs.csv")) << "an interrupted campaign merges nothing";
    // No worker outlives it: each would still be writing rows.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(simtest::lines(simtest::readFile(shard)).size(), kept);

    const auto resumed =
        runProgram({sim, "campaign", file, "--out", out, "--resume", "--module", module});
    EXPECT_EQ(resumed.status, 0) << resumed.err;
    EXPECT_EQ(simtest::readFile(out + "/runs.csv"), simtest::readFile(path("once/runs.csv")));
    EXPECT_EQ(simtest::readFile(out + "/summary.json"),
              simtest::readFile(path("once/summary.json")));
  }
}

}  // namespace
