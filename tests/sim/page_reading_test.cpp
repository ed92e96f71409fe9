// Reading a page as the pilot does: the figures read off the loaded module's
// drawing are the instance's own values as printed, in every mode and on
// every help page.
#include "sim/outputs/page_reading.h"

#include <gtest/gtest.h>

#include <cmath>

#include "mfd/gyrelle_mfd.h"
#include "support/world_fixture.h"

namespace {

constexpr double kDegPerRad = 57.29577951308232;

TEST(ReadFigure, SignsSuffixesAndOtherText) {
  EXPECT_EQ(sim::readFigure("+1.25"), 1.25);
  EXPECT_EQ(sim::readFigure("-0.50"), -0.5);
  EXPECT_EQ(sim::readFigure("  12"), 12.0);
  EXPECT_EQ(sim::readFigure("+2.35k"), 2350.0);
  EXPECT_EQ(sim::readFigure("-1.50M"), -1.5e6);
  EXPECT_EQ(sim::readFigure("1.00AU"), 149597870700.0);
  for (const char* text : {"", "+", "k", "1.2x", "abc", "1.2 k", "nan?"})
    EXPECT_FALSE(sim::readFigure(text)) << text;
  for (const char* text : {"+nan", "nan", "-nan"}) {
    const std::optional<double> figure = sim::readFigure(text);
    EXPECT_TRUE(figure && std::isnan(*figure)) << text;
  }
}

class LoadedPage : public gyrelle_test::WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    screen = loadModuleWithScreen();
    tender = addVessel("Tender", VECTOR3{gyrelle_test::kOrbitRadius + 300, 2500, 400});
  }
  GyrelleMFD& record() { return *static_cast<GyrelleMFD*>(world->screen(screen).instance); }
  // Flies a second with the module's per-step update, then reads the page.
  sim::PageReading flyAndRead() {
    for (int i = 1; i <= 50; ++i) {
      world->step(0.02);
      loader->postStep(i * 0.02, 0.02, 0.0);
    }
    return sim::readPage(world->redraw(screen));
  }
  // The value as the page prints it with two decimals.
  static double printed(double v) { return std::round(v * 100.0) / 100.0; }
  void expectAttitude(const sim::PageReading& page) {
    ASSERT_TRUE(page.showsAttitude());
    const VECTOR3& dev = record().attDeviation;
    const VECTOR3& rate = record().status.angVel;
    const double devs[3] = {dev.x, dev.y, dev.z}, rates[3] = {rate.x, rate.y, rate.z};
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(*page.deviation[i], printed(devs[i] * kDegPerRad), 1e-9) << i;
      EXPECT_NEAR(*page.rate[i], printed(rates[i] * kDegPerRad), 1e-9) << i;
    }
  }

  size_t screen = 0;
  halcyra::ObjectId tender = 0;
};

TEST_F(LoadedPage, AttitudeModeShowsDeviationsRatesAndTheHold) {
  world->vessel(vessel)->angVel = VECTOR3{0.02, -0.01, 0.005};
  sim::PageReading page = flyAndRead();
  EXPECT_EQ(page.mode, "Attitude");
  EXPECT_FALSE(page.hold);
  EXPECT_EQ(page.helpPage, 0);
  EXPECT_NE(*page.deviation[0], 0.0);
  expectAttitude(page);
  EXPECT_FALSE(page.distance);
  EXPECT_FALSE(page.entryAngle);

  ASSERT_TRUE(world->pressKey(screen, 35));  // H
  page = flyAndRead();
  EXPECT_EQ(page.mode, "Attitude");
  EXPECT_TRUE(page.hold);
  expectAttitude(page);
}

TEST_F(LoadedPage, TargetModeShowsTheTargetDistanceAndRangeRate) {
  ASSERT_TRUE(world->pressKey(screen, 4));   // 3: target relative
  ASSERT_TRUE(world->pressKey(screen, 57));  // space: the closest target
  world->vessel(tender)->velocity = world->vessel(tender)->velocity + VECTOR3{0, 1.5, 0};
  const sim::PageReading page = flyAndRead();
  EXPECT_EQ(page.mode, "Target Relative");
  EXPECT_EQ(page.target, "Tender");
  const VECTOR3& rel = record().targetRelPos;
  const double distance = std::sqrt(rel.x * rel.x + rel.y * rel.y + rel.z * rel.z);
  ASSERT_TRUE(page.distance);
  // Printed as "2.50k": metres to the nearest ten.
  EXPECT_GT(distance, 1000.0);
  EXPECT_NEAR(*page.distance, std::round(distance / 10.0) * 10.0, 1e-6);
  ASSERT_TRUE(page.rangeRate);
  EXPECT_NEAR(*page.rangeRate, printed(record().rangeRate), 1e-9);
  EXPECT_NE(*page.rangeRate, 0.0);
  expectAttitude(page);
}

TEST_F(LoadedPage, EntryModeShowsTheEntryAngleAndTimeToGo) {
  // Slower than circular at 400 km: the orbit dips into the atmosphere.
  world->vessel(vessel)->velocity = VECTOR3{0, 7500.0, 0};
  ASSERT_TRUE(world->pressKey(screen, 5));  // 4: entry interface
  const sim::PageReading page = flyAndRead();
  EXPECT_EQ(page.mode, "Entry Interface");
  ASSERT_TRUE(record().entryPrediction.valid);
  ASSERT_TRUE(page.entryAngle && page.timeToGo);
  EXPECT_NEAR(*page.entryAngle, printed(record().entryPrediction.entryAngle * kDegPerRad), 1e-9);
  EXPECT_NEAR(*page.timeToGo, std::round(record().entryPrediction.timeToGo), 1e-9);
  expectAttitude(page);
}

TEST_F(LoadedPage, HelpPagesAreToldByTheirHeadings) {
  ASSERT_TRUE(world->pressKey(screen, 82));  // keypad 0: help
  for (int page = 1; page <= 7; ++page) {
    const sim::PageReading reading = sim::readPage(world->redraw(screen));
    EXPECT_EQ(reading.helpPage, page);
    EXPECT_EQ(reading.mode, "");
    EXPECT_FALSE(reading.showsAttitude());
    ASSERT_TRUE(world->pressKey(screen, 57));  // any key turns the page
  }
  EXPECT_EQ(sim::readPage(world->redraw(screen)).helpPage, 0);
}

TEST_F(LoadedPage, AScreenWithoutAModeShowsNothing) {
  ASSERT_TRUE(world->setScreenMode(screen, "none"));
  const sim::PageReading page = sim::readPage(world->redraw(screen));
  EXPECT_EQ(page.mode, "");
  EXPECT_EQ(page.helpPage, 0);
  EXPECT_FALSE(page.deviation[0]);
}

}  // namespace
