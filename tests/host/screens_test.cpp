// MFD modes, screens, input boxes, the MFD base class and the loader.
#include <cstring>
#include <string>
#include <vector>

#include "earth_world.h"
#include "support/test_paths.h"

namespace halcyra {
namespace {

// A mode that logs what the host does to its instances.
struct Log {
  std::vector<std::string> events;
  uint32_t lastPacked = 0;
  VESSEL* lastVessel = nullptr;
  int nextAnswer = 1;  // callback result: 1 accept, 0 refuse, 2 accept and open another
};
Log* gLog = nullptr;

class ProbeMFD : public MFD {
 public:
  ProbeMFD(uint32_t w, uint32_t h, VESSEL* v) : MFD(w, h, v), serial_(++count) {
    gLog->events.push_back("new" + std::to_string(serial_));
  }
  ~ProbeMFD() override { gLog->events.push_back("delete" + std::to_string(serial_)); }
  bool ConsumeKeyBuffered(uint32_t key) override {
    gLog->events.push_back("key" + std::to_string(key));
    if (key == 99) return hapiOpenInputBox("Select Pitch", &ProbeMFD::answer, nullptr, 20, this);
    return true;
  }
  bool ConsumeButton(int button, int event) override {
    gLog->events.push_back("button" + std::to_string(button) + (event & 1 ? "+" : "-"));
    return true;
  }
  void Redraw(HDC dc) override { TextOutA(dc, 3, 4, "probe", 5); }
  static bool answer(void*, char* text, void* user) {
    gLog->events.push_back(std::string("answer:") + text + "@" +
                           std::to_string(static_cast<ProbeMFD*>(user)->serial_));
    if (gLog->nextAnswer == 2) hapiOpenInputBox("Select Yaw", &ProbeMFD::answer, nullptr, 20, user);
    return gLog->nextAnswer != 0;
  }
  static int count;

