// Numbers as the runner's outputs write them, one way for all of them:
// std::to_chars, which is defined to give exactly what printf gives in the "C"
// locale for the same conversion and precision, never looks at the locale,
// and is the same on every platform (printf is not: mingw's drops the sign of
// a NaN). Each function appends to a line being built.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>

#include "platform/gdi.h"

namespace sim {

constexpr int kFigureDigits = 10;  // significant digits of a figure, "%.10g"
constexpr int kTimeDecimals = 3;   // decimals of a time [s], "%.3f"
constexpr int kAngleDigits = 6;    // significant digits of a drawn arc's angle [deg], "%g"

// printf("%d"), printf("%zu") and the like, of up to 64 bits.
template <typename Int>
inline void appendInt(std::string& out, Int v) {
  char text[24];
  out.append(text, size_t(std::to_chars(text, text + sizeof text, v).ptr - text));
}
// printf("%.*g", digits, v)
void appendGeneral(std::string& out, double v, int digits);
// printf("%.*f", decimals, v)
void appendFixed(std::string& out, double v, int decimals);
std::string fixedText(double v, int decimals);

// A figure, "%.10g", with zero as "0", never "-0".
inline void appendFigure(std::string& out, double v) {
  appendGeneral(out, v == 0.0 ? 0.0 : v, kFigureDigits);
}
// A time [s] with three decimals.
inline void appendTime(std::string& out, double t) { appendFixed(out, t, kTimeDecimals); }

// RRGGBB in lower-case hex of a COLORREF (0x00BBGGRR).
void appendHexColour(std::string& out, COLORREF c);

// The time of a step, steps * step [s], as the scenario writes its times: the
// product of the count and the shortest decimal that reads back as step,
// worked out in decimal, so exactly, without trailing zeros ("122.6" for
// 6130 steps of 0.02, where the double product prints 122.60000000000001).
// A whole number keeps ".0", so that it reads back as a float. step must be
// positive and finite; otherwise the product is written as std::to_chars does.
std::string stepTimeText(uint64_t steps, double step);

}  // namespace sim
