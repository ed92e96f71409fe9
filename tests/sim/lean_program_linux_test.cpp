// gyrelle-sim loads the live server's and the pictures' libraries only when
// the command line asks for them (--serve, --frames, --gif): it hands such a
// command line over to gyrelle-sim-full beside it, in the same process.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/sim_run.h"

namespace simtest {
namespace {

// Libraries that only the live server links (the brotli decoder comes with
// the fonts too), and libraries that only the pictures link.
const char* const kServerLibraries[] = {"libcpp-httplib", "libssl", "libcrypto"};
const char* const kPictureLibraries[] = {"libcairo", "libfontconfig", "libpng16", "libgif"};

std::string mapsOf(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/maps");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class LeanProgram : public SimRun {
 protected:
  // The files mapped by gyrelle-sim ARGS, flying a long scenario, once it has
  // loaded the module (its start-up done); it is killed then.
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

TEST_F(LeanProgram, ServerAndPictureLibrariesMappedOnlyWhenAskedFor) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    bool full;  // handed over to gyrelle-sim-full, which maps them all
  };
  const Case cases[] = {
      {"a plain flight", {}, false},
      {"a flight with text outputs",
       {"--dump", path("d.txt"), "--telemetry", path("t.csv"), "--screens", path("s.csv"),
        "--report", path("r.json"), "--gif-speed", "5", "--frame-every", "2"},
       false},
      {"--serve", {"--serve", "--port", "0", "--speed", "0"}, true},
      {"--frames", {"--frames", path("frames")}, true},
      {"--gif", {"--gif", path("gif")}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string maps = mappedOnceFlying(c.args);
    EXPECT_EQ(maps.find("/gyrelle-sim-full") != std::string::npos, c.full);
    for (const char* library : kServerLibraries)
      EXPECT_EQ(maps.find(library) != std::string::npos, c.full) << library;
    for (const char* library : kPictureLibraries)
      EXPECT_EQ(maps.find(library) != std::string::npos, c.full) << library;
  }
}

// Without gyrelle-sim-full beside it, gyrelle-sim says so for what needs it
// and ends as when an output cannot be written; a plain flight flies.
TEST_F(LeanProgram, WithoutTheFullProgramOnlyWhatNeedsItFails) {
  const std::string alone = path("gyrelle-sim");
  std::filesystem::copy_file(testsupport::envPath("GYRELLE_SIM_PATH"), alone);
  struct Case {
    std::vector<std::string> args;
    int status;
  };
  const Case cases[] = {
      {{"--serve"}, 1},
      {{"--frames", path("frames")}, 1},
      {{"--gif", path("gif")}, 1},
      {{"--dump", path("d.txt")}, 0},
  };
  for (const Case& c : cases) {
    std::vector<std::string> command = {
        alone, "--module", testsupport::envPath("GYRELLE_MODULE_PATH"), "--until", "0"};
    command.insert(command.end(), c.args.begin(), c.args.end());
    const RunResult r = runProgram(command);
    SCOPED_TRACE(c.args.front());
    EXPECT_EQ(r.status, c.status) << r.err;
    EXPECT_EQ(r.err.find("gyrelle-sim: cannot start " + path("gyrelle-sim-full") +
                         ", which --serve, --frames and --gif need: No such file or directory"),
              c.status == 0 ? std::string::npos : 0)
        << r.err;
  }
}

}  // namespace
}  // namespace simtest