 private:
  int serial_;
};
int ProbeMFD::count = 0;

intptr_t probeProc(uint32_t msg, uint32_t, uint32_t packed, intptr_t vessel) {
  if (msg != MFD_MSG_OPENED) return 0;
  gLog->lastPacked = packed;
  gLog->lastVessel = reinterpret_cast<VESSEL*>(vessel);
  return reinterpret_cast<intptr_t>(
      new ProbeMFD(packed & 0xffff, packed >> 16, reinterpret_cast<VESSEL*>(vessel)));
}

class Screens : public EarthWorld {
 protected:
  void SetUp() override {
    EarthWorld::SetUp();
    gLog = &log;
    ProbeMFD::count = 0;
    modeId = hapiRegisterMFDMode(MFDMODESPEC{"Probe", 22, probeProc});
    world->addScreen(256, 280);
    world->addScreen(300, 200);
  }
  void TearDown() override {
    EarthWorld::TearDown();
    gLog = nullptr;
  }
  Log log;
  int modeId = 0;
};

TEST_F(Screens, OpeningSendsPackedSizeAndFocusVessel) {
  EXPECT_GT(modeId, 0);
  EXPECT_EQ(hapiRegisterMFDMode(MFDMODESPEC{"Probe", 23, probeProc}), 0) << "name taken";
  ASSERT_TRUE(world->setScreenMode(1, "Probe"));
  EXPECT_EQ(log.lastPacked, 300u | (200u << 16));
  EXPECT_EQ(log.lastVessel, iface(gyre1));
  EXPECT_FALSE(world->setScreenMode(1, "Nonesuch"));
  EXPECT_EQ(world->screen(1).mode, "Probe");
  EXPECT_THROW(world->screen(7), std::out_of_range);
}

TEST_F(Screens, SwitchingAwayAndRebuildDeleteThroughTheDestructor) {
  world->setScreenMode(0, "Probe");
  world->setScreenMode(1, "Probe");
  world->rebuildScreens();
  world->setScreenMode(0, "none");
  EXPECT_EQ(world->screen(0).instance, nullptr);
  const std::vector<std::string> expected{"new1",    "new2", "delete1", "new3",
                                          "delete2", "new4", "delete3"};
  EXPECT_EQ(log.events, expected);
}

TEST_F(Screens, KeysButtonsAndRedrawReachTheInstance) {
  EXPECT_FALSE(world->pressKey(0, 5)) << "no mode shown";
  world->setScreenMode(0, "Probe");
  EXPECT_TRUE(world->pressKey(0, 5));
  EXPECT_TRUE(world->pressButton(0, 3));
  EXPECT_TRUE(world->pressButton(0, 3, false));
  EXPECT_EQ(log.events.back(), "button3-");
  const std::vector<GdiOp>& ops = world->redraw(0);
  ASSERT_EQ(ops.size(), 1u);
  EXPECT_EQ(ops[0].text, "probe");
  EXPECT_EQ(world->screen(0).lastDrawing.size(), 1u);
  EXPECT_TRUE(world->redraw(1).empty());
}

TEST_F(Screens, InputBoxLifecycle) {
  world->setScreenMode(0, "Probe");
  world->setScreenMode(1, "Probe");
  EXPECT_FALSE(hapiOpenInputBox("Stray", &ProbeMFD::answer, nullptr, 20, nullptr))
      << "no screen is handling a key";
  EXPECT_FALSE(world->answerInput(1, "x"));
  ASSERT_TRUE(world->pressKey(1, 99));
  ASSERT_TRUE(world->screen(1).inputBox.has_value());
  EXPECT_EQ(world->screen(1).inputBox->title, "Select Pitch");
  EXPECT_FALSE(world->screen(0).inputBox.has_value());

  log.nextAnswer = 0;  // refused: stays open
  EXPECT_FALSE(world->answerInput(1, "abc"));
  EXPECT_TRUE(world->screen(1).inputBox.has_value());
  log.nextAnswer = 2;  // accepted, and the callback opens the next box on the same screen
  EXPECT_TRUE(world->answerInput(1, "-10.5"));
  ASSERT_TRUE(world->screen(1).inputBox.has_value());
  EXPECT_EQ(world->screen(1).inputBox->title, "Select Yaw");
  log.nextAnswer = 1;
  EXPECT_TRUE(world->answerInput(1, "7"));
  EXPECT_FALSE(world->screen(1).inputBox.has_value());
  EXPECT_EQ(log.events.back(), "answer:7@2");

  world->pressKey(1, 99);
  EXPECT_TRUE(world->cancelInput(1));
  EXPECT_FALSE(world->cancelInput(1));

  // Closing the mode drops the box without calling back.
  world->pressKey(1, 99);
  const size_t before = log.events.size();
  world->setScreenMode(1, "none");
  EXPECT_FALSE(world->screen(1).inputBox.has_value());
  EXPECT_EQ(log.events.size(), before + 1);
  EXPECT_EQ(log.events.back(), "delete2");
}

TEST_F(Screens, UnregisterClosesScreensAndTwiceIsHarmless) {
  world->setScreenMode(0, "Probe");
  world->pressKey(0, 99);
  EXPECT_TRUE(hapiUnregisterMFDMode(modeId));
  EXPECT_EQ(world->screen(0).instance, nullptr);
  EXPECT_EQ(world->screen(0).mode, "");
  EXPECT_FALSE(world->screen(0).inputBox.has_value());
  EXPECT_EQ(log.events.back(), "delete1");
  EXPECT_FALSE(hapiUnregisterMFDMode(modeId));
  EXPECT_FALSE(world->setScreenMode(0, "Probe"));
}

TEST_F(Screens, WorldEndDeletesInstancesAndLeavesInterfacesAnsweringNull) {
  world->setScreenMode(0, "Probe");
  VESSEL* kept = hapiGetFocusInterface();
  world.reset();
  EXPECT_EQ(log.events.back(), "delete1");
  EXPECT_EQ(World::current(), nullptr);
  EXPECT_EQ(kept->GetMass(), 0.0) << "a module's kept pointer stays safe to call";
}

TEST(MfdBase, DefaultsDoNothing) {
  MFD base(10, 20, nullptr);
  char keys[256] = {};
  EXPECT_FALSE(base.ConsumeKeyImmediate(keys));
  EXPECT_FALSE(base.ConsumeKeyBuffered(1));
  EXPECT_FALSE(base.ConsumeButton(0, 1));
  EXPECT_EQ(base.ButtonLabel(0), nullptr);
  const MFDBUTTONMENU* menu = reinterpret_cast<const MFDBUTTONMENU*>(&base);
  EXPECT_EQ(base.ButtonMenu(&menu), 0);
  EXPECT_EQ(menu, nullptr);
  base.WriteStatus(nullptr);
  base.ReadStatus(nullptr);
  base.StoreStatus();
  base.RecallStatus();
}

class Loader : public EarthWorld {};

TEST_F(Loader, LoadsInitialisesNotifiesAndUnloadsInOrder) {
  world->addScreen(256, 280);
  {
    ModuleLoader m(testsupport::envPath("HOST_FIXTURE_MODULE_PATH"));
    EXPECT_STREQ(hapiDebugString(), "AI");
    EXPECT_EQ(m.moduleVersion(), 42);
    EXPECT_NE(GetProcAddress(m.handle(), "InitModule"), nullptr);
    EXPECT_EQ(GetProcAddress(m.handle(), "NoSuchEntry"), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, "InitModule"), nullptr);
    ASSERT_TRUE(world->setScreenMode(0, "Fixture"));
    m.postStep(0.02, 0.02, 0);
    EXPECT_TRUE(world->setFocus(tenderId));
    EXPECT_TRUE(world->setFocus(tenderId));  // no change, no notice
    EXPECT_EQ(world->redraw(0).at(0).text, "fixture");
  }
  // ExitModule unregisters the mode, which deletes the instance; then detach.
  EXPECT_STREQ(hapiDebugString(), "AIPFE~D");
  EXPECT_EQ(world->screen(0).instance, nullptr);
  EXPECT_TRUE(loadedModules().empty());
}

TEST_F(Loader, ModeLeftRegisteredIsDroppedBeforeTheLibraryGoes) {
  world->addScreen(256, 280);
  {
    ModuleLoader m(testsupport::envPath("HOST_FIXTURE_MODULE_PATH"));
    reinterpret_cast<void (*)()>(GetProcAddress(m.handle(), "fixtureForgetToUnregister"))();
    ASSERT_TRUE(world->setScreenMode(0, "Fixture"));
  }
  EXPECT_STREQ(hapiDebugString(), "AIE~D");
  EXPECT_TRUE(world->modes().empty());
  EXPECT_EQ(world->screen(0).instance, nullptr);
}

TEST_F(Loader, MissingLibraryThrowsWithTheReason) {
  EXPECT_THROW(ModuleLoader("/nonexistent/libnothing.so"), std::runtime_error);
  EXPECT_TRUE(loadedModules().empty());
}

}  // namespace
}  // namespace halcyra
