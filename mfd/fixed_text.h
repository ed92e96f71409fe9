// "%.Nf" without printf: std::to_chars in fixed notation writes exactly what
// printf writes for the same precision in the "C" locale (the decimal point
// whatever the host's locale), several times faster. The page redraws print
// a dozen such numbers each. The text is the same on every platform, glibc's:
// a NaN prints "nan", or "-nan" when its sign bit is set (mingw's printf
// would drop the sign), so the pages print no number through printf.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstring>

// Writes value with `decimals` digits after the point into buffer[capacity]
// and a terminator, cut to capacity - 1 characters as snprintf cuts. Returns
// the length written.
inline size_t formatFixed(char* buffer, size_t capacity, double value, int decimals) {
  if (buffer == nullptr || capacity == 0) return 0;
  char full[400];  // the largest double has 309 digits before the point
  const auto r = std::to_chars(full, full + sizeof full, value, std::chars_format::fixed, decimals);
  size_t length = static_cast<size_t>(r.ptr - full);
  if (length > capacity - 1) length = capacity - 1;
  std::memcpy(buffer, full, length);
  buffer[length] = '\0';
  return length;
}
