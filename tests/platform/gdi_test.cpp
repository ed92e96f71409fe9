// The GDI stand-in records each call with the state it used.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/posix/recording_dc.h"

namespace {

TEST(GdiRecording, TextUsesTheCurrentColourAndSetTextColorReturnsThePrevious) {
  DeviceContext dc(256, 280);
  EXPECT_EQ(SetTextColor(&dc, RGB(255, 0, 0)), RGB(0, 255, 0));
  EXPECT_EQ(SetBkMode(&dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(&dc, 7), 0) << "unknown mode refused";
  EXPECT_TRUE(TextOutA(&dc, 10, 20, "Pitch 12.5xx", 10));
  ASSERT_EQ(dc.ops.size(), 3u);
  EXPECT_EQ(dc.ops[0].kind, GdiOpKind::SetTextColor);
  EXPECT_EQ(dc.ops[2].kind, GdiOpKind::Text);
  EXPECT_EQ(dc.ops[2].text, "Pitch 12.5");
  EXPECT_EQ(dc.ops[2].colour, 0x0000FFu);
  EXPECT_EQ(dc.ops[2].x, 10);
  EXPECT_TRUE(TextOutA(&dc, 0, 0, "ab", 50));  // never reads past the terminator
  EXPECT_EQ(dc.ops.back().text, "ab");
}

TEST(GdiRecording, LinesArcsAndPaths) {
  DeviceContext dc(100, 100);
  POINT prev{-1, -1};
  MoveToEx(&dc, 5, 6, &prev);
  EXPECT_EQ(prev.x, 0);
  LineTo(&dc, 50, 60);
  EXPECT_EQ(dc.ops.back().colour, RGB(0, 255, 0)) << "drawn with the green pen";
  AngleArc(&dc, 50, 50, 10, 0.0f, 90.0f);
  EXPECT_EQ(dc.current.x, 50);
  EXPECT_EQ(dc.current.y, 40) << "counter-clockwise with y up ends above the centre";
  EXPECT_FALSE(EndPath(&dc)) << "no open path";
  EXPECT_FALSE(AngleArc(&dc, 0, 0, 1, NAN, 1.0f));

  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  EXPECT_EQ(SelectObject(&dc, red), stockBrush());
  BeginPath(&dc);
  MoveToEx(&dc, 1, 1, nullptr);
  EXPECT_TRUE(dc.ops.back().inPath);
  EXPECT_FALSE(StrokeAndFillPath(&dc)) << "path still open";
  EndPath(&dc);
  EXPECT_TRUE(StrokeAndFillPath(&dc));
  EXPECT_EQ(dc.ops.back().kind, GdiOpKind::StrokeAndFill);
  EXPECT_EQ(dc.ops.back().colour, RGB(255, 0, 0));
  EXPECT_EQ(dc.ops.back().penColour, RGB(0, 255, 0));
  EXPECT_FALSE(dc.ops.back().inPath);
  EXPECT_EQ(SelectObject(&dc, stockBrush()), red);
  EXPECT_TRUE(DeleteObject(red));
}

TEST(GdiRecording, BrushLifetimeAndBadHandles) {
  HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_TRUE(isLiveBrush(b));
  EXPECT_TRUE(DeleteObject(b));
  EXPECT_FALSE(isLiveBrush(b));
  EXPECT_FALSE(DeleteObject(b)) << "already deleted";
  EXPECT_FALSE(DeleteObject(nullptr));
  GdiObject foreign{0};
  EXPECT_FALSE(DeleteObject(&foreign));
  DeviceContext dc(10, 10);
  EXPECT_EQ(SelectObject(&dc, b), nullptr) << "a deleted brush cannot be selected";
  EXPECT_EQ(SelectObject(&dc, &foreign), nullptr);
  EXPECT_TRUE(dc.ops.empty());
  HBRUSH c = CreateSolidBrush(RGB(9, 9, 9));
  EXPECT_NE(c, b) << "a stale handle never names a newer brush";
  DeleteObject(c);
}

TEST(GdiRecording, NullDeviceContextIsRefused) {
  EXPECT_EQ(TextOutA(nullptr, 0, 0, "x", 1), 0);
  EXPECT_EQ(SetTextColor(nullptr, 0), CLR_INVALID);
  EXPECT_EQ(SetBkMode(nullptr, TRANSPARENT), 0);
  EXPECT_EQ(MoveToEx(nullptr, 0, 0, nullptr), 0);
  EXPECT_EQ(LineTo(nullptr, 0, 0), 0);
  EXPECT_EQ(AngleArc(nullptr, 0, 0, 1, 0, 1), 0);
  EXPECT_EQ(BeginPath(nullptr), 0);
  EXPECT_EQ(EndPath(nullptr), 0);
  EXPECT_EQ(StrokeAndFillPath(nullptr), 0);
  EXPECT_EQ(SelectObject(nullptr, stockBrush()), nullptr);
  DeviceContext dc(1, 1);
  EXPECT_EQ(TextOutA(&dc, 0, 0, nullptr, 3), 0);
}

}  // namespace
