// Expectations and conditional events: each test passes and fails at the
// right sample with the measured value in its message; a failing expectation
// ends the run with exit 1, the results on standard error and in the JUnit
// file, and every other output committed; a conditional event runs at the
// first step its condition holds; grammar errors stop the run before it starts.
#include <gtest/gtest.h>

#include <cmath>

#include "sim/verify/figure_judge.h"
#include "sim_run.h"
#include "support/test_paths.h"

namespace {

sim::FigureValue num(double v) {
  sim::FigureValue f;
  f.present = true;
  f.number = v;
  return f;
}
sim::FigureValue blank() { return {}; }
sim::FigureValue text(const std::string& s) {
  sim::FigureValue f;
  f.present = true;
  f.text = s;
  f.isText = true;
  return f;
}

struct JudgeCase {
  const char* what;
  sim::Expectation e;
  std::vector<sim::FigureValue> samples;  // at t = 0, 1, 2, ...
  bool passes;
  const char* message;  // a part of the message
};

void PrintTo(const JudgeCase& c, std::ostream* os) { *os << c.what; }

sim::Expectation expect(sim::TestKind test, double limit, double from = 0.0,
                        std::optional<double> until = std::nullopt) {
  sim::Expectation e;
  e.condition.figures = {sim::FigureName{"dev_yaw", sim::FigureSource::Screen, false}};
  e.condition.test = test;
  e.condition.limit = limit;
  e.from = from;
  e.until = until;
  return e;
}
sim::Expectation at(sim::Expectation e, double t) {
  e.at = t;
  return e;
}
sim::Expectation settle(double within, double by, double hold) {
  sim::Expectation e = expect(sim::TestKind::Settle, within);
  e.condition.rateLimit = within / 10.0;
  e.condition.by = by;
  e.condition.forSeconds = hold;
  return e;
}
sim::Expectation equals(const std::string& s) {
  sim::Expectation e = expect(sim::TestKind::Equals, 0.0);
  e.condition.figures = {sim::FigureName{"mode", sim::FigureSource::Screen, true}};
  e.condition.text = s;
  return e;
}

using sim::TestKind;

class ExpectationTests : public ::testing::TestWithParam<JudgeCase> {};

TEST_P(ExpectationTests, PassOrFailAtTheRightSampleWithTheValueSeen) {
  const JudgeCase& c = GetParam();
  sim::FigureJudge judge(c.e, c.e.condition.figures.front());
  for (size_t i = 0; i < c.samples.size(); ++i) judge.sample(double(i), c.samples[i]);
  judge.finish(double(c.samples.size() - 1));
  EXPECT_EQ(judge.passed(), c.passes) << judge.message();
  EXPECT_NE(judge.message().find(c.message), std::string::npos) << judge.message();
}

INSTANTIATE_TEST_SUITE_P(
    EachTest, ExpectationTests,
    ::testing::Values(
        JudgeCase{"at_most holds on the limit",
                  expect(TestKind::AtMost, 5.0),
                  {num(1), num(5), num(-9)},
                  true,
                  "highest 5 at 1.000 s"},
        JudgeCase{"at_most fails at the first sample above",
                  expect(TestKind::AtMost, 5.0),
                  {num(1), num(5.01), num(7)},
                  false,
                  "was 5.01 at 1.000 s: above 5"},
        JudgeCase{"a sample before the window does not count",
                  expect(TestKind::AtMost, 5.0, 1.0),
                  {num(9), num(1), num(2)},
                  true,
                  "highest 2 at 2.000 s"},
        JudgeCase{"nor one after it",
                  expect(TestKind::AtMost, 5.0, 0.0, 1.0),
                  {num(1), num(2), num(9)},
                  true,
                  "highest 2 at 1.000 s"},
        JudgeCase{"at_least fails below",
                  expect(TestKind::AtLeast, 2.0),
                  {num(3), num(2), num(1.5)},
                  false,
                  "was 1.5 at 2.000 s: below 2"},
        JudgeCase{"abs_at_most takes the magnitude",
                  expect(TestKind::AbsAtMost, 0.1),
                  {num(0.1), num(-0.1), num(-0.11)},
                  false,
                  "was -0.11 at 2.000 s: beyond +-0.1"},
        JudgeCase{"a blank figure fails a number test",
                  expect(TestKind::AbsAtMost, 1.0),
                  {num(0), blank()},
                  false,
                  "was blank at 1.000 s: not shown on the page"},
        JudgeCase{"nan fails", expect(TestKind::AtLeast, 0.0), {num(NAN)}, false, "not a number"},
        JudgeCase{"at takes the first sample at or after its time",
                  at(expect(TestKind::AtMost, 1.0), 1.5),
                  {num(9), num(9), num(0), num(9)},
                  true,
                  "highest 0 at 2.000 s"},
        JudgeCase{"equals a text",
                  at(equals("Entry Interface"), 2.0),
                  {text("Velocity"), text("Velocity"), text("Entry Interface")},
                  true,
                  "\"Entry Interface\""},
        JudgeCase{"equals fails on another text",
                  equals("Attitude"),
                  {text("Attitude"), text("")},
                  false,
                  "was \"\" at 1.000 s: not \"Attitude\""},
        JudgeCase{"a window the run never reaches fails",
                  expect(TestKind::AtMost, 1.0, 5.0),
                  {num(0), num(0)},
                  false,
                  "no sample in the window"},
        // Settling: within 0.1, its change at most 0.01 per second, by 3 s, for 2 s.
        JudgeCase{"settles by its time and stays",
                  settle(0.1, 3.0, 2.0),
                  {num(5), num(0.5), num(0.1), num(0.1), num(0.09), num(0.09)},
                  true,
                  "within 0.1 from 3.000 s to 5.000 s"},
        JudgeCase{"a fast change is not settled",
                  settle(0.1, 3.0, 2.0),
                  {num(0.3), num(0.08), num(0.05), num(0.08), num(0.05), num(0.08)},
                  false,
                  "was 0.05 at 4.000 s: not settled"},
        JudgeCase{"leaving the limit after its time fails there",
                  settle(0.1, 3.0, 2.0),
                  {num(0.05), num(0.05), num(0.05), num(0.05), num(0.2), num(0)},
                  true,
                  "from 1.000 s to 3.000 s"},
        JudgeCase{"a run broken after its time fails",
                  settle(0.1, 3.0, 3.0),
                  {num(1), num(1), num(0.05), num(0.05), num(0.2), num(0)},
                  false,
                  "was 0.2 at 4.000 s"},
        JudgeCase{"too short a flight fails at the end",
                  settle(0.1, 3.0, 10.0),
                  {num(0), num(0), num(0)},
                  false,
                  "not settled within 0.1 for 10 s when the run "
                  "ended at 2.000 s"}),
    [](const ::testing::TestParamInfo<JudgeCase>& info) {
      std::string name;
      for (const char* p = info.param.what; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

// A flight cut short by --until: what it decided stands, what its window
// reaches past is skipped, never passed.
struct CutShortCase {
  const char* what;
  sim::Expectation e;
  std::vector<sim::FigureValue> samples;  // at t = 0, 1, 2, ...; the flight ends at the last
  sim::Outcome outcome;
  const char* message;  // a part of the message
};

void PrintTo(const CutShortCase& c, std::ostream* os) { *os << c.what; }

class CutShortFlights : public ::testing::TestWithParam<CutShortCase> {};

TEST_P(CutShortFlights, DecideWhatTheyFlewAndSkipTheRest) {
  const CutShortCase& c = GetParam();
  sim::FigureJudge judge(c.e, c.e.condition.figures.front());
  for (size_t i = 0; i < c.samples.size(); ++i) judge.sample(double(i), c.samples[i]);
  judge.finish(double(c.samples.size() - 1), /*cutShort=*/true, /*scenarioEnd=*/10.0);
  EXPECT_EQ(judge.outcome(), c.outcome) << judge.message();
  EXPECT_NE(judge.message().find(c.message), std::string::npos) << judge.message();
}

INSTANTIATE_TEST_SUITE_P(
    Expectations, CutShortFlights,
    ::testing::Values(
        CutShortCase{"a whole flight's test is not judged",
                     expect(TestKind::AtMost, 1.0),
                     {num(0), num(0.5), num(0.9)},
                     sim::Outcome::Skipped,
                     "not judged: --until ended the flight at 2.000 s, before 10.000 s"},
        CutShortCase{"a failure within the flight stands",
                     expect(TestKind::AtMost, 1.0),
                     {num(0), num(2), num(0)},
                     sim::Outcome::Failed,
                     "was 2 at 1.000 s"},
        CutShortCase{"a window closed within the flight passes",
                     expect(TestKind::AtMost, 1.0, 0.0, 1.0),
                     {num(0), num(0.5), num(3)},
                     sim::Outcome::Passed,
                     "highest 0.5"},
        CutShortCase{"a time after the end is not judged",
                     at(expect(TestKind::AtMost, 1.0), 5.0),
                     {num(0), num(0)},
                     sim::Outcome::Skipped,
                     "before 5.000 s"},
        CutShortCase{"a settle test not yet settled is not judged",
                     settle(0.1, 3.0, 10.0),
                     {num(1), num(0), num(0)},
                     sim::Outcome::Skipped,
                     "at 2.000 s"},
        CutShortCase{"a settle test settled within the flight passes",
                     settle(0.1, 3.0, 1.0),
                     {num(1), num(0), num(0), num(0)},
                     sim::Outcome::Passed,
                     "from 2.000 s to 3.000 s"}),
    [](const ::testing::TestParamInfo<CutShortCase>& info) {
      std::string name;
      for (const char* p = info.param.what; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

class VerificationFlights : public simtest::SimRun {};

// Three expectations, one of which fails: exit 1, the summary on standard
// error, the JUnit file with the counts, and the other outputs committed.
TEST_F(VerificationFlights, AFailedExpectationFailsTheRunAndKeepsItsOutputs) {
  const std::string file = writeScenario("v.toml", std::string(simtest::kTwoVessels) + R"(
[[screen]]
mode = "Gyrelle"

[[event]]
t = 1.0
vessel = "A"
engine = [1.0, 0.0, 0.0]

[[expect]]
name = "the burn costs less than a tonne"
figure = "propellant_kg.total"
at_most = 1000.0

[[expect]]
name = "B keeps <all> its propellant & more"
figure = "propellant_kg.total"
vessel = "B"
at_least = 1.0

[[expect]]
name = "no rotation"
figure = "wx"
abs_at_most = 1e-9
)");
  const auto r = run({file, "--quiet", "--junit", path("out/results.xml"), "--report",
                      path("out/report.json"), "--screens", path("out/screens.csv")});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("Expectations: 2 passed, 1 failed"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("FAIL  " + file +
                       ":43: B keeps <all> its propellant & more: "
                       "propellant_kg.total was 0 at 5.000 s: below 1"),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(simtest::readFile(path("out/report.json")).empty());
  EXPECT_FALSE(simtest::readFile(path("out/screens.csv")).empty());
  // Read as a CI system reads it; Debian's Python is there on Linux only.
#if !defined(_WIN32)
  const std::string check =
      "import sys, xml.etree.ElementTree as E\n"
      "s = E.parse(sys.argv[1]).getroot().find('testsuite')\n"
      "cases = s.findall('testcase')\n"
      "f = [c.get('name') + ': ' + c.find('failure').get('message') for c in cases "
      "if c.find('failure') is not None]\n"
      "print(s.get('tests'), s.get('failures'), len(cases), *f, sep='|')\n";
  writeScenario("check.py", check);
  const auto parsed = runProgram({"/usr/bin/python3", path("check.py"), path("out/results.xml")});
  ASSERT_EQ(parsed.status, 0) << parsed.err;
  EXPECT_EQ(parsed.out,
            "3|1|3|B keeps <all> its propellant & more: propellant_kg.total was 0 at 5.000 s: "
            "below 1\n");
#endif
}

// The conditional event of tests/sim/data/conditional_event.toml (which the
// cross-platform test flies on both builds) lets go of the thrusters at the
// first step whose propellant is at or below 3999.5 kg.
TEST_F(VerificationFlights, AConditionalEventRunsAtTheFirstStepItsConditionHolds) {
  const std::string file = std::string(testsupport::envPath("GYRELLE_SOURCE_DIR")) +
                           "/tests/sim/data/conditional_event.toml";
  const auto r =
      run({file, "--quiet", "--telemetry", path("tel.csv"), "--telemetry-every", "0.02"});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto rows = simtest::readCsv(simtest::readFile(path("tel.csv")));
  size_t first = 0;
  while (first < rows.size() && simtest::num(rows[first], "propellant") > 3999.5) ++first;
  ASSERT_TRUE(first > 0 && first < rows.size());
  // Levels in a row are those after the events of its time.
  EXPECT_EQ(simtest::num(rows[first - 1], "pitch"), 1.0) << rows[first - 1].at("t");
  EXPECT_EQ(simtest::num(rows[first], "pitch"), 0.0) << rows[first].at("t");
  EXPECT_NE(r.err.find("event at line 30: fired at " + rows[first].at("t") + " s"),
            std::string::npos)
      << r.err;
}

// --until before the scenario's end: a report figure and a condition that has
// not held are not judged, the run passes, and the JUnit file counts them skipped.
TEST_F(VerificationFlights, AFlightCutShortSkipsWhatItCannotDecide) {
  const std::string file = writeScenario("cut.toml", std::string(simtest::kTwoVessels) + R"(
[[event]]
when = { figure = "propellant", vessel = "B", at_most = 10.0 }
vessel = "B"
rot = [1.0, 0.0, 0.0]

[[expect]]
name = "no burn"
figure = "propellant_kg.total"
at_most = 0.0

[[expect]]
name = "no spin early on"
figure = "wx"
until = 0.5
abs_at_most = 0.0
)");
  const auto r = run({file, "--quiet", "--until", "1", "--junit", path("results.xml")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Expectations: 1 passed, 0 failed, 2 skipped"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("skip  " + file + ":35: no burn: propellant_kg.total not judged"),
            std::string::npos)
      << r.err;
  const std::string xml = simtest::readFile(path("results.xml"));
  EXPECT_NE(xml.find("tests=\"3\" failures=\"0\" errors=\"0\" skipped=\"2\""), std::string::npos)
      << xml;
  EXPECT_NE(xml.find("<skipped message=\"not judged: --until ended the flight at 1.000 s"),
            std::string::npos)
      << xml;
}

TEST_F(VerificationFlights, AConditionThatNeverHoldsFailsAtItsTimeoutNamingTheEvent) {
  const std::string file = writeScenario("never.toml", std::string(simtest::kTwoVessels) + R"(
[[event]]
when = { figure = "propellant", vessel = "B", at_most = 10.0 }
after = 1.0
timeout = 2.0
vessel = "B"
rot = [1.0, 0.0, 0.0]
)");
  const auto r = run({file, "--quiet"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("FAIL  " + file +
                       ":30: event at line 30: its condition did not hold by "
                       "3.000 s (its timeout)"),
            std::string::npos)
      << r.err;
}

TEST_F(VerificationFlights, GrammarErrorsStopTheRunBeforeItStarts) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"figure = \"dev_pich\"\nat_most = 1.0", "34:10: unknown figure 'dev_pich'"},
      {"figure = \"wx\"\nat_most = 1.0\nat_least = 0.0", "36:12: [[expect]] has more than one"},
      {"figure = \"mode\"\nat_most = 1.0", "35:11: 'at_most' needs a number figure"},
      {"figure = \"wx\"\nequals = \"x\"", "35:10: figure 'wx' is a number"},
      {"figure = \"wx\"\nat_most = 1.0\nat = 6.0",
       "36:6: 'at' in [[expect]] lies after the end of the flight"},
      {"figure = \"dev_yaw\"\nwithin = 0.1\nfor = 2.0", "32:1: [[expect]] needs 'by'"},
      {"figure = \"delta_v_m_s\"\nat_most = 1.0\nfrom = 1.0", "36:8: report figures are taken"},
      {"figure = \"dev_yaw\"\nat_most = 1.0\nscreen = 3", "32:1: unknown screen 3"},
  };
  for (const auto& [body, where] : cases) {
    const std::string file =
        writeScenario("bad.toml", std::string(simtest::kTwoVessels) +
                                      "\n[[screen]]\n\n[[expect]]\nname = \"x\"\n" + body + "\n");
    const auto r = run({file, "--quiet", "--report", path("r.json")});
    EXPECT_EQ(r.status, 2) << body;
    EXPECT_EQ(r.err.rfind(file + ":" + where, 0), 0u) << r.err;
    EXPECT_FALSE(std::filesystem::exists(path("r.json")));
  }
}

}  // namespace
