// Keys by name and buttons by label: the names resolve to the scan codes the
// module handles, labels to the buttons the loaded module shows, and a
// scenario that names them flies as one that gives the numbers.
#include "sim/scenario/key_names.h"

#include <gtest/gtest.h>

#include "sim_run.h"
#include "support/world_fixture.h"

namespace {

TEST(KeyNames, NamesGiveTheScanCodesOfTheKeyboard) {
  // Set 1 scan codes from the keyboard's own table, not from the code's.
  const std::pair<const char*, uint32_t> known[] = {
      {"1", 2},        {"4", 5},        {"9", 10},       {"0", 11},       {"Q", 16},
      {"P", 25},       {"A", 30},       {"H", 35},       {"L", 38},       {"Z", 44},
      {"M", 50},       {"Period", 52},  {"Space", 57},   {"Numpad7", 71}, {"Numpad4", 75},
      {"Numpad5", 76}, {"Numpad6", 77}, {"Numpad1", 79}, {"Numpad3", 81}, {"Numpad0", 82},
  };
  for (const auto& [name, code] : known) {
    EXPECT_EQ(sim::scanCodeOfKey(name), code) << name;
    EXPECT_EQ(sim::keyNameOfScanCode(code), name) << code;
  }
  EXPECT_EQ(sim::keyNames().size(), 26u + 10u + 2u + 10u);
}

TEST(KeyNames, ShiftPrefixCaseAndTheHelpPagesSpellings) {
  EXPECT_EQ(sim::scanCodeOfKey("Shift-H"), 35u);
  EXPECT_EQ(sim::scanCodeOfKey("shift-h"), 35u);
  EXPECT_EQ(sim::scanCodeOfKey("Shift-."), 52u);
  EXPECT_EQ(sim::scanCodeOfKey("Shift-Numpad-5"), 76u);
  EXPECT_EQ(sim::scanCodeOfKey("numpad2"), 80u);
  EXPECT_EQ(sim::scanCodeOfKey("SPACE"), 57u);
}

TEST(KeyNames, OtherTextIsNoKey) {
  for (const char* name : {"", "Shift-", "Shift", "HH", "F1", "Numpad", "Numpad10", "Numpad-",
                           "Shift-Shift-H", "Ctrl-H", " H", "Numpad+5"})
    EXPECT_FALSE(sim::scanCodeOfKey(name)) << "'" << name << "'";
  EXPECT_EQ(sim::keyNameOfScanCode(1), "");
  EXPECT_EQ(sim::keyNameOfScanCode(74), "");
}

TEST(ButtonLabels, FindsTheOneButtonShowingALabel) {
  const std::vector<std::string> labels = {"MOD", "PCH", "", "TGT", "HLD", "TGT"};
  EXPECT_EQ(sim::findButton(labels, "HLD").index, 4);
  EXPECT_EQ(sim::findButton(labels, "hld").index, 4);
  EXPECT_EQ(sim::findButton(labels, "MOD").index, 0);

  const sim::ButtonLookup twice = sim::findButton(labels, "TGT");
  EXPECT_FALSE(twice.index);
  EXPECT_NE(twice.problem.find("buttons 3 and 5"), std::string::npos) << twice.problem;

  const sim::ButtonLookup none = sim::findButton(labels, "XYZ");
  EXPECT_FALSE(none.index);
  EXPECT_NE(none.problem.find("no button shows 'XYZ'"), std::string::npos) << none.problem;
  EXPECT_FALSE(sim::findButton(labels, "").index);  // the blank buttons are not ""
}

class LoadedButtonLabels : public gyrelle_test::WorldFixture {};

TEST_F(LoadedButtonLabels, AreReadFromTheModesInstance) {
  const size_t screen = loadModuleWithScreen();
  const std::vector<std::string> labels = sim::buttonLabels(world->screen(screen).instance);
  ASSERT_EQ(labels.size(), 30u);
  EXPECT_EQ(labels[5], "HLD");
  EXPECT_EQ(labels[28], "HLP");
  EXPECT_EQ(labels[15], "");
  EXPECT_EQ(sim::findButton(labels, "CLR").index, 29);
  EXPECT_TRUE(sim::buttonLabels(nullptr).empty());
}

class NamedKeysScenario : public simtest::SimRun {};

// The hold by key name and by label gives the same screens as by numbers.
TEST_F(NamedKeysScenario, FliesAsTheNumbersDo) {
  const std::string screen = R"(
[[screen]]
mode = "Gyrelle"
[[event]]
t = 0.5
vessel = "A"
rot = [0.2, 0.0, 0.0]
[[event]]
t = 1.0
vessel = "A"
rot = [0.0, 0.0, 0.0]
)";
  const std::string byNumber = std::string(simtest::kTwoVessels) + screen + R"(
[[event]]
t = 1.5
key = 35
[[event]]
t = 2.5
button = 5
[[event]]
t = 3.0
key = 3
)";
  const std::string byName = std::string(simtest::kTwoVessels) + screen + R"(
[[event]]
t = 1.5
key = "Shift-H"
[[event]]
t = 2.5
button = "HLD"
[[event]]
t = 3.0
key = "2"
)";
  ASSERT_EQ(run({writeScenario("n.toml", byNumber), "--dump", path("n.txt")}).status, 0);
  const simtest::RunResult named = run({writeScenario("s.toml", byName), "--dump", path("s.txt"),
                                        "--screens", path("s.csv"), "--quiet"});
  ASSERT_EQ(named.status, 0) << named.err;
  EXPECT_EQ(named.err, "");
  EXPECT_EQ(simtest::readFile(path("n.txt")), simtest::readFile(path("s.txt")));
  // And the hold did come on and go off again, then mode 2 came.
  const std::string log = simtest::readFile(path("s.csv"));
  EXPECT_NE(log.find("\n1.500,0,Attitude,1,"), std::string::npos) << log;
  EXPECT_NE(log.find("\n2.500,0,Attitude,0,"), std::string::npos) << log;
  EXPECT_NE(log.find("\n3.000,0,Velocity,0,"), std::string::npos) << log;
}

TEST_F(NamedKeysScenario, AnUnknownNameIsAScenarioErrorAtItsValue) {
  const std::string text =
      std::string(simtest::kTwoVessels) + "[[screen]]\n[[event]]\nt = 1.0\nkey = \"Shift-F1\"\n";
  const simtest::RunResult r = run({writeScenario("bad.toml", text)});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("bad.toml:32:7: unknown key name 'Shift-F1'"), std::string::npos) << r.err;
}

TEST_F(NamedKeysScenario, ALabelNoButtonShowsIsNotedAndChangesNothing) {
  const std::string text = std::string(simtest::kTwoVessels) +
                           "[[screen]]\nmode = \"Gyrelle\"\n"
                           "[[event]]\nt = 1.0\nbutton = \"TGT\"\n"
                           "[[event]]\nt = 2.0\nbutton = \"XYZ\"\n";
  const simtest::RunResult r = run({writeScenario("l.toml", text), "--screens", path("l.csv")});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("buttons 6 and 26 both show 'TGT'"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("no button shows 'XYZ' on screen 0"), std::string::npos) << r.err;
}

}  // namespace
