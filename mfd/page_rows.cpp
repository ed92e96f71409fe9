// Row drawers of the display pages.
//
// Signed-number rule: a value that is not negative (zero and NaN included) is
// printed with a leading "+" in the normal green; a negative value with its
// minus sign in the colour the colour mode selects, after which the colour
// returns to green. A NaN, whatever its sign bit, prints "+nan": its body is
// "nan" (mfd/fixed_text.h).
#include "mfd/page_rows.h"

#include <cstdio>
#include <cstring>

#include "mfd/display.h"
#include "mfd/fixed_text.h"
#include "mfd/gyrelle_mfd.h"

namespace {

// body: the number already formatted without a plus sign.
void drawSigned(GyrelleMFD& mfd, int x, double value, const char* body) {
  char text[64];
  if (value < 0.0) {
    SetTextColor(mfd.drawDc, negativeColour(mfd.colourMode));
    textOut(mfd.drawDc, x, mfd.textY, body);
    SetTextColor(mfd.drawDc, kNormalColour);
  } else {
    text[0] = '+';
    const size_t length = std::strlen(body);
    const size_t kept = length < sizeof text - 2 ? length : sizeof text - 2;
    std::memcpy(text + 1, body, kept);
    text[kept + 1] = '\0';
    textOut(mfd.drawDc, x, mfd.textY, text);
  }
}

// Zero counts as not negative, and so does negative zero: it is printed
// "+0.00", not "+-0.00".
double withoutNegativeZero(double v) { return v == 0.0 ? 0.0 : v; }

void drawSignedDegrees(GyrelleMFD& mfd, int x, double radians) {
  const double degrees = withoutNegativeZero(radians * kDegPerRad);
  char body[48];
  formatFixed(body, sizeof body, degrees, 2);
  drawSigned(mfd, x, degrees, body);
}

const char* modeName(RefMode mode) {
  switch (mode) {
    case RefMode::kUserAttitude:
      return "Attitude";
    case RefMode::kVelocity:
      return "Velocity";
    case RefMode::kTargetRelative:
      return "Target Relative";
    case RefMode::kEntryInterface:
      return "Entry Interface";
    default:
      return "";
  }
}

void nextLine(GyrelleMFD& mfd) { mfd.textY += static_cast<int32_t>(mfd.lineHeight); }

}  // namespace

COLORREF negativeColour(int colourMode) {
  switch (colourMode) {
    case 1:
      return kHighlightColour;
    case 2:
      return kNegativeRed;
    default:
      return kNormalColour;
  }
}

void drawRefModeRow(GyrelleMFD& mfd) {
  textOut(mfd.drawDc, kLabelX, mfd.textY, "Ref Mode:");
  char name[48];
  std::snprintf(name, sizeof name, "%s%s", modeName(mfd.refMode),
                mfd.holdActive == 1 ? " (Hold)" : "");
  SetTextColor(mfd.drawDc, kHighlightColour);
  textOut(mfd.drawDc, kModeNameX, mfd.textY, name);
  SetTextColor(mfd.drawDc, kNormalColour);
  nextLine(mfd);
}

void drawAngleRow(GyrelleMFD& mfd, const char* label, double angle, double rate) {
  textOut(mfd.drawDc, kLabelX, mfd.textY, label);
  drawSignedDegrees(mfd, kFirstValueX, angle);
  drawSignedDegrees(mfd, kSecondValueX, rate);
  nextLine(mfd);
}

void drawRateRow(GyrelleMFD& mfd, const char* label, double rate) {
  textOut(mfd.drawDc, kLabelX, mfd.textY, label);
  drawSignedDegrees(mfd, kSecondValueX, rate);
  nextLine(mfd);
}

void drawOffsetRow(GyrelleMFD& mfd, const char* label, double angle) {
  textOut(mfd.drawDc, kLabelX, mfd.textY, label);
  drawSignedDegrees(mfd, kFirstValueX, angle);
  nextLine(mfd);
}

void drawVelocityLabel(GyrelleMFD& mfd, const char* label, bool highlight) {
  if (highlight) SetTextColor(mfd.drawDc, kHighlightColour);
  textOut(mfd.drawDc, kLabelX, mfd.textY, label);
  SetTextColor(mfd.drawDc, kNormalColour);
}

void drawVelocityRow(GyrelleMFD& mfd, const char* label, double value, bool highlight) {
  drawVelocityLabel(mfd, label, highlight);
  char body[48];
  value = withoutNegativeZero(value);
  formatDistance(body, sizeof body, value);
  drawSigned(mfd, kFirstValueX, value, body);
  nextLine(mfd);
}
