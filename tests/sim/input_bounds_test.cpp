// Numbers and files a run accepts: times that are finite, positive and
// plausible; a scenario file that is a regular file of bounded size; names
// without control characters; thruster directions that can be normalised;
// spawned vessels checked as fully as the others. All refused before the run,
// with exit 2 and nothing written.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "sim_run.h"

namespace {

using simtest::kTwoVessels;

std::string withSim(const std::string& sim) {
  std::string s = kTwoVessels;
  const size_t from = s.find("[sim]");
  const size_t to = s.find("[[body]]");
  return s.replace(from, to - from, "[sim]\n" + sim + "\nfocus = \"A\"\n\n");
}

class InputBounds : public simtest::SimRun {
 protected:
  // Exit 2, a message of `lines` lines that starts with start, nothing written.
  std::string expectRefused(const std::vector<std::string>& args, const std::string& start,
                            size_t lines = 1) {
    const auto before = files();
    std::vector<std::string> all = args;
    for (const char* a : {"--dump", "d.txt", "--telemetry", "t.csv", "--quiet"})
      all.push_back(std::string(a) == "d.txt" || std::string(a) == "t.csv" ? path(a) : a);
    const auto r = run(all);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_EQ(r.err.rfind(start, 0), 0u) << r.err;
    EXPECT_EQ(simtest::lines(r.err).size(), lines) << r.err;
    EXPECT_EQ(files(), before);
    return r.err;
  }
  std::string refusedScenario(const std::string& text, const std::string& where) {
    const std::string file = writeScenario("bad.toml", text);
    return expectRefused({file}, file + ":" + where + ": ");
  }
};

TEST_F(InputBounds, ScenarioTimesMustGiveAPlausibleRun) {
  // A step so short the run would never end; one so long t overflows what a
  // frame name or a redraw count holds; a redraw interval below the step.
  refusedScenario(withSim("step = 1e-300\nuntil = 600.0"), "4:9");
  refusedScenario(withSim("step = 1e308\nuntil = 600.0"), "3:8");
  refusedScenario(withSim("step = 3601.0"), "3:8");
  refusedScenario(withSim("step = 0.02\nredraw = 1e-300"), "4:10");
  refusedScenario(withSim("step = 0.02\nredraw = 0.01"), "4:10");
  refusedScenario(withSim("step = 0.0\n"), "3:8");
  refusedScenario(withSim("until = -1.0\n"), "3:9");
  const auto err = refusedScenario(withSim("step = 1e-6\nuntil = 1001.0"), "4:9");
  EXPECT_NE(err.find("1e9 steps"), std::string::npos) << err;
  // Exactly 1e9 steps is allowed (the run is not flown here: --until 0).
  const auto r = run({writeScenario("ok.toml", withSim("step = 1e-6\nuntil = 1000.0")), "--until",
                      "0", "--quiet"});
  EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(InputBounds, CommandLineTimesMustGiveAPlausibleRun) {
  const std::string file = writeScenario("s.toml", kTwoVessels);  // step 0.02
  expectRefused({file, "--until", "3e7"}, "gyrelle-sim: --until 3e+07 s takes more than 1e9");
  expectRefused({file, "--frame-every", "0.01"},
                "gyrelle-sim: --frame-every 0.01 s is below the scenario's step of 0.02 s");
  expectRefused({file, "--telemetry-every", "1e-300"},
                "gyrelle-sim: --telemetry-every 1e-300 s is below");
  for (const char* option : {"--until", "--frame-every", "--telemetry-every"})
    for (const char* value : {"nan", "inf", "-1"})
      expectRefused({file, option, value}, "gyrelle-sim: " + std::string(option) + ": ",
                    2);  // and "Run with --help for more information."
  // Default intervals shorter than a long step follow the step.
  const auto r = run({writeScenario("long.toml", withSim("step = 20.0\nuntil = 40.0")),
                      "--telemetry", path("t.csv"), "--frames", path("f"), "--quiet"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(simtest::lines(simtest::readFile(path("t.csv"))).size(), 1u + 2u * 3u);
}

TEST_F(InputBounds, TheScenarioFileMustBeARegularFileOfBoundedSize) {
  expectRefused(
      {path("nowhere.toml")},
      path("nowhere.toml") + ":1:1: cannot read the scenario file: No such file or directory");
  writeScenario("empty.toml", "");
  expectRefused({path("empty.toml")}, path("empty.toml") + ":1:1: the scenario file is empty");
#ifndef _WIN32  // the file kinds of POSIX systems
  expectRefused({"/dev/zero"}, "/dev/zero:1:1: the scenario is a character device");
  ASSERT_EQ(mkfifo(path("pipe").c_str(), 0600), 0);  // would block a reader for ever
  expectRefused({path("pipe")}, path("pipe") + ":1:1: the scenario is a FIFO");
#endif
  expectRefused({dir}, dir + ":1:1: the scenario is a folder");
  {
    std::ofstream big(path("big.toml"));
    big << "# a comment\n";
  }
  std::filesystem::resize_file(path("big.toml"), (uintmax_t(64) << 20) + 1);  // sparse
  expectRefused({path("big.toml")}, path("big.toml") + ":1:1: the scenario file is larger");
}

TEST_F(InputBounds, NamesWithControlCharactersAreRefusedWhereTheyStand) {
  std::string s = kTwoVessels;
  s.replace(s.find("name = \"B\""), 10, "name = \"B\\u0000x\"");
  auto err = refusedScenario(s, "25:8");
  EXPECT_NE(err.find("U+0000"), std::string::npos) << err;
  s = kTwoVessels;
  s.replace(s.find("name = \"Pad\""), 12, "name = \"P\\nad\"");
  refusedScenario(s, "14:8");
  refusedScenario(std::string(kTwoVessels) + "[[event]]\nt = 1.0\ndock = [\"A\", 0, \"B\\t\"]\n",
                  "31:17");
}

TEST_F(InputBounds, AThrusterDirectionThatCannotBeNormalisedIsReportedAtTheDirection) {
  const std::string thruster =
      "[[vessel.thruster]]\ngroup = 3\nposition = [0.0, 0.0, 10.0]\n"
      "direction = [1e200, 1e200, 0.0]\nmax = 1000.0\n";
  const auto err = refusedScenario(std::string(kTwoVessels) + thruster, "32:13");
  EXPECT_NE(err.find("'direction'"), std::string::npos) << err;
  std::string tiny = thruster;
  tiny.replace(tiny.find("[1e200, 1e200, 0.0]"), 19, "[1e-320, 0.0, 0.0]");
  refusedScenario(std::string(kTwoVessels) + tiny, "32:13");
}

TEST_F(InputBounds, ASpawnedVesselGetsEveryCheckBeforeTheRun) {
  // Relative to a body far out, the global position overflows: the world
  // refuses it, at the spawn table before the run as for a [[vessel]].
  std::string s = kTwoVessels;
  s.insert(s.find("[[base]]"),
           "[[body]]\nname = \"Far\"\nmu = 1.0\nradius = 1.0\nposition = [1.5e308, 0.0, 0.0]\n\n");
  s += "[[event]]\nt = 2.0\nspawn = { name = \"C\", body = \"Far\", position = [1.5e308, 0, 0], "
       "velocity = [0, 0, 0] }\n";
  const auto err = refusedScenario(s, "37:9");
  EXPECT_NE(err.find("not a finite"), std::string::npos) << err;
}

}  // namespace
