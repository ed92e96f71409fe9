// Gauges of the rotation thruster levels. Coordinates are pixels of the MFD
// surface, origin top left, y down; fractional positions are truncated toward
// zero. Outlines and fills use the device context's current pen; only brushes
// are selected, and the previous brush is selected again after every fill.
#include "mfd/gauges.h"

#include <cmath>

#include "geometry/angle_units.h"
#include "mfd/display.h"
#include "mfd/gyrelle_mfd.h"
#include "mfd/page_rows.h"

namespace {

constexpr int kFullScale = 45;          // [pixels] of a bar at level +-1
constexpr double kFullScaleDeg = 90.0;  // [deg] of the ring at level +-1

// Column dividers and gauge positions [pixels].
constexpr int kPitchDividerX = 60;
constexpr int kYawDividerX = 170;
constexpr int kPitchLeftX = 25;
constexpr int kYawLeftX = 70;
constexpr int kYawCentreX = 115;
constexpr int kYawRightX = 160;
constexpr int kRollCentreX = 225;
constexpr int kRollCentreBelowTop = 70;
constexpr int kHeaderLine = 17;  // the gauges start no higher than this text line

// Truncation toward zero; a value that is not a finite number counts as 0.
int truncate(double v) { return std::isfinite(v) ? static_cast<int>(v) : 0; }

// The level a gauge draws: a level that is not a finite number shows as 0.
// The brush is still chosen from the level itself (NaN is not >= 0: grey).
double shownLevel(double level) { return std::isfinite(level) ? level : 0.0; }

HBRUSH levelBrush(const GyrelleMFD& mfd, double level) {
  return level >= 0.0 ? mfd.positiveBrush : mfd.negativeBrush;
}

void line(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

// Closed rectangle from (left, top) to (right, bottom) as one polyline.
void rectangle(HDC dc, int left, int top, int right, int bottom) {
  MoveToEx(dc, left, top, nullptr);
  LineTo(dc, right, top);
  LineTo(dc, right, bottom);
  LineTo(dc, left, bottom);
  LineTo(dc, left, top);
}

// Outlines and fills (stroke and fill) the figure that draw() builds as a path.
template <typename Figure>
void fillFigure(GyrelleMFD& mfd, double level, Figure draw) {
  HGDIOBJ previous = SelectObject(mfd.drawDc, levelBrush(mfd, level));
  BeginPath(mfd.drawDc);
  draw();
  EndPath(mfd.drawDc);
  StrokeAndFillPath(mfd.drawDc);
  SelectObject(mfd.drawDc, previous);
}

}  // namespace

void drawIndicators(GyrelleMFD& mfd) {
  HDC dc = mfd.drawDc;
  const int h = static_cast<int>(mfd.lineHeight);
  const int width = static_cast<int>(mfd.mfdWidth);
  const int height = static_cast<int>(mfd.mfdHeight);
  if (mfd.textY < kHeaderLine * h) mfd.textY = kHeaderLine * h;
  line(dc, 0, mfd.textY, width, mfd.textY);
  line(dc, kPitchDividerX, mfd.textY, kPitchDividerX, height);
  line(dc, kYawDividerX, mfd.textY, kYawDividerX, height);
  mfd.textY += h / 4;
  SetTextColor(dc, kHighlightColour);
  textOut(dc, 10, mfd.textY, "Pitch");
  textOut(dc, 105, mfd.textY, "Yaw");
  textOut(dc, 205, mfd.textY, "Roll");
  SetTextColor(dc, kNormalColour);
  mfd.textY = truncate(mfd.textY + 1.5 * h);
  line(dc, 0, mfd.textY, width, mfd.textY);
  mfd.textY += h;
  drawPitchBar(mfd, mfd.textY, mfd.rotThrustLevel[0]);
  drawYawBar(mfd, mfd.textY, mfd.rotThrustLevel[1]);
  drawRollArc(mfd, mfd.textY, mfd.rotThrustLevel[2]);
}

// One text line wide, 90 pixels tall; a positive level fills up from the zero
// line in the middle, a negative one down.
void drawPitchBar(GyrelleMFD& mfd, int y0, double level) {
  HDC dc = mfd.drawDc;
  const int h = static_cast<int>(mfd.lineHeight);
  rectangle(dc, kPitchLeftX, y0, kPitchLeftX + h, y0 + 2 * kFullScale);
  const int d = truncate(-(shownLevel(level) * kFullScale));
  const int ym = y0 + kFullScale;  // zero line
  fillFigure(mfd, level, [&] { rectangle(dc, kPitchLeftX, ym, kPitchLeftX + h, ym + d); });
}

// 90 pixels wide, one text line tall, centred on the pitch bar's zero line; a
// positive level fills to the right of the centre, a negative one to the left.
void drawYawBar(GyrelleMFD& mfd, int y0, double level) {
  HDC dc = mfd.drawDc;
  const int h = static_cast<int>(mfd.lineHeight);
  const int yb = y0 + kFullScale - h / 2;
  rectangle(dc, kYawLeftX, yb, kYawRightX, yb + h);
  const int w = truncate(shownLevel(level) * kFullScale);
  fillFigure(mfd, level, [&] { rectangle(dc, kYawCentreX, yb, kYawCentreX + w, yb + h); });
}

// Upper half ring; a positive level fills clockwise from the top towards the
// right, a negative one anticlockwise towards the left.
void drawRollArc(GyrelleMFD& mfd, int y0, double level) {
  HDC dc = mfd.drawDc;
  const int h = static_cast<int>(mfd.lineHeight);
  const int cy = y0 + kRollCentreBelowTop;
  const int outer = kFullScale;
  // A text line of 46 pixels or more (screens 1,288 pixels or taller) leaves
  // no ring: the inner edge closes to the centre, for the arcs and the lines.
  const int inner = kFullScale - h > 0 ? kFullScale - h : 0;
  const double sweep = -(shownLevel(level) * kFullScaleDeg);  // [deg]
  drawRingSector(dc, kRollCentreX, cy, outer, inner, 179.0, -180.0);
  fillFigure(mfd, level, [&] { drawRingSector(dc, kRollCentreX, cy, outer, inner, 90.0, sweep); });
}

void drawRingSector(HDC dc, int cx, int cy, int outerR, int innerR, double startDeg,
                    double sweepDeg) {
  // The point at angle t [deg] and radius r: (cx + r cos t, cy - r sin t), y down.
  auto pointX = [&](double r, double t) { return truncate(cx + r * std::cos(t * kRadPerDeg)); };
  auto pointY = [&](double r, double t) { return truncate(cy - r * std::sin(t * kRadPerDeg)); };
  if (innerR < 0) innerR = 0;  // the arc and both lines meet at the centre
  const double endDeg = startDeg + sweepDeg;
  MoveToEx(dc, pointX(outerR, startDeg), pointY(outerR, startDeg), nullptr);
  AngleArc(dc, cx, cy, static_cast<uint32_t>(outerR), static_cast<float>(startDeg),
           static_cast<float>(sweepDeg));
  LineTo(dc, pointX(innerR, endDeg), pointY(innerR, endDeg));
  AngleArc(dc, cx, cy, static_cast<uint32_t>(innerR), static_cast<float>(endDeg),
           static_cast<float>(-sweepDeg));
  LineTo(dc, pointX(outerR, startDeg), pointY(outerR, startDeg));
}
