// The command line: the version, option errors named as gyrelle-sim's, the
// progress bar kept off standard output, and a module that cannot serve told
// apart from a bad scenario.
#include <gtest/gtest.h>

#include <regex>

#include "sim_run.h"
#include "support/test_paths.h"

namespace {

class CommandLine : public simtest::SimRun {};

TEST_F(CommandLine, VersionAndOptionErrors) {
  const simtest::RunResult version = run({"--version"});
  EXPECT_EQ(version.status, 0);
  // The release's version, MAJOR.MINOR.PATCH (the packages' test checks it
  // is the one in their names and metadata).
  EXPECT_TRUE(std::regex_match(version.out, std::regex("gyrelle-sim [0-9]+\\.[0-9]+\\.[0-9]+\n")))
      << version.out;

  const struct {
    std::vector<std::string> args;
    std::string message;
  } bad[] = {
      {{"--bogus"}, "gyrelle-sim: The following argument was not expected: --bogus\n"},
      {{"--until", "abc"}, "gyrelle-sim: --until: abc is not a finite number\n"},
      {{"--until", "-1"}, "gyrelle-sim: --until: -1 is negative\n"},
      {{"--gif-speed", "0"}, "gyrelle-sim: --gif-speed: 0 is not positive\n"},
      {{"--telemetry-every", "inf"},
       "gyrelle-sim: --telemetry-every: inf is not a finite number\n"},
  };
  for (const auto& b : bad) {
    const simtest::RunResult r = run(b.args);
    EXPECT_EQ(r.status, 2) << b.args[0];
    EXPECT_EQ(r.err, b.message + "Run with --help for more information.\n");
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(CommandLine, AModuleWithoutAModeIsTheModulesFault) {
  // The host runtime is a library that loads but registers nothing.
  const std::string noMode = testsupport::envPath("HALCYRA_PATH");
  simtest::RunResult r = run({"--module", noMode, "--screens", path("s.csv")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "gyrelle-sim: module '" + noMode + "' loaded but registered no MFD mode\n");
  EXPECT_FALSE(std::filesystem::exists(path("s.csv")));

  r = run({"--module", path("missing.so")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("gyrelle-sim: cannot load module '" + path("missing.so") + "'", 0), 0u)
      << r.err;

  // A mode the module does not have is the scenario's, and says what there is.
  const std::string text = std::string(simtest::kTwoVessels) + "[[screen]]\nmode = \"Orbit\"\n";
  r = run({writeScenario("m.toml", text)});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("m.toml:30:8: unknown mode 'Orbit' (the module registers 'Gyrelle')"),
            std::string::npos)
      << r.err;
}

TEST_F(CommandLine, StandardOutputHoldsOnlyTheRunsOwnLines) {
  // Not a terminal: no bar anywhere; notes and the summary on standard error.
  const std::string text = std::string(simtest::kTwoVessels) +
                           "[[screen]]\nmode = \"Gyrelle\"\n[[event]]\nt = 1.0\ninput = \"5\"\n";
  const simtest::RunResult r = run({writeScenario("n.toml", text)});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out.find('\r'), std::string::npos);
  EXPECT_EQ(r.out.find("note:"), std::string::npos);
  EXPECT_EQ(r.out.find("Flight report"), std::string::npos);
  EXPECT_NE(r.err.find("note: t = 1.000: no input box open on screen 0"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("Flight report at t = 5.000 s"), std::string::npos);
  EXPECT_NE(r.out.find("--- screen 0 (Gyrelle) at t = 5.000 ---"), std::string::npos) << r.out;
}

}  // namespace
