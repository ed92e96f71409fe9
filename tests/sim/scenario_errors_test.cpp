// A scenario that cannot be read, or names what does not exist, stops
// gyrelle-sim before the run: one "FILE:LINE:COLUMN: what" line, exit 2, and
// no output file left behind.
#include <gtest/gtest.h>

#include "sim_run.h"

namespace {

using simtest::kTwoVessels;

class ScenarioErrors : public simtest::SimRun {
 protected:
  // Runs with every output requested and checks the common failure contract;
  // returns the message.
  std::string expectRejected(const std::string& text, const std::string& where) {
    const std::string file = writeScenario("bad.toml", text);
    const auto before = files();
    const auto r = run({file, "--dump", path("dump.txt"), "--telemetry", path("tel.csv"),
                        "--frames", path("frames"), "--quiet"});
    EXPECT_EQ(r.status, 2) << r.err;
    const auto errLines = simtest::lines(r.err);
    EXPECT_EQ(errLines.size(), 1u) << r.err;
    EXPECT_EQ(r.err.rfind(file + ":" + where + ": ", 0), 0u) << r.err;
    EXPECT_EQ(files(), before);  // no dump, telemetry, frames folder or temporary
    return r.err;
  }
};

TEST_F(ScenarioErrors, BadTomlNamesTheSpot) {
  expectRejected("[sim]\nstep = 0.02\nuntil = = 3\n", "3:9");
}

TEST_F(ScenarioErrors, UnknownKeyIsNotIgnored) {
  const auto err = expectRejected(std::string(kTwoVessels) + "[[screen]]\nwidht = 200\n", "30:1");
  EXPECT_NE(err.find("widht"), std::string::npos);
}

TEST_F(ScenarioErrors, WrongTypeIsNamed) {
  const auto err = expectRejected("[sim]\nstep = \"fast\"\n", "2:8");
  EXPECT_NE(err.find("step"), std::string::npos);
}

TEST_F(ScenarioErrors, UnknownNamesAreRejected) {
  const auto err =
      expectRejected(std::string(kTwoVessels) + "[[event]]\nt = 1.0\nfocus = \"Zed\"\n", "31:9");
  EXPECT_NE(err.find("Zed"), std::string::npos);
  expectRejected(std::string(kTwoVessels) +
                     "[[vessel]]\nname = \"C\"\nbody = \"Moon\"\nposition = [0, 0, 0]\n"
                     "velocity = [0, 0, 0]\n",
                 "31:8");
  expectRejected(std::string(kTwoVessels) +
                     "[[vessel]]\nname = \"C\"\nclass = \"shuttle\"\nbody = \"Earth\"\n"
                     "position = [0, 0, 0]\nvelocity = [0, 0, 0]\n",
                 "31:9");
  expectRejected(std::string(kTwoVessels) + "[[event]]\nt = 1.0\nscreen = 3\nkey = 2\n", "31:10");
  expectRejected(std::string(kTwoVessels) + "[[event]]\nt = 1.0\ndock = [\"A\", 0, \"Q\"]\n",
                 "31:17");
}

TEST_F(ScenarioErrors, UnknownModeIsRejectedOnceTheModuleIsLoaded) {
  const auto err =
      expectRejected(std::string(kTwoVessels) + "[[screen]]\nmode = \"Orbit\"\n", "30:8");
  EXPECT_NE(err.find("Orbit"), std::string::npos);
}

TEST_F(ScenarioErrors, AnEventNeedsExactlyOneAction) {
  expectRejected("[[event]]\nt = 1.0\n", "1:1");
  expectRejected("[[event]]\nt = 1.0\nkey = 2\nbutton = 3\n", "4:10");
}

TEST_F(ScenarioErrors, SpawnOfANameInTheWorldIsRejectedBeforeTheRun) {
  const std::string spawn =
      "[[event]]\nt = 2.0\nspawn = { name = \"A\", body = \"Earth\", position = [7e6, 0, 0], "
      "velocity = [0, 7e3, 0] }\n";
  const auto err = expectRejected(std::string(kTwoVessels) + spawn, "31:9");
  EXPECT_NE(err.find("'A'"), std::string::npos);
  // Once A has been deleted, its name is free again.
  const std::string file = writeScenario(
      "ok.toml", std::string(kTwoVessels) + "[[event]]\nt = 1.0\ndelete = \"A\"\n" + spawn);
  EXPECT_EQ(run({file, "--quiet"}).status, 0);
}

TEST_F(ScenarioErrors, TimesThatAreNotFiniteAreRefused) {
  const std::string file = writeScenario("ok.toml", kTwoVessels);
  for (const char* option : {"--until", "--frame-every", "--telemetry-every"}) {
    for (const char* value : {"nan", "inf"}) {
      const auto r = run({file, option, value, "--quiet"});
      EXPECT_EQ(r.status, 2) << option << " " << value;
    }
  }
}

TEST_F(ScenarioErrors, MissingScenarioFileIsAScenarioError) {
  const auto r = run({path("nowhere.toml"), "--quiet"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind(path("nowhere.toml") + ":1:1: ", 0), 0u) << r.err;
}

}  // namespace
