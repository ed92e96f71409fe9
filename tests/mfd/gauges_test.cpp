// The rotation-level gauges: geometry, brushes and the brush selection
// being put back after every fill.
#include "mfd/gauges.h"

#include <gtest/gtest.h>

#include <cmath>

#include "mfd/display.h"
#include "mfd/page_fixture.h"

namespace {

using gyrelle_test::geometry;
using gyrelle_test::hasText;
using gyrelle_test::kGreen;
using gyrelle_test::kNegativeBrush;
using gyrelle_test::kPositiveBrush;
using gyrelle_test::kWhite;

// The colour of the brush selected last in a drawing, or CLR_INVALID if none was.
COLORREF lastSelectedBrush(const std::vector<GdiOp>& ops) {
  for (auto op = ops.rbegin(); op != ops.rend(); ++op)
    if (op->kind == GdiOpKind::SelectObject) return op->colour;
  return CLR_INVALID;
}

class Gauges : public gyrelle_test::PageFixture {
 protected:
  void SetUp() override {
    PageFixture::SetUp();
    makeInstance();  // 280 pixels high: lineHeight 10
    custom = CreateSolidBrush(RGB(1, 2, 3));
    startRecording();
  }
  void TearDown() override {
    recording.reset();
    DeleteObject(custom);
    PageFixture::TearDown();
  }

  // What the gauges drew since the last clearOps(); drawing may go on after.
  const std::vector<GdiOp>& ops() {
    const std::vector<GdiOp> more = recording->finish();
    if (!more.empty())  // past the fixture's own selection
      drawn.insert(drawn.end(), more.begin() + 1, more.end());
    startRecording();
    return drawn;
  }
  void clearOps() {
    ops();
    drawn.clear();
  }
  HDC dc() const { return recording->dc(); }
  // The brush colour of each fill, and checks that the brush before it was put back.
  std::vector<COLORREF> fillBrushes() {
    std::vector<COLORREF> brushes;
    const auto& ops = this->ops();
    for (size_t i = 0; i < ops.size(); ++i) {
      if (ops[i].kind != GdiOpKind::StrokeAndFill) continue;
      brushes.push_back(ops[i].colour);
      EXPECT_TRUE(i + 1 < ops.size() && ops[i + 1].kind == GdiOpKind::SelectObject &&
                  ops[i + 1].colour == RGB(1, 2, 3))
          << "brush not restored after fill " << brushes.size();
    }
    EXPECT_EQ(lastSelectedBrush(ops), RGB(1, 2, 3));
    return brushes;
  }

  // A recording with the fixture's own brush selected, for the gauges to draw on.
  void startRecording() {
    recording = std::make_unique<Recording>(256, 280);
    SelectObject(recording->dc(), custom);
    mfd->drawDc = recording->dc();
  }

