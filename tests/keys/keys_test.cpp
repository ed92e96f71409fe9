// The pilot's hands on the loaded module: buttons, keys, input boxes and help
// paging, driven through the stand-in host's screens.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "mfd/gyrelle_mfd.h"
#include "support/world_fixture.h"

namespace {

constexpr double kDegToRad = 0.017453292519943278;

// Keys the table handles; every other code is not consumed.
const std::set<uint32_t> kTableKeys = {2,  3,  4,  5,  19, 20, 21, 25, 35, 46, 48, 49,
                                       50, 52, 57, 71, 72, 73, 76, 79, 80, 81, 82};

class Keys : public gyrelle_test::WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    screen = loadModuleWithScreen();
    // A second vessel nearby so that target mode has something to select.
    tender = addVessel("Tender", VECTOR3{gyrelle_test::kOrbitRadius, 100, 0});
  }
  MFD& mfd() { return *world->screen(screen).instance; }
  // The loaded module's instance record, read through the shared header.
  const GyrelleMFD& record() { return *static_cast<GyrelleMFD*>(world->screen(screen).instance); }
  bool key(uint32_t k) { return world->pressKey(screen, k); }
  bool button(int b, bool press = true) { return world->pressButton(screen, b, press); }
  std::string boxTitle() {
    const auto& box = world->screen(screen).inputBox;
    return box ? box->title : std::string();
  }
  // The mode shown, by the number the pilot selects it with (keys 1 to 4).
  int modeNumber() { return static_cast<int>(record().refMode); }
  void toMode(int mode) {
    ASSERT_TRUE(key(static_cast<uint32_t>(mode + 1)));
    ASSERT_EQ(modeNumber(), mode);
  }

  size_t screen = 0;
  halcyra::ObjectId tender = 0;
};

TEST_F(Keys, ButtonsHaveTheirLabelsMenusAndCharacters) {
  const char* labels[30] = {"MOD", "PCH", "YAW", "ROL", "REF", "HLD", "TGT", "CLT", "TRA", "TRV",
                            "TRL", "TRF", "NXT", "PVT", "BAS", "",    "",    "",    "TVL", "TLF",
                            "TVF", "",    "",    "",    "ATT", "VEL", "TGT", "ENT", "HLP", "CLR"};
  const char chars[30] = {'M', 'P', 'Y', 'R', '.', 'H', 'T', ' ', '5', '1',
                          '2', '3', 'N', 'P', 'B', 0,   0,   0,   '7', '8',
                          '9', 0,   0,   0,   '1', '2', '3', '4', '0', 'C'};
  const MFDBUTTONMENU* menu = nullptr;
  ASSERT_EQ(mfd().ButtonMenu(&menu), 30);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(mfd().ButtonMenu(nullptr), 30);
  for (int b = 0; b < 30; ++b) {
    ASSERT_NE(mfd().ButtonLabel(b), nullptr) << b;
    EXPECT_STREQ(mfd().ButtonLabel(b), labels[b]) << b;
    EXPECT_EQ(menu[b].selchar, chars[b]) << b;
    ASSERT_NE(menu[b].line1, nullptr) << b;
  }
  EXPECT_EQ(mfd().ButtonLabel(-1), nullptr);
  EXPECT_EQ(mfd().ButtonLabel(30), nullptr);
  EXPECT_STREQ(menu[4].line1, "Set Reference");
  EXPECT_STREQ(menu[4].line2, "Attitude");
  EXPECT_EQ(menu[0].line2, nullptr);
  EXPECT_STREQ(menu[7].line2, "(Target Mode)");
  EXPECT_STREQ(menu[20].line1, "Trim Vert, F/A");
  EXPECT_STREQ(menu[27].line1, "Entry Interface");
  EXPECT_STREQ(menu[29].line1, "Toggle Color Mode");
  EXPECT_STREQ(menu[15].line1, "");
  EXPECT_STREQ(menu[15].line2, "");
  // Labels do not change with the mode.
  toMode(3);
  EXPECT_STREQ(mfd().ButtonLabel(1), "PCH");
}

TEST_F(Keys, ExactlyTheTableKeysAreConsumedInEveryMode) {
  for (int mode = 1; mode <= 4; ++mode) {
    for (uint32_t k = 0; k < 256; ++k) {
      if (kTableKeys.count(k) || k == 0) continue;
      EXPECT_FALSE(key(k)) << "mode " << mode << " key " << k;
    }
    // Keys that only store or act in certain modes are still consumed.
    for (uint32_t k : {19u, 20u, 21u, 48u, 49u, 52u, 57u, 71u, 76u, 79u}) {
      EXPECT_TRUE(key(k)) << "mode " << mode << " key " << k;
      if (world->screen(screen).inputBox) world->cancelInput(screen);
    }
    EXPECT_EQ(modeNumber(), mode);
    if (mode < 4) toMode(mode + 1);
  }
}

