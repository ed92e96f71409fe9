// The value pages: texts, positions and colours for each reference mode,
// the signed-number rule and the distance format.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "mfd/display.h"
#include "mfd/page_fixture.h"

namespace {

using gyrelle_test::hasText;
using gyrelle_test::kGreen;
using gyrelle_test::kGrey;
using gyrelle_test::kRed;
using gyrelle_test::kWhite;
using gyrelle_test::textAt;

constexpr double kRadPerDeg = 0.017453292519943278;

std::string distance(double value) {
  char text[32];
  formatDistance(text, sizeof text, value);
  return text;
}

TEST(DistanceFormat, ScalesByMagnitudeAndKeepsSign) {
  EXPECT_EQ(distance(999.0), "999.00");
  EXPECT_EQ(distance(999.994), "999.99");
  EXPECT_EQ(distance(1000.0), "1.00k");
  EXPECT_EQ(distance(2.5e6), "2.50M");
  EXPECT_EQ(distance(999999.0), "1000.00k");  // below the M threshold, rounded by the format
  EXPECT_EQ(distance(2.0 * 149597870700.0), "2.00AU");
  EXPECT_EQ(distance(149597870699.0), "149597.87M");
  EXPECT_EQ(distance(-3.5), "-3.50");
  EXPECT_EQ(distance(-1500.0), "-1.50k");
  EXPECT_EQ(distance(-2.5e6), "-2.50M");
  EXPECT_EQ(distance(0.0), "0.00");
  EXPECT_EQ(distance(std::nan("")), "nan");
}

TEST(DistanceFormat, StaysWithinTheBuffer) {
  char text[6] = "xxxxx";
  formatDistance(text, sizeof text, 123456.0);  // "123.46k" does not fit
  EXPECT_STREQ(text, "123.4");
  formatDistance(text, 0, 1.0);  // nothing written
  EXPECT_STREQ(text, "123.4");
}

class Pages : public gyrelle_test::PageFixture {};

TEST_F(Pages, AttitudePageAtTwoScreenHeights) {
  world->vessel(vessel)->angVel = VECTOR3{0.01, 0.0, -0.02};  // [rad/s]
  for (uint32_t height : {280u, 400u}) {
    SCOPED_TRACE(height);
    GyrelleMFD& m = makeInstance(height);
    const int h = static_cast<int>(height / 28);
    m.refAttitude = VECTOR3{10.0 * kRadPerDeg, -20.0 * kRadPerDeg, 30.5 * kRadPerDeg};
    m.attOffset = VECTOR3{-10.5 * kRadPerDeg, 0.0, 2.0 * kRadPerDeg};
    m.attDeviation = VECTOR3{0.5 * kRadPerDeg, -1.25 * kRadPerDeg, 0.0};
    m.status.orientation = VECTOR3{1.0 * kRadPerDeg, 2.0 * kRadPerDeg, -3.0 * kRadPerDeg};
    const auto ops = redraw();
    EXPECT_TRUE(hasText(ops, 5, 0, "Gyrelle V3.0", kGrey));
    EXPECT_EQ(textAt(ops, 5, h), nullptr);  // line 1 blank
    EXPECT_TRUE(hasText(ops, 5, 2 * h, "Ref Mode:", kGreen));
    EXPECT_TRUE(hasText(ops, 90, 2 * h, "Attitude", kWhite));
    EXPECT_TRUE(hasText(ops, 5, 3 * h, "Reference Att: 10.0 -20.0 30.5", kGreen));
    EXPECT_TRUE(hasText(ops, 5, 4 * h, "Current Att:   1.0 2.0 -3.0", kGreen));
    EXPECT_TRUE(hasText(ops, 5, 6 * h, "Set Pitch", kGreen));
    EXPECT_TRUE(hasText(ops, 100, 6 * h, "-10.50", kGreen));
    EXPECT_TRUE(hasText(ops, 5, 7 * h, "Set Yaw ", kGreen));
    EXPECT_TRUE(hasText(ops, 100, 7 * h, "+0.00", kGreen));
    EXPECT_TRUE(hasText(ops, 5, 8 * h, "Set Roll", kGreen));
    EXPECT_TRUE(hasText(ops, 100, 8 * h, "+2.00", kGreen));
    EXPECT_TRUE(hasText(ops, 5, 11 * h, "Pitch:", kGreen));
    EXPECT_TRUE(hasText(ops, 100, 11 * h, "+0.50", kGreen));
    EXPECT_TRUE(hasText(ops, 200, 11 * h, "+0.57", kGreen));  // 0.01 rad/s
    EXPECT_TRUE(hasText(ops, 5, 12 * h, "Yaw:", kGreen));
    EXPECT_TRUE(hasText(ops, 100, 12 * h, "-1.25", kGreen));
    EXPECT_TRUE(hasText(ops, 200, 12 * h, "+0.00", kGreen));
    EXPECT_TRUE(hasText(ops, 5, 13 * h, "Roll:", kGreen));
    EXPECT_TRUE(hasText(ops, 200, 13 * h, "-1.15", kGreen));
    for (const GdiOp& op : ops) {
      if (op.kind == GdiOpKind::SetBkMode) {
        EXPECT_EQ(op.mode, TRANSPARENT);
      }
    }
  }
}

TEST_F(Pages, SignedNumbersTakeTheColourModeColourWhenNegative) {
  GyrelleMFD& m = makeInstance();
  m.attDeviation = VECTOR3{-0.004, 0.0, 0.004};
  m.attOffset = VECTOR3{-0.004, 0.0, 0.0};
  const COLORREF negative[3] = {kGreen, kWhite, kRed};
  for (int mode = 0; mode < 3; ++mode) {
    SCOPED_TRACE(mode);
    m.colourMode = mode;
    const auto ops = redraw();
    EXPECT_TRUE(hasText(ops, 100, 110, "-0.23", negative[mode]));
    EXPECT_TRUE(hasText(ops, 100, 120, "+0.00", kGreen));
    EXPECT_TRUE(hasText(ops, 100, 130, "+0.23", kGreen));
    EXPECT_TRUE(hasText(ops, 100, 60, "-0.23", negative[mode]));
    EXPECT_TRUE(hasText(ops, 5, 120, "Yaw:", kGreen));  // the colour returned to green
    EXPECT_TRUE(hasText(ops, 5, 70, "Set Yaw ", kGreen));
  }
}

TEST_F(Pages, NegativeZeroPrintsAsZero) {
  GyrelleMFD& m = makeInstance();
  m.attDeviation = VECTOR3{-0.0, 0.0, 0.0};
  m.status.angVel = VECTOR3{0.0, -0.0, 0.0};
  const auto ops = redraw();
  EXPECT_TRUE(hasText(ops, 100, 110, "+0.00", kGreen));
  EXPECT_TRUE(hasText(ops, 200, 120, "+0.00", kGreen));
}

// A NaN is not negative: "+" and green. Its sign bit means nothing (0/0 sets
// it on x86), so it is "+nan" either way, never "+-nan".
TEST_F(Pages, NotANumberPrintsAsNotNegative) {
  GyrelleMFD& m = makeInstance();
  m.colourMode = 2;
  const double nan = std::nan(""), negativeNan = std::copysign(std::nan(""), -1.0);
  m.attDeviation = VECTOR3{nan, negativeNan, 0.0};
  m.status.angVel = VECTOR3{negativeNan, 0.0, nan};
  const auto ops = redraw();
  for (const auto& [x, y] : {std::pair{100, 110}, {100, 120}, {200, 110}, {200, 130}})
    EXPECT_TRUE(hasText(ops, x, y, "+nan", kGreen)) << x << " " << y;
}

TEST_F(Pages, VelocityPageWithHold) {
  GyrelleMFD& m = makeInstance();
  m.refMode = RefMode::kVelocity;
  m.holdActive = 1;
  m.status.relVel = VECTOR3{3000.0, 0.0, -4000.0};  // 5 km/s
  m.attOffset = VECTOR3{0.0, 0.0, -0.5 * kRadPerDeg};
  m.attDeviation = VECTOR3{0.0, 0.0, 1.0 * kRadPerDeg};
  const auto ops = redraw();
  EXPECT_TRUE(hasText(ops, 90, 20, "Velocity (Hold)", kWhite));
  EXPECT_TRUE(hasText(ops, 5, 30, "Velocity:", kGreen));
  EXPECT_TRUE(hasText(ops, 100, 30, "5.00k", kGreen));
  EXPECT_TRUE(hasText(ops, 5, 50, "Set Pitch", kGreen));
  EXPECT_TRUE(hasText(ops, 100, 70, "-0.50", kGreen));
  EXPECT_TRUE(hasText(ops, 5, 100, "Pitch:", kGreen));
  EXPECT_TRUE(hasText(ops, 100, 120, "+1.00", kGreen));
  EXPECT_EQ(textAt(ops, 5, 130), nullptr);

  m.holdActive = 0;
  EXPECT_TRUE(hasText(redraw(), 90, 20, "Velocity", kWhite));
}

class TargetPage : public gyrelle_test::PageFixture {
 protected:
  GyrelleMFD& targetInstance(int colourMode) {
    GyrelleMFD& m = makeInstance();
    m.refMode = RefMode::kTargetRelative;
    m.colourMode = colourMode;
    m.targetHandle = halcyra::toHandle(base);
    std::snprintf(m.targetName, sizeof m.targetName, "Cape Ridge");
    m.targetRelPos = VECTOR3{300.0, 0.0, 400.0};
    m.targetRelVel = VECTOR3{1200.0, -3.5, 3.5};
    m.rangeRate = -3.5;
    m.attDeviation = VECTOR3{0.0, -0.004, 0.0};
    return m;
  }
};

TEST_F(TargetPage, FiguresAndTheirColours) {
  const COLORREF negative[3] = {kGreen, kWhite, kRed};
  for (int mode = 0; mode < 3; ++mode) {
    SCOPED_TRACE(mode);
    targetInstance(mode);
    const auto ops = redraw();
    EXPECT_TRUE(hasText(ops, 90, 20, "Target Relative", kWhite));
    EXPECT_TRUE(hasText(ops, 5, 30, "Target: Cape Ridge", kGreen));
    EXPECT_TRUE(hasText(ops, 5, 40, "Distance:", kGreen));
    EXPECT_TRUE(hasText(ops, 100, 40, "500.00", kGreen));
    EXPECT_TRUE(hasText(ops, 5, 50, "Rad Vel:", kGreen));
    EXPECT_TRUE(hasText(ops, 100, 50, "-3.50", kGreen));  // never by the colour mode
    EXPECT_TRUE(hasText(ops, 5, 70, "Vertical", kGreen));
    EXPECT_TRUE(hasText(ops, 100, 70, "-3.50", negative[mode]));
    EXPECT_TRUE(hasText(ops, 5, 80, "Lateral", kGreen));
    EXPECT_TRUE(hasText(ops, 100, 80, "+1.20k", kGreen));
    EXPECT_TRUE(hasText(ops, 5, 90, "Fore/Aft", kGreen));
    EXPECT_TRUE(hasText(ops, 100, 90, "+3.50", kGreen));
    EXPECT_TRUE(hasText(ops, 5, 120, "Pitch:", kGreen));
    EXPECT_TRUE(hasText(ops, 100, 130, "-0.23", negative[mode]));
    EXPECT_TRUE(hasText(ops, 5, 140, "Roll:", kGreen));
  }
}

TEST_F(TargetPage, TrimmedAxesHaveWhiteLabels) {
  GyrelleMFD& m = targetInstance(0);
  struct Case {
    int32_t selection;
    bool vertical, lateral, foreAft;
  };
  const Case cases[] = {{0, true, false, false}, {1, false, true, false}, {2, false, false, true},
                        {3, true, true, true},   {4, true, true, false},  {5, false, true, true},
                        {6, true, false, true}};
  m.trimActive = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.selection);
    m.trimSelection = c.selection;
    const auto ops = redraw();
    EXPECT_TRUE(hasText(ops, 5, 70, "Vertical", c.vertical ? kWhite : kGreen));
    EXPECT_TRUE(hasText(ops, 5, 80, "Lateral", c.lateral ? kWhite : kGreen));
    EXPECT_TRUE(hasText(ops, 5, 90, "Fore/Aft", c.foreAft ? kWhite : kGreen));
    EXPECT_EQ(textAt(ops, 100, 90)->colour, kGreen);
  }
  m.trimActive = 0;
  m.trimSelection = 3;
  EXPECT_TRUE(hasText(redraw(), 5, 70, "Vertical", kGreen));
}

