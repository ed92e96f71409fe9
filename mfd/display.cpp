// Text helpers shared by the display pages and the help pages.
#include "mfd/display.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "mfd/fixed_text.h"

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
  double scaled = value;
  const char* unit = "";
  if (magnitude >= kAstronomicalUnit) {
    scaled = value / kAstronomicalUnit;
    unit = "AU";
  } else if (magnitude >= 1000000.0) {
    scaled = value * 1e-06;
    unit = "M";
  } else if (magnitude >= 1000.0) {
    scaled = value * 0.001;
    unit = "k";
  }
  // "%.2f" followed by the unit, cut to the buffer as snprintf would cut it.
  size_t length = formatFixed(buffer, capacity, scaled, 2);
  for (const char* u = unit; *u != '\0' && length + 1 < capacity; ++u) buffer[length++] = *u;
  buffer[length] = '\0';
}
