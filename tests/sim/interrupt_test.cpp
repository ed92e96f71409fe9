// Interrupting gyrelle-sim: SIGINT, SIGTERM and SIGHUP stop the run at the end
// of a step; every output is committed under its real name (an older run's
// file is replaced, not left looking like this run's), no temporary is left,
// standard error says when, and the exit status is 128 + the signal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "sim_run.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

class Interrupt : public simtest::SimRun {
 protected:
  // Starts gyrelle-sim on a run that would take hours, waits until it flies,
  // sends the signal and returns how it ended.
  simtest::RunResult interrupt(int signal) {
    simtest::RunResult r;
#ifdef GYRELLE_SIM_PATH
    std::string s = simtest::kTwoVessels;
    s.replace(s.find("until = 5.0"), 11, "until = 1e6");
    s += "[[screen]]\nmode = \"Gyrelle\"\n";
    const std::vector<std::string> args = {GYRELLE_SIM_PATH,
                                           "--module",
                                           GYRELLE_MODULE_PATH,
                                           writeScenario("s.toml", s),
                                           "--telemetry",
                                           path("t.csv"),
                                           "--dump",
                                           path("d.txt"),
                                           "--frames",
                                           path("f"),
                                           "--frame-every",
                                           "1000"};
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t io;
    posix_spawn_file_actions_init(&io);
    posix_spawn_file_actions_addopen(&io, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&io, 1, path("out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&io, 2, path("err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, argv[0], &io, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&io);
    // Flying once the first picture is there (made just before the first step).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!fs::exists(path("f/screen0-000000.000.png")) &&
           std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(pid, signal);
    int raw = 0;
    waitpid(pid, &raw, 0);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
    r.out = simtest::readFile(path("out.txt"));
    r.err = simtest::readFile(path("err.txt"));
    fs::remove(path("out.txt"));
    fs::remove(path("err.txt"));
#endif
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

TEST_F(Interrupt, SigintCommitsEveryOutputAndExits130) {
  std::ofstream(path("t.csv")) << "an older run's telemetry\n";
  const auto r = interrupt(SIGINT);
  EXPECT_EQ(r.status, 130) << r.err;
  expectCommittedAt(r);
}

TEST_F(Interrupt, SigtermExits143AndSighup129) {
  auto r = interrupt(SIGTERM);
  EXPECT_EQ(r.status, 143) << r.err;
  expectCommittedAt(r);
  r = interrupt(SIGHUP);
  EXPECT_EQ(r.status, 129) << r.err;
  expectCommittedAt(r);
}

}  // namespace