TEST_F(Pages, AttitudeLinesPrintNoNegativeZero) {
  GyrelleMFD& m = makeInstance();
  m.refAttitude = VECTOR3{-1e-9, -0.04 * kRadPerDeg, -0.06 * kRadPerDeg};
  m.status.orientation = VECTOR3{-0.0, 0.04 * kRadPerDeg, -179.96 * kRadPerDeg};
  const auto ops = redraw();
  EXPECT_TRUE(hasText(ops, 5, 30, "Reference Att: 0.0 0.0 -0.1", kGreen));
  EXPECT_TRUE(hasText(ops, 5, 40, "Current Att:   0.0 0.0 -180.0", kGreen));
}

TEST_F(TargetPage, DroppedTargetShowsNoFigures) {
  GyrelleMFD& m = targetInstance(0);
  m.targetHandle = nullptr;
  m.attDeviation = VECTOR3{0.0, 0.0, 0.0};
  m.status.angVel = VECTOR3{0.02, -0.01, 0.0};  // [rad/s]
  const auto ops = redraw();
  EXPECT_TRUE(hasText(ops, 5, 30, "Target: ", kGreen));
  EXPECT_TRUE(hasText(ops, 5, 40, "Distance:", kGreen));
  EXPECT_TRUE(hasText(ops, 5, 50, "Rad Vel:", kGreen));
  EXPECT_TRUE(hasText(ops, 5, 80, "Lateral", kGreen));
  // No deviation of a line of sight that is not there, roll's neither
  // ("+0.00" would read "on target"); the vessel's own rates stay.
  for (int line : {4, 5, 7, 8, 9, 12, 13, 14})
    EXPECT_EQ(textAt(ops, 100, line * 10), nullptr) << line;
  EXPECT_TRUE(hasText(ops, 5, 120, "Pitch:", kGreen));
  EXPECT_TRUE(hasText(ops, 5, 130, "Yaw:", kGreen));
  EXPECT_TRUE(hasText(ops, 5, 140, "Roll:", kGreen));
  EXPECT_TRUE(hasText(ops, 200, 120, "+1.15", kGreen));
  EXPECT_TRUE(hasText(ops, 200, 130, "-0.57", kGreen));
  EXPECT_TRUE(hasText(ops, 200, 140, "+0.00", kGreen));
}

