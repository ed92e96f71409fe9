// Interrupting gyrelle-sim: SIGINT (Ctrl-C on Windows), SIGTERM and SIGHUP
// stop the run at the end of a step; every output is committed under its real
// name (an older run's file is replaced, not left looking like this run's), no
// temporary is left, standard error says when, and the exit status is 128 +
// the signal.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "sim_run.h"

namespace {

namespace fs = std::filesystem;

class Interrupt : public simtest::SimRun {
 protected:
  // Starts gyrelle-sim on a run that would take hours, waits until it flies,
  // asks it to stop and returns how it ended.
  simtest::RunResult interrupt(const std::function<void(testsupport::ChildProcess&)>& stop) {
    simtest::RunResult r;
    std::string s = simtest::kTwoVessels;
    s.replace(s.find("until = 5.0"), 11, "until = 1e6");
    s += "[[screen]]\nmode = \"Gyrelle\"\n";
    // An earlier run's pictures would make this one look as if it flew already.
    fs::remove_all(path("f"));
    {
      testsupport::ChildProcess child(
          simCommand({writeScenario("s.toml", s), "--telemetry", path("t.csv"), "--dump",
                      path("d.txt"), "--frames", path("f"), "--frame-every", "1000"}),
          path("out.txt"), path("err.txt"), true);
      EXPECT_TRUE(child.started());
      // Flying once the first picture is there (made just before the first step).
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (!fs::exists(path("f/screen0-000000.000.png")) &&
             std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      stop(child);
      r.status = child.wait(std::chrono::seconds(60)).value_or(-1);
    }
    r.out = simtest::readFile(path("out.txt"));
    r.err = simtest::readFile(path("err.txt"));
    fs::remove(path("out.txt"));
    fs::remove(path("err.txt"));
    return r;
  }

  // The outputs are this run's, complete up to the time it stopped at.
  void expectCommittedAt(const simtest::RunResult& r) {
    // The last line, after the flight report's summary.
    const std::string prefix = "gyrelle-sim: interrupted at t = ";
    const size_t at = r.err.rfind(prefix);
    ASSERT_NE(at, std::string::npos) << r.err;
    const std::string t = r.err.substr(at + prefix.size(), r.err.size() - 1 - at - prefix.size());
    EXPECT_EQ(r.err.back(), '\n');
    EXPECT_GT(std::stod(t), 0.0);

    const auto rows = simtest::lines(simtest::readFile(path("t.csv")));
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0].rfind("t,vessel,", 0), 0u);
    // Telemetry comes every second; the last rows are those of the last whole second.
    const double last = std::stod(rows.back().substr(0, rows.back().find(',')));
    EXPECT_LE(last, std::stod(t));
    EXPECT_GT(last, std::stod(t) - 1.0);

    const auto dump = simtest::lines(simtest::readFile(path("d.txt")));
    ASSERT_FALSE(dump.empty());
    EXPECT_EQ(dump[0], "frame 0.000 0");
    // The last picture is of the moment it stopped, as at the end of a run.
    char name[64];
    std::snprintf(name, sizeof name, "f/screen0-%010.3f.png", std::stod(t));
    EXPECT_TRUE(fs::exists(path(name))) << name;
    EXPECT_NE(r.out.find("--- screen 0 (Gyrelle) at t = " + t + " ---"), std::string::npos)
        << r.out;
    for (const auto& e : fs::recursive_directory_iterator(dir))
      EXPECT_EQ(e.path().string().find(".part"), std::string::npos) << e.path();
  }
};

TEST_F(Interrupt, CtrlCCommitsEveryOutputAndExits130) {
  std::ofstream(path("t.csv")) << "an older run's telemetry\n";
  const auto r = interrupt([](testsupport::ChildProcess& child) { child.interrupt(); });
  EXPECT_EQ(r.status, 130) << r.err;
  expectCommittedAt(r);
}

#ifdef _WIN32
// Ctrl-Break and the console's close event (143) are left untested: Wine
// delivers Ctrl-C alone between processes.
#else
TEST_F(Interrupt, SigtermExits143AndSighup129) {
  for (const auto& [signal, status] : {std::pair{SIGTERM, 143}, std::pair{SIGHUP, 129}}) {
    const auto r =
        interrupt([signal = signal](testsupport::ChildProcess& child) { child.signal(signal); });
    EXPECT_EQ(r.status, status) << r.err;
    expectCommittedAt(r);
  }
}
#endif

}  // namespace
