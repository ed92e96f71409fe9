// "%.Nf" without printf: std::to_chars in fixed notation writes exactly what
// printf writes for the same precision in the "C" locale (the decimal point
// whatever the host's locale), several times faster. The page redraws print
// a dozen such numbers each. The text is the same on every platform, with one
// form for a NaN: "nan", whatever its sign bit. The sign of a NaN means
// nothing (0/0 sets it on x86), and printf's forms differ: glibc prints "-nan"
// when the bit is set, mingw "nan"; a signed row would read "+-nan".
#pragma once

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>

// Writes value with `decimals` digits after the point into buffer[capacity]
// and a terminator, cut to capacity - 1 characters as snprintf cuts. Returns
// the length written.
inline size_t formatFixed(char* buffer, size_t capacity, double value, int decimals) {
  if (buffer == nullptr || capacity == 0) return 0;
  if (std::isnan(value)) value = std::numeric_limits<double>::quiet_NaN();  // sign bit clear
  char full[400];  // the largest double has 309 digits before the point
  const auto r = std::to_chars(full, full + sizeof full, value, std::chars_format::fixed, decimals);
  size_t length = static_cast<size_t>(r.ptr - full);
  if (length > capacity - 1) length = capacity - 1;
  std::memcpy(buffer, full, length);
  buffer[length] = '\0';
  return length;
}
