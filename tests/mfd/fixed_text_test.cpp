// The pages' fixed-point numbers against printf's "%.Nf", which they replace:
// the same text for every value, cut the same way when the buffer is short.
// The text is glibc's, on every platform, but for a NaN: "nan" whatever its
// sign bit, where glibc's printf prints "-nan" when the bit is set.
#include "mfd/fixed_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "mfd/display.h"

namespace {

// snprintf(buffer, capacity, format, value) as glibc writes it, but a NaN of
// either sign as "nan".
void printfText(char* buffer, size_t capacity, const char* format, double value) {
  if (std::isnan(value)) {
    // The format's conversion replaced by the text of a NaN.
    std::string text = format;
    text.replace(text.find('%'), text.find('f') + 1 - text.find('%'), "nan");
    std::snprintf(buffer, capacity, "%s", text.c_str());
  } else {
    std::snprintf(buffer, capacity, format, value);
  }
}

std::vector<double> values() {
  std::vector<double> v = {0.0,
                           -0.0,
                           0.005,
                           0.015,
                           0.025,
                           -0.005,
                           0.05,
                           0.15,
                           0.25,
                           1e-300,
                           1e15,
                           1e16,
                           1e300,
                           2.675,
                           -1.005,
                           123456.785,
                           std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN(),
                           -std::numeric_limits<double>::quiet_NaN()};
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
  std::uniform_int_distribution<int> exponent(-12, 14);
  for (int i = 0; i < 20000; ++i) v.push_back(mantissa(random) * std::pow(10.0, exponent(random)));
  return v;
}

TEST(FixedText, SameTextAsPrintfForOneAndTwoDecimals) {
  for (double x : values()) {
    for (int decimals : {1, 2}) {
      char expected[512], got[512];
      printfText(expected, sizeof expected, decimals == 1 ? "%.1f" : "%.2f", x);
      formatFixed(got, sizeof got, x, decimals);
      ASSERT_STREQ(got, expected) << decimals << " decimals";
    }
  }
}

TEST(FixedText, CutToTheBufferAsSnprintfCutsIt) {
  for (size_t capacity : {1u, 2u, 5u, 48u}) {
    char expected[64], got[64];
    std::snprintf(expected, capacity, "%.2f", -123456789.125);
    EXPECT_EQ(formatFixed(got, capacity, -123456789.125, 2), std::strlen(expected));
    EXPECT_STREQ(got, expected) << "capacity " << capacity;
  }
}

TEST(FixedText, DistancesKeepTheirUnitAndTheirCut) {
  const double distances[] = {0.0, -999.994, 1000.0, -2.5e6, 1.4e11, 3.0e12, NAN, -NAN};
  const char* formats[] = {"%.2f", "%.2f", "%.2fk", "%.2fM", "%.2fM", "%.2fAU", "%.2f", "%.2f"};
  const double scales[] = {1.0, 1.0, 0.001, 1e-06, 1e-06, 1.0 / 149597870700.0, 1.0, 1.0};
  for (size_t i = 0; i < sizeof distances / sizeof distances[0]; ++i) {
    for (size_t capacity : {3u, 7u, 48u}) {
      char expected[64], got[64];
      const double scaled =
          formats[i][4] == 'A' ? distances[i] / 149597870700.0 : distances[i] * scales[i];
      printfText(expected, capacity, formats[i], scaled);
      formatDistance(got, capacity, distances[i]);
      EXPECT_STREQ(got, expected) << distances[i] << " in " << capacity;
    }
  }
}

}  // namespace
