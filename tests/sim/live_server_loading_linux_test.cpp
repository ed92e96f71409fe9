// gyrelle-sim loads the live server's libraries only when --serve is given:
// a flight without it maps nothing of the HTTP server (cpp-httplib and the
// TLS and compression libraries it brings), and --serve is handed over to
// the server program beside gyrelle-sim, in the same process.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/sim_run.h"

namespace simtest {
namespace {

// Libraries that only the live server links (the brotli decoder comes with
// the fonts too).
const char* const kServerLibraries[] = {"libcpp-httplib", "libssl", "libcrypto"};

std::string mapsOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/maps");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class LiveServerLoading : public SimRun {
 protected:
  // The libraries mapped by gyrelle-sim ARGS, flying a long scenario, once it
  // has loaded the module (its start-up done); it is killed then.
  std::string mappedOnceFlying(const std::vector<std::string>& args) {
    std::ofstream(path("long.toml")) << std::string(kTwoVessels) << R"(
[[screen]]
mode = "Gyrelle"
)";
    std::vector<std::string> command = simCommand(args);
    command.insert(command.begin() + 1, path("long.toml"));
    command.insert(command.end(), {"--until", "1e6", "--quiet"});
    testsupport::ChildProcess child(command, path("out.txt"), path("err.txt"));
    EXPECT_TRUE(child.started());
    std::string maps;
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (child.running() && std::chrono::steady_clock::now() < limit) {
      maps = mapsOf(child.pid());
      if (maps.find("libgyrelle.so") != std::string::npos) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_NE(maps.find("libgyrelle.so"), std::string::npos)
        << "the module was never loaded: " << readFile(path("err.txt"));
    return maps;
  }
};

TEST_F(LiveServerLoading, ServerLibrariesMappedOnlyWithServe) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    bool serve;
  };
  const Case cases[] = {
      {"a plain flight", {}, false},
      {"a flight with text outputs",
       {"--dump", path("d.txt"), "--telemetry", path("t.csv"), "--screens", path("s.csv"),
        "--report", path("r.json")},
       false},
      {"--serve", {"--serve", "--port", "0"}, true},
      {"--serve with its options",
       {"--serve", "--port", "0", "--speed", "0", "--bind", "127.0.0.1"},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string maps = mappedOnceFlying(c.args);
    for (const char* library : kServerLibraries)
      EXPECT_EQ(maps.find(library) != std::string::npos, c.serve) << library;
  }
}

// Without the server program beside it, gyrelle-sim --serve says so and ends
// as when an output cannot be written; a plain flight does not need it.
TEST_F(LiveServerLoading, ServeWithoutTheServerProgramFails) {
  const std::string alone = path("gyrelle-sim");
  std::filesystem::copy_file(GYRELLE_SIM_PATH, alone);
  std::filesystem::permissions(alone, std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  const RunResult served =
      runProgram({alone, "--module", GYRELLE_MODULE_PATH, "--serve", "--until", "0"});
  EXPECT_EQ(served.status, 1);
  EXPECT_NE(served.err.find("gyrelle-sim: cannot start the live server " + path("gyrelle-serve")),
            std::string::npos)
      << served.err;
  const RunResult plain = runProgram({alone, "--module", GYRELLE_MODULE_PATH, "--until", "0"});
  EXPECT_EQ(plain.status, 0) << plain.err;
}

}  // namespace
}  // namespace simtest
