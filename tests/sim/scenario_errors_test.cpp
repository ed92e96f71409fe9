// A scenario that cannot be read, or names what does not exist, stops
// gyrelle-sim before the run: one "FILE:LINE:COLUMN: what" line, exit 2, and
// no output file left behind.
#include <gtest/gtest.h>

#include <map>

#include "sim_run.h"
#include "support/test_paths.h"

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

// Inputs that once crashed a scenario reader (fuzz/crashes/fuzz_scenario:
// characters beyond ASCII where whitespace may stand, a '}' where an array
// expects a value, a date before a lone digit, a table header of no key), and
// values with a quote stuck to them, which a parser may read as part of the
// value or as a string's start.
TEST_F(ScenarioErrors, TextThatIsNotTomlIsRefusedWhereItGoesWrong) {
  const std::string folder =
      std::string(testsupport::envPath("GYRELLE_SOURCE_DIR")) + "/fuzz/crashes/fuzz_scenario/";
  const std::map<std::string, std::string> crashes = {
      {"toml-backslash-beyond-ascii.toml", "2:10"},
      {"toml-brace-in-array.toml", "7:28"},
      {"toml-date-lone-digit.toml", "2:8"},
      {"toml-key-assertion.toml", "1:1"},
      {"toml-unicode-whitespace-018b7baf.toml", "1:1"},
      {"toml-unicode-whitespace-8343dfdd.toml", "1:2"},
      {"toml-unicode-whitespace-85c9ae7c.toml", "3:29"},
      {"toml-unicode-whitespace-a80e6a99.toml", "10:23"},
      {"toml-unicode-whitespace-a991d193.toml", "19:7"},
      {"toml-unicode-whitespace-aae99b7a.toml", "85:4"},
      {"toml-unicode-whitespace-cd0356d1.toml", "17:29"},
      {"toml-unicode-whitespace-unreachable.toml", "53:23"},
  };
  std::map<std::string, std::string> found;  // every input there, with its place above
  for (const auto& e : std::filesystem::directory_iterator(folder))
    found[e.path().filename().string()] = crashes.count(e.path().filename().string())
                                              ? crashes.at(e.path().filename().string())
                                              : "a place to be written above";
  EXPECT_EQ(found, crashes);
  for (const auto& [name, where] : crashes) expectRejected(simtest::readFile(folder + name), where);

  const std::pair<const char*, const char*> stuck[] = {
      {"x = 1'\xc3\xa9'\n", "1:6"},         {"x = 1\"\xc3\xa9\"\n", "1:6"},
      {"x = true'\xc3\xa9'\n", "1:9"},      {"x = 1979-05-27'\xc3\xa9'\n", "1:15"},
      {"x = 07:32:00'\xc3\xa9'\n", "1:13"}, {"x = 1979-05-27T07:32:00Z\"\xc3\xa9\"\n", "1:25"},
      {"x = [1'\xc3\xa9']\n", "1:7"},       {"x = {a = 1.5'\xc3\xa9'}\n", "1:13"},
      {"x = 1979-05-27 7\n", "1:16"},       {"x = [1, }\n", "1:9"},
  };
  for (const auto& [text, where] : stuck) expectRejected(text, where);
}

// What the text is made of is checked before what it means: UTF-8 (a
// byte-order mark at the start is skipped and takes no column), integers
// that fit 64 bits, nesting that fits the parser's stack.
TEST_F(ScenarioErrors, TheTextsOwnLimitsAreRefusedWhereTheyAreExceeded) {
  const std::string bom = "\xef\xbb\xbf";
  const std::string binary65 = "0b1" + std::string(64, '0');  // 2^64
  std::string tables;  // x = {a={a=...1}}: a thousand inline tables deep
  for (int i = 0; i < 1000; ++i) tables += "{a=";
  tables += "1" + std::string(1000, '}');
  struct Case {
    std::string text, where, what;
  };
  const Case cases[] = {
      {bom + "[sim]\nstep = = 1\n", "2:8", "unknown value"},
      {bom + "x = 1\n", "1:1", "unknown key 'x'"},
      {"# caf\xc3\n[sim]\n", "1:6", "not UTF-8 text (a byte 0xC3)"},
      {"[sim]\nfocus = \"\xed\xa0\x80\"\n", "2:10", "not UTF-8 text (a byte 0xED)"},
      {"x = \"\xef\xbb\xbf\" # \xf4\x90\x80\x80\n", "1:11", "not UTF-8 text (a byte 0xF4)"},
      {"[[screen]]\nwidth = " + binary65 + "\n", "2:9", "'width' in [[screen]] must be an integer"},
      {"[[body]]\nname = \"E\"\nmu = 99_999_999_999_999_999_999\n", "3:6",
       "'mu' in [[body]] must be an integer within 64 bits"},
      {"[[event]]\nt = 1.0\ndock = [\"A\", 0x1_0000_0000_0000_0000, \"B\"]\n", "3:14",
       "port must be 0 to 64"},
      {"x = " + std::string(100000, '[') + "\n", "1:100004", "nested too deeply"},
      {"x = " + tables + "\n", "1:3002", "nested too deeply"},
  };
  for (const Case& c : cases) {
    const std::string err = expectRejected(c.text, c.where);
    EXPECT_NE(err.find(c.what), std::string::npos) << err;
  }
  // A dotted key as deep as the text allows: refused, one way or another.
  std::string dotted = "a";
  for (int i = 0; i < 4000; ++i) dotted += ".a";
  expectRejected(dotted + " = 1\n", "1:1");

  const std::string file = writeScenario("ok.toml", bom + simtest::kTwoVessels);
  const auto r = run({file, "--quiet"});
  EXPECT_EQ(r.status, 0) << r.err;
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