TEST_F(Keys, OffsetKeysOpenTheirBoxesOutsideTargetMode) {
  EXPECT_TRUE(key(25));
  EXPECT_EQ(boxTitle(), "Select Pitch");
  EXPECT_TRUE(key(21));
  EXPECT_EQ(boxTitle(), "Select Yaw");
  EXPECT_TRUE(key(19));
  EXPECT_EQ(boxTitle(), "Select Roll");
  world->cancelInput(screen);
  toMode(3);
  EXPECT_TRUE(key(19));
  EXPECT_TRUE(key(21));
  EXPECT_EQ(boxTitle(), "");
  EXPECT_TRUE(key(20));
  EXPECT_EQ(boxTitle(), "Select Target");
}

TEST_F(Keys, PitchAndPrevTargetButtonsWorkOnlyInTheirModes) {
  EXPECT_TRUE(button(1));  // PCH outside mode 3 opens the pitch box
  EXPECT_EQ(boxTitle(), "Select Pitch");
  world->cancelInput(screen);
  EXPECT_FALSE(button(13));  // PVT outside mode 3
  toMode(3);
  EXPECT_FALSE(button(1));  // PCH in mode 3
  EXPECT_EQ(boxTitle(), "");
  ASSERT_NE(record().targetHandle, nullptr);
  const OBJHANDLE before = record().targetHandle;
  EXPECT_TRUE(button(13));  // PVT steps to the previous target
  EXPECT_NE(record().targetHandle, before);
}

TEST_F(Keys, ModButtonCyclesTheModes) {
  const int expected[] = {2, 3, 4, 1, 2};
  for (int next : expected) {
    EXPECT_TRUE(button(0));
    EXPECT_EQ(modeNumber(), next);
    EXPECT_EQ(boxTitle(), "");  // MOD never opens the mode box
  }
}

TEST_F(Keys, ModeKeySelectsModeOneAndAsksForTheFinalMode) {
  toMode(2);
  ASSERT_TRUE(key(35));
  ASSERT_EQ(record().holdActive, 1);
  focus().SetAttitudeRotLevel(VECTOR3{0.4, 0.4, 0.4});
  EXPECT_TRUE(key(50));
  EXPECT_EQ(modeNumber(), 1);
  EXPECT_EQ(record().holdActive, 0);
  EXPECT_DOUBLE_EQ(focus().GetThrusterGroupLevel(THGROUP_PITCH_RAISE), 0.0);
  EXPECT_EQ(boxTitle(), "Select Mode");
  EXPECT_FALSE(world->answerInput(screen, "7"));
  EXPECT_FALSE(world->answerInput(screen, "abc"));
  EXPECT_FALSE(world->answerInput(screen, "0"));
  EXPECT_EQ(modeNumber(), 1);
  EXPECT_EQ(boxTitle(), "Select Mode");  // a refused answer leaves the box open
  EXPECT_TRUE(world->answerInput(screen, "3"));
  EXPECT_EQ(modeNumber(), 3);
  EXPECT_EQ(boxTitle(), "");
}

TEST_F(Keys, OffsetTextsReadAsDegrees) {
  struct Case {
    const char* text;
    double degrees;
  };
  const Case cases[] = {{"-10.5", -10.5}, {"10 5", 10.5}, {" 5", 0.5}, {"abc", 0.0},
                        {"2.5e1", 25.0},  {"0x10", 0.0},  {"+7", 7.0}};
  for (const Case& c : cases) {
    ASSERT_TRUE(key(25));
    EXPECT_TRUE(world->answerInput(screen, c.text)) << c.text;
    EXPECT_DOUBLE_EQ(record().attOffset.x, c.degrees * kDegToRad) << c.text;
  }
  ASSERT_TRUE(key(21));
  EXPECT_TRUE(world->answerInput(screen, "3"));
  EXPECT_DOUBLE_EQ(record().attOffset.y, 3 * kDegToRad);
  ASSERT_TRUE(key(19));
  EXPECT_TRUE(world->answerInput(screen, "-4"));
  EXPECT_DOUBLE_EQ(record().attOffset.z, -4 * kDegToRad);
}

TEST_F(Keys, OffsetTextsThatAreNotFiniteAreRefused) {
  ASSERT_TRUE(key(25));
  ASSERT_TRUE(world->answerInput(screen, "2"));
  // The decimal number in front overflows: refused, nothing changed.
  for (const char* text : {"1e999", "-1e999", "1e400xyz"}) {
    ASSERT_TRUE(key(25));
    EXPECT_FALSE(world->answerInput(screen, text)) << text;
    EXPECT_DOUBLE_EQ(record().attOffset.x, 2 * kDegToRad) << text;
    world->cancelInput(screen);
  }
  // No decimal number in front: 0 by the grammar, whatever a C library reads there.
  for (const char* text : {"0x1p2000", "nan", "inf", "-infinity"}) {
    ASSERT_TRUE(key(25));
    EXPECT_TRUE(world->answerInput(screen, text)) << text;
    EXPECT_EQ(record().attOffset.x, 0.0) << text;
  }
}

