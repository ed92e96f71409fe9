// Numbers as the runner's output files write them, appended to a line being
// built. std::to_chars is defined to give exactly what printf gives in the "C"
// locale for the same conversion and precision (%.10g, %.3f, %g), at a
// fraction of the cost, and it never looks at the locale.
#pragma once

#include <charconv>
#include <cstdint>
#include <string>

#include "platform/gdi.h"

namespace sim {

// printf("%.*g", precision, v)
inline void appendGeneral(std::string& out, double v, int precision) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, precision);
  out.append(buf, r.ptr);
}

// printf("%.10g", v): telemetry values.
inline void appendG10(std::string& out, double v) { appendGeneral(out, v, 10); }

// printf("%.3f", v): times.
inline void appendFixed3(std::string& out, double v) {
  char buf[400];  // %f of the largest double has 309 digits before the point
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 3);
  out.append(buf, r.ptr);
}

// printf("%d") / printf("%u") / printf("%zu").
template <typename Int>
inline void appendInt(std::string& out, Int v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

// RRGGBB in lower-case hex of a COLORREF (0x00BBGGRR).
inline void appendHexColour(std::string& out, COLORREF c) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (unsigned byte : {unsigned(GetRValue(c)), unsigned(GetGValue(c)), unsigned(GetBValue(c))}) {
    out += kDigits[byte >> 4];
    out += kDigits[byte & 15];
  }
}

}  // namespace sim