  std::unique_ptr<Recording> recording;
  std::vector<GdiOp> drawn;
  HBRUSH custom = nullptr;
};

TEST_F(Gauges, PitchBarFillsUpForPositiveAndDownForNegative) {
  const std::string outline = "M25,197 L35,197 L35,287 L25,287 L25,197 ";
  drawPitchBar(*mfd, 197, 1.0);
  EXPECT_EQ(geometry(ops()), outline + "[ M25,242 L35,242 L35,197 L25,197 L25,242 ] F");
  EXPECT_EQ(fillBrushes(), std::vector<COLORREF>{kPositiveBrush});

  clearOps();
  drawPitchBar(*mfd, 197, -1.0);
  EXPECT_EQ(geometry(ops()), outline + "[ M25,242 L35,242 L35,287 L25,287 L25,242 ] F");
  EXPECT_EQ(fillBrushes(), std::vector<COLORREF>{kNegativeBrush});

  clearOps();
  drawPitchBar(*mfd, 197, 0.0);
  EXPECT_EQ(geometry(ops()), outline + "[ M25,242 L35,242 L35,242 L25,242 L25,242 ] F");
  EXPECT_EQ(fillBrushes(), std::vector<COLORREF>{kPositiveBrush});
}

TEST_F(Gauges, YawBarTruncatesTowardZero) {
  const std::string outline = "M70,237 L160,237 L160,247 L70,247 L70,237 ";
  drawYawBar(*mfd, 197, -0.5);  // -22.5 pixels: 22 to the left of the centre
  EXPECT_EQ(geometry(ops()), outline + "[ M115,237 L93,237 L93,247 L115,247 L115,237 ] F");
  EXPECT_EQ(fillBrushes(), std::vector<COLORREF>{kNegativeBrush});

  clearOps();
  drawYawBar(*mfd, 197, 0.0);
  EXPECT_EQ(geometry(ops()), outline + "[ M115,237 L115,237 L115,247 L115,247 L115,237 ] F");
  EXPECT_EQ(fillBrushes(), std::vector<COLORREF>{kPositiveBrush});
}

TEST_F(Gauges, RollArcFullLevelReachesTheHorizontal) {
  drawRollArc(*mfd, 197, 1.0);
  const auto& drawing = ops();
  ASSERT_GE(drawing.size(), 5u);
  // Outline: the upper half ring, drawn directly.
  EXPECT_EQ(drawing[0].kind, GdiOpKind::MoveTo);
  ASSERT_EQ(drawing[1].kind, GdiOpKind::AngleArc);
  EXPECT_FALSE(drawing[1].inPath);
  EXPECT_EQ(drawing[1].x, 225);
  EXPECT_EQ(drawing[1].y, 267);
  EXPECT_EQ(drawing[1].radius, 45u);
  EXPECT_FLOAT_EQ(drawing[1].startDeg, 179.0f);
  EXPECT_FLOAT_EQ(drawing[1].sweepDeg, -180.0f);
  ASSERT_EQ(drawing[3].kind, GdiOpKind::AngleArc);
  EXPECT_EQ(drawing[3].radius, 35u);
  EXPECT_FLOAT_EQ(drawing[3].startDeg, -1.0f);
  EXPECT_FLOAT_EQ(drawing[3].sweepDeg, 180.0f);
  // Fill: a quarter ring from the top clockwise to the right-hand horizontal.
  const std::string text = geometry(drawing, 5);
  EXPECT_EQ(text, "[ M225,222 A225,267,45,90,-90 L260,267 A225,267,35,0,90 L225,222 ] F");
  EXPECT_EQ(fillBrushes(), std::vector<COLORREF>{kPositiveBrush});

  // At 180 degrees the sine of the angle in radians is a little above zero, so the
  // truncated y lands one pixel above the centre.
  clearOps();
  drawRollArc(*mfd, 197, -1.0);
  EXPECT_EQ(geometry(ops(), 5),
            "[ M225,222 A225,267,45,90,90 L190,266 A225,267,35,180,-90 L225,222 ] F");
  EXPECT_EQ(fillBrushes(), std::vector<COLORREF>{kNegativeBrush});
}

TEST_F(Gauges, RollArcAtZeroIsARadialLineAtTheTop) {
  drawRollArc(*mfd, 197, 0.0);
  const std::string fill = geometry(ops(), 5);
  EXPECT_EQ(fill.rfind("[ M225,222 A225,267,45,90,", 0), 0u) << fill;
  EXPECT_NE(fill.find(" L225,232 A225,267,35,90,"), std::string::npos) << fill;
  EXPECT_EQ(fillBrushes(), std::vector<COLORREF>{kPositiveBrush});
}

TEST_F(Gauges, RingSectorIsAClosedFigure) {
  drawRingSector(dc(), 100, 100, 50, 30, 0.0, 90.0);
  EXPECT_EQ(geometry(ops()), "M150,100 A100,100,50,0,90 L100,70 A100,100,30,90,-90 L150,100");
}

TEST_F(Gauges, HeaderStartsOnLineSeventeenOfAShortPage) {
  mfd->refMode = RefMode::kVelocity;
  const auto ops = redraw();
  EXPECT_TRUE(hasText(ops, 10, 172, "Pitch", kWhite));
  EXPECT_TRUE(hasText(ops, 105, 172, "Yaw", kWhite));
  EXPECT_TRUE(hasText(ops, 205, 172, "Roll", kWhite));
  const std::string all = geometry(ops);
  EXPECT_EQ(all.rfind("M0,170 L256,170 M60,170 L60,280 M170,170 L170,280 M0,187 L256,187 "
                      "M25,197 L35,197",
                      0),
            0u)
      << all;
  EXPECT_NE(all.find("A225,267,45,179,-180"), std::string::npos) << all;
  // Labels in white, the colour back to green for what follows.
  bool afterRoll = false;
  for (const GdiOp& op : ops) {
    if (op.kind == GdiOpKind::Text && op.text == "Roll" && op.y == 172) afterRoll = true;
    if (afterRoll && op.kind == GdiOpKind::SetTextColor) {
      EXPECT_EQ(op.colour, kGreen);
      break;
    }
  }
}

TEST_F(Gauges, OtherScreenSizesKeepFixedColumns) {
  makeInstance(400, 300);  // lineHeight 14
  const auto ops = redraw();
  EXPECT_TRUE(hasText(ops, 10, 17 * 14 + 3, "Pitch", kWhite));
  const std::string all = geometry(ops);
  // Header at 238; labels at 241; second line at 241 + 21 = 262; tops at 276.
  EXPECT_EQ(all.rfind("M0,238 L300,238 M60,238 L60,400 M170,238 L170,400 M0,262 L300,262 "
                      "M25,276 L39,276",
                      0),
            0u)
      << all;
  EXPECT_NE(all.find("A225,346,31,"), std::string::npos) << all;  // inner radius 45 - 14
}

TEST_F(Gauges, LevelsOfTheRedrawChooseTheBrushes) {
  auto& level = world->vessel(vessel)->groupLevel;
  level[THGROUP_PITCH_LOWER] = 0.5;  // pitch -0.5
  level[THGROUP_YAW_RAISE] = 0.5;    // yaw +0.5
  level[THGROUP_ROLL_LOWER] = 1.0;   // roll -1
  Recording screen(256, 280);
  mfd->Redraw(screen.dc());
  const std::vector<GdiOp> drawing = screen.finish();
  std::vector<COLORREF> brushes;
  for (const GdiOp& op : drawing) {
    if (op.kind == GdiOpKind::StrokeAndFill) brushes.push_back(op.colour);
  }
  EXPECT_EQ(brushes, (std::vector<COLORREF>{kNegativeBrush, kPositiveBrush, kNegativeBrush}));
  EXPECT_EQ(lastSelectedBrush(drawing), RGB(0, 0, 0));  // the screen's stock brush is back
}

}  // namespace