TEST_F(Pages, EntryPageWithPrediction) {
  GyrelleMFD& m = makeInstance();
  m.refMode = RefMode::kEntryInterface;
  m.entryPrediction.valid = true;
  m.entryPrediction.entryAngle = 1.5 * kRadPerDeg;
  m.entryPrediction.timeToGo = 1234.6;
  const auto ops = redraw();
  EXPECT_TRUE(hasText(ops, 90, 20, "Entry Interface", kWhite));
  EXPECT_TRUE(hasText(ops, 5, 30, "Entry Angle:   1.50", kGreen));
  EXPECT_TRUE(hasText(ops, 5, 40, "Time To Go:    1235", kGreen));
  EXPECT_TRUE(hasText(ops, 5, 60, "Set Pitch", kGreen));
  EXPECT_TRUE(hasText(ops, 5, 110, "Pitch:", kGreen));
  EXPECT_TRUE(hasText(ops, 10, 172, "Pitch", kWhite));  // gauges follow
}

// A NaN prints "nan" whatever its sign bit, on every platform (glibc's printf
// would print "-nan" for some, mingw's "nan").
TEST_F(Pages, EntryFiguresThatAreNotNumbersPrintOneWay) {
  GyrelleMFD& m = makeInstance();
  m.refMode = RefMode::kEntryInterface;
  m.entryPrediction.valid = true;
  m.entryPrediction.entryAngle = std::copysign(std::nan(""), -1.0);
  m.entryPrediction.timeToGo = std::nan("");
  auto ops = redraw();
  EXPECT_TRUE(hasText(ops, 5, 30, "Entry Angle:   nan", kGreen));
  EXPECT_TRUE(hasText(ops, 5, 40, "Time To Go:    nan", kGreen));
  m.entryPrediction.entryAngle = std::nan("");
  m.entryPrediction.timeToGo = std::copysign(std::nan(""), -1.0);
  ops = redraw();
  EXPECT_TRUE(hasText(ops, 5, 30, "Entry Angle:   nan", kGreen));
  EXPECT_TRUE(hasText(ops, 5, 40, "Time To Go:    nan", kGreen));
}