TEST_F(Keys, OffsetTextsOfAnyLengthReadTheirLeadingNumber) {
  const std::string digitsThenJunk = "7" + std::string(5000, 'x');
  const std::string longFraction = "0." + std::string(3000, '0') + "5";  // 5e-3001, read as 0
  ASSERT_TRUE(key(25));
  EXPECT_TRUE(world->answerInput(screen, digitsThenJunk));
  EXPECT_DOUBLE_EQ(record().attOffset.x, 7 * kDegToRad);
  ASSERT_TRUE(key(25));
  EXPECT_TRUE(world->answerInput(screen, "-12 5" + std::string(1000, ' ')));
  EXPECT_DOUBLE_EQ(record().attOffset.x, -12.5 * kDegToRad);
  ASSERT_TRUE(key(25));
  EXPECT_TRUE(world->answerInput(screen, longFraction));
  EXPECT_EQ(record().attOffset.x, 0.0);
}

TEST_F(Keys, CallbackForADestroyedInstanceIsRefused) {
  ASSERT_TRUE(key(25));
  const halcyra::InputBox box = *world->screen(screen).inputBox;
  ASSERT_TRUE(world->setScreenMode(screen, "none"));
  char text[] = "5";
  EXPECT_FALSE(box.callback(nullptr, text, box.userData));
  char mode[] = "2";
  ASSERT_TRUE(world->setScreenMode(screen, "Gyrelle"));
  ASSERT_TRUE(key(50));
  const halcyra::InputBox modeBox = *world->screen(screen).inputBox;
  ASSERT_TRUE(world->setScreenMode(screen, "none"));
  EXPECT_FALSE(modeBox.callback(nullptr, mode, modeBox.userData));
}

TEST_F(Keys, ReleaseEventsAndBlankButtonsAreNotConsumed) {
  EXPECT_FALSE(button(5, false));
  EXPECT_EQ(record().holdActive, 0);
  EXPECT_FALSE(button(15));
  EXPECT_FALSE(button(30));
  EXPECT_FALSE(button(-1));
  EXPECT_TRUE(button(5));
  EXPECT_EQ(record().holdActive, 1);
}

TEST_F(Keys, HelpPagesTurnWithKeysAndButtons) {
  EXPECT_TRUE(key(82));
  EXPECT_EQ(record().helpPage, 1);
  EXPECT_TRUE(key(35));  // H turns the page and does not toggle the hold
  EXPECT_EQ(record().helpPage, 2);
  EXPECT_EQ(record().holdActive, 0);
  EXPECT_TRUE(key(200));  // any key at all, also one outside the table
  EXPECT_EQ(record().helpPage, 3);
  EXPECT_FALSE(button(3, false));  // a release changes nothing
  EXPECT_EQ(record().helpPage, 3);
  for (int b : {15, 0, 1, 28}) {  // blank or not, any press turns the page
    EXPECT_TRUE(button(b));
  }
  EXPECT_EQ(record().helpPage, 7);
  EXPECT_EQ(modeNumber(), 1);  // MOD did not cycle on a help page
  EXPECT_TRUE(key(2));
  EXPECT_EQ(record().helpPage, 0);  // back to the normal display after page 7
  EXPECT_TRUE(button(28));          // HLP opens the first page
  EXPECT_EQ(record().helpPage, 1);
  for (int i = 0; i < 7; ++i) EXPECT_TRUE(button(29));
  EXPECT_EQ(record().helpPage, 0);
  EXPECT_EQ(record().colourMode, 0);
}

TEST_F(Keys, ColourKeyCyclesThroughThreeModes) {
  EXPECT_TRUE(key(46));
  EXPECT_EQ(record().colourMode, 1);
  EXPECT_TRUE(key(46));
  EXPECT_EQ(record().colourMode, 2);
  EXPECT_TRUE(key(46));
  EXPECT_EQ(record().colourMode, 0);
}

TEST_F(Keys, ReferenceKeyCapturesOnlyInModeOne) {
  halcyra::Vessel* v = world->vessel(vessel);
  v->angVel = VECTOR3{0.01, 0, 0};
  for (int i = 0; i < 50; ++i) {
    world->step(0.02);
    loader->postStep(0, 0.02, 0);
  }
  EXPECT_TRUE(key(52));
  EXPECT_DOUBLE_EQ(record().refAttitude.x, record().status.orientation.x);
  toMode(2);
  for (int i = 0; i < 50; ++i) {
    world->step(0.02);
    loader->postStep(0, 0.02, 0);
  }
  const VECTOR3 rebuilt = record().refAttitude;
  EXPECT_TRUE(key(52));  // REF in mode 2 changes nothing
  EXPECT_EQ(record().refAttitude.x, rebuilt.x);
}

}  // namespace