namespace {

TEST_F(Gauges, LevelsThatAreNotNumbersDrawAsZero) {
  drawRollArc(*mfd, 197, 0.0);
  const std::string zeroRoll = geometry(ops(), 5);
  drawPitchBar(*mfd, 197, 0.0);
  drawYawBar(*mfd, 197, 0.0);
  const size_t zeroOps = ops().size();
  const std::string zero = geometry(ops());
  clearOps();
  drawRollArc(*mfd, 197, std::nan(""));
  EXPECT_EQ(geometry(ops(), 5), zeroRoll);
  drawPitchBar(*mfd, 197, std::nan(""));
  drawYawBar(*mfd, 197, std::nan(""));
  EXPECT_EQ(ops().size(), zeroOps);
  EXPECT_EQ(geometry(ops()), zero);
  // The brush by the rule: NaN is not >= 0.
  EXPECT_EQ(fillBrushes(), (std::vector<COLORREF>{kNegativeBrush, kNegativeBrush, kNegativeBrush}));
  clearOps();
  drawPitchBar(*mfd, 197, HUGE_VAL);
  EXPECT_EQ(geometry(ops(), 5), "[ M25,242 L35,242 L35,242 L25,242 L25,242 ] F");
}

TEST_F(Gauges, RollRingOnATallScreenClosesAtTheCentre) {
  makeInstance(1400, 256);  // lineHeight 50: the ring would be 45 - 50 = -5 thick
  clearOps();
  mfd->drawDc = dc();
  drawRollArc(*mfd, 500, 1.0);
  // The inner arc has radius 0 and the lines run to the centre (225, 570), not past it.
  EXPECT_EQ(geometry(ops(), 5),
            "[ M225,525 A225,570,45,90,-90 L225,570 A225,570,0,0,90 L225,525 ] F");
}

}  // namespace
