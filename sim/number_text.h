// Numbers as the runner's output files write them, written into a line being
// built: each put function writes at p, which has room for its k...Chars,
// and returns the end. std::to_chars is defined to give exactly what printf
// gives in the "C" locale for the same conversion and precision (%.10g, %.3f,
// %g), at a fraction of the cost, and it never looks at the locale.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>

#include "platform/gdi.h"

namespace sim {

// printf("%g", v): at most "-1.23457e+308".
constexpr size_t kGeneralChars = 16;
inline char* putGeneral(char* p, double v) {
  return std::to_chars(p, p + kGeneralChars, v, std::chars_format::general, 6).ptr;
}

// printf("%.10g", v): telemetry values. The values a flight carries (whole
// numbers, and magnitudes from 1e-13 to 1e10) are rounded to their digits
// directly (sim/number_text.cpp), the rest by std::to_chars. putG10 writes
// into p, which has room for kG10Chars, and returns the end.
constexpr size_t kG10Chars = 32;
char* putG10(char* p, double v);
void appendG10(std::string& out, double v);

// printf("%.3f", v): times; rounded directly below 1e12, otherwise by
// std::to_chars. putFixed3 writes into p, which has room for kFixed3Chars
// (%f of the largest double has 309 digits before the point), and returns
// the end.
constexpr size_t kFixed3Chars = 400;
char* putFixed3(char* p, double v);

// The time of a step, steps * step [s], as the scenario writes its times: the
// product of the count and the shortest decimal that reads back as step,
// worked out in decimal, so exactly, without trailing zeros ("122.6" for
// 6130 steps of 0.02, where the double product prints 122.60000000000001).
// A whole number keeps ".0", so that it reads back as a float. step must be
// positive and finite; otherwise the product is written as std::to_chars does.
std::string stepTimeText(uint64_t steps, double step);

// printf("%d") / printf("%u") / printf("%zu"), of up to 64 bits.
constexpr size_t kIntChars = 24;
template <typename Int>
inline char* putInt(char* p, Int v) {
  return std::to_chars(p, p + kIntChars, v).ptr;
}

// RRGGBB in lower-case hex of a COLORREF (0x00BBGGRR), into p[6]; returns the end.
inline char* putHexColour(char* p, COLORREF c) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (unsigned byte : {unsigned(GetRValue(c)), unsigned(GetGValue(c)), unsigned(GetBValue(c))}) {
    *p++ = kDigits[byte >> 4];
    *p++ = kDigits[byte & 15];
  }
  return p;
}

}  // namespace sim