TEST_F(Pages, UndefinedEntryPageDrawsNothingBelowLineFour) {
  GyrelleMFD& m = makeInstance();
  m.refMode = RefMode::kEntryInterface;
  m.entryPrediction.valid = false;
  const auto ops = redraw();
  EXPECT_EQ(textAt(ops, 5, 30), nullptr);
  EXPECT_TRUE(hasText(ops, 5, 40, "Entry Interface Undefined", kGreen));
  for (const GdiOp& op : ops) {
    EXPECT_NE(op.kind, GdiOpKind::MoveTo);
    EXPECT_NE(op.kind, GdiOpKind::LineTo);
    EXPECT_NE(op.kind, GdiOpKind::AngleArc);
    EXPECT_NE(op.kind, GdiOpKind::SelectObject);
    if (op.kind == GdiOpKind::Text) {
      EXPECT_LE(op.y, 40) << op.text;
    }
  }
}

TEST_F(Pages, UnknownModeDrawsOnlyTheTitle) {
  GyrelleMFD& m = makeInstance();
  m.refMode = static_cast<RefMode>(7);  // no mode has this number
  const auto ops = redraw();
  for (const GdiOp& op : ops) {
    if (op.kind == GdiOpKind::Text) {
      EXPECT_EQ(op.text, "Gyrelle V3.0");
    }
  }
}

TEST_F(Pages, RedrawReadsTheNetRotationLevels) {
  GyrelleMFD& m = makeInstance();
  auto& level = world->vessel(vessel)->groupLevel;
  level[THGROUP_PITCH_RAISE] = 0.25;
  level[THGROUP_PITCH_LOWER] = 1.0;
  level[THGROUP_YAW_RAISE] = 0.5;
  level[THGROUP_ROLL_LOWER] = 0.5;
  redraw();
  EXPECT_DOUBLE_EQ(m.rotThrustLevel[0], -0.75);
  EXPECT_DOUBLE_EQ(m.rotThrustLevel[1], 0.5);
  EXPECT_DOUBLE_EQ(m.rotThrustLevel[2], -0.5);
}

}  // namespace
