// Numbers and fields as the runner's outputs write them, one way for all of
// them: std::to_chars, which is defined to give exactly what printf gives in
// the "C" locale for the same conversion and precision, never looks at the
// locale, and is the same on every platform (printf is not: mingw's drops the
// sign of a NaN). Each function appends to a line being built.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>

#include "platform/gdi.h"

namespace sim {

constexpr int kFigureDigits = 10;  // significant digits of a figure, "%.10g"
constexpr int kTimeDecimals = 3;   // decimals of a time [s], "%.3f"
constexpr int kAngleDigits = 6;    // significant digits of a drawn arc's angle [deg], "%g"

// What std::to_chars writes for args, appended. [chars] Room for any number:
// "%.3f" of the largest double has 309 digits before the point.
template <typename... Args>
inline void appendChars(std::string& out, Args... args) {
  char text[400];
  out.append(text, size_t(std::to_chars(text, text + sizeof text, args...).ptr - text));
}
// printf("%d"), printf("%zu") and the like, of up to 64 bits.
template <typename Int>
inline void appendInt(std::string& out, Int v) {
  appendChars(out, v);
}
// printf("%.*g", digits, v)
inline void appendGeneral(std::string& out, double v, int digits) {
  appendChars(out, v, std::chars_format::general, digits);
}
// printf("%.*f", decimals, v)
inline void appendFixed(std::string& out, double v, int decimals) {
  appendChars(out, v, std::chars_format::fixed, decimals);
}
inline std::string fixedText(double v, int decimals) {
  std::string out;
  appendFixed(out, v, decimals);
  return out;
}

// A figure, "%.10g", with zero as "0", never "-0".
inline void appendFigure(std::string& out, double v) {
  appendGeneral(out, v == 0.0 ? 0.0 : v, kFigureDigits);
}
// A time [s] with three decimals.
inline void appendTime(std::string& out, double t) { appendFixed(out, t, kTimeDecimals); }

// The same as text: a figure, and a time with its unit ("12.340 s").
inline std::string figureText(double v) {
  std::string out;
  appendFigure(out, v);
  return out;
}
inline std::string secondsText(double t) { return fixedText(t, kTimeDecimals) + " s"; }

// RRGGBB in lower-case hex of a COLORREF (0x00BBGGRR).
void appendHexColour(std::string& out, COLORREF c);

// A CSV field (RFC 4180): quoted, its quotes doubled, when it holds a comma,
// quote or line break.
void appendCsvField(std::string& out, const std::string& text);

// The time of a step, steps * step [s], as the scenario writes its times: the
// product of the count and the shortest decimal that reads back as step,
// worked out in decimal, so exactly, without trailing zeros ("122.6" for
// 6130 steps of 0.02, where the double product prints 122.60000000000001).
// A whole number keeps ".0", so that it reads back as a float. step must be
// positive and finite; otherwise the product is written as std::to_chars does.
std::string stepTimeText(uint64_t steps, double step);

}  // namespace sim
