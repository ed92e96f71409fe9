// Text helpers shared by the display pages and the help pages.
#include "mfd/display.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {
constexpr double kAstronomicalUnit = 149597870700.0;  // [m]
}  // namespace

void textOut(HDC dc, int x, int y, const char* text) {
  TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
}

COLORREF setTextStyle(HDC dc, COLORREF colour) {
  SetBkMode(dc, TRANSPARENT);
  return SetTextColor(dc, colour);
}

// The thresholds apply to the magnitude; the printed number keeps its sign.
// A value that is not a number falls through to the plain format.
void formatDistance(char* buffer, size_t capacity, double value) {
  if (buffer == nullptr || capacity == 0) return;
  const double magnitude = std::fabs(value);
  if (magnitude >= kAstronomicalUnit) {
    std::snprintf(buffer, capacity, "%.2fAU", value / kAstronomicalUnit);
  } else if (magnitude >= 1000000.0) {
    std::snprintf(buffer, capacity, "%.2fM", value * 1e-06);
  } else if (magnitude >= 1000.0) {
    std::snprintf(buffer, capacity, "%.2fk", value * 0.001);
  } else {
    std::snprintf(buffer, capacity, "%.2f", value);
  }
}
