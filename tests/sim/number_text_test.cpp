// The output files' number formats against printf, whose text they keep:
// every figure must come out byte for byte as glibc's printf writes it.
#include "sim/outputs/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

// printf's text as glibc writes it, on every platform: mingw's printf drops
// the sign of a NaN, which the outputs keep.
std::string printed(const char* format, double v) {
  if (std::isnan(v)) return std::signbit(v) ? "-nan" : "nan";
  char buf[512];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

// Values that exercise rounding at the 10th and 3rd digit, exponent
// boundaries, zeros, subnormals and non-numbers, and values of the kind the
// telemetry carries.
std::vector<double> samples() {
  std::vector<double> v = {0.0,
                           -0.0,
                           1.0,
                           -1.0,
                           0.5,
                           2.5,
                           0.0005,
                           0.0015,
                           1e-5,
                           1e-4,
                           9.9999999995e-5,
                           9.99999999949e-5,
                           1e-13,
                           9.999999999e-14,
                           9.9999999995e-14,
                           1.0000000005e-13,
                           -2.5e-7,
                           1.5e-6,
                           123456789.05,
                           1234567890.5,
                           9999999999.5,
                           1e10,
                           1e15,
                           1e16,
                           1e300,
                           6671010.0,
                           7655.7227,
                           -3.14159265358979,
                           0.017453292519943278,
                           57.29577951308239,
                           240.0,
                           0.02 * 3,
                           std::numeric_limits<double>::min(),
                           std::numeric_limits<double>::denorm_min(),
                           std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::lowest(),
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN(),
                           -std::numeric_limits<double>::quiet_NaN()};
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
  std::uniform_int_distribution<int> exponent(-30, 30);
  for (int i = 0; i < 20000; ++i) v.push_back(mantissa(random) * std::pow(10.0, exponent(random)));
  for (int i = 0; i < 20000; ++i) {  // any bit pattern
    const uint64_t bits = random();
    double d;
    std::memcpy(&d, &bits, sizeof d);
    v.push_back(d);
  }
  for (int i = 0; i < 20000; ++i) v.push_back(double(i) * 0.02);  // times of a 50 Hz run
  // Halfway between two 10-digit (and two 3-decimal) roundings, as near as a
  // double gets, and the doubles either side: the exact value decides.
  std::uniform_int_distribution<uint64_t> tenDigits(1000000000u, 9999999999u);
  std::uniform_int_distribution<int> scale(0, 23);  // down to 1e-14
  for (int i = 0; i < 20000; ++i) {
    const double half = (double(tenDigits(random)) + 0.5) / std::pow(10.0, scale(random));
    const double third = (double(tenDigits(random) % 100000000u) + 0.5) / 1000.0;
    for (double x : {half, third}) {
      v.push_back(x);
      v.push_back(std::nextafter(x, 0.0));
      v.push_back(-std::nextafter(x, 1e300));
    }
  }
  // Whole numbers and exact halves, which round to even.
  for (int i = 0; i < 2000; ++i) {
    v.push_back(double(i) * 4999999.5);
    v.push_back(double(i) + 0.5);
    v.push_back((double(i) + 0.5) / 1000.0);
  }
  return v;
}

// Each output's format, table-driven over the samples: a figure, a time, a
// drawn arc's float angle.
TEST(NumberText, EachFormatAsPrintfWritesIt) {
  const struct {
    const char* format;
    void (*append)(std::string&, double);
    bool asFloat;
  } formats[] = {
      {"%.10g", [](std::string& out, double v) { sim::appendGeneral(out, v, sim::kFigureDigits); },
       false},
      {"%.3f", [](std::string& out, double v) { sim::appendTime(out, v); }, false},
      {"%g", [](std::string& out, double v) { sim::appendGeneral(out, v, sim::kAngleDigits); },
       true},
  };
  const std::vector<double> values = samples();
  for (const auto& f : formats) {
    for (double x : values) {
      const double v = f.asFloat ? double(float(x)) : x;
      std::string out = "row,";
      f.append(out, v);
      ASSERT_EQ(out, "row," + printed(f.format, v)) << f.format << " of the bits of " << v;
    }
  }
}

TEST(NumberText, FiguresNeverShowMinusZero) {
  std::string out;
  sim::appendFigure(out, -0.0);
  out += ',';
  sim::appendFigure(out, -2.5e-7);
  EXPECT_EQ(out, "0,-2.5e-07");
}

TEST(NumberText, IntegersAndColours) {
  std::string out;
  sim::appendInt(out, -2147483647 - 1);
  out += ' ';
  sim::appendInt(out, 4294967295u);
  out += ' ';
  sim::appendInt(out, size_t(0));
  out += ' ';
  sim::appendHexColour(out, RGB(0x12, 0xab, 0x0f));
  EXPECT_EQ(out, "-2147483648 4294967295 0 12ab0f");
}

// A step's time as the scenario would write it: the count times the step's
// shortest decimal, exact, read back as the nearest double to that decimal.
TEST(NumberText, StepTimesAreTheExactDecimalOfCountTimesStep) {
  const struct {
    uint64_t steps;
    double step;
    const char* text;
  } cases[] = {
      {6130, 0.02, "122.6"},  // the double product is 122.60000000000001
      {3, 0.1, "0.3"},        // 0.30000000000000004
      {0, 0.02, "0.0"},
      {50, 0.02, "1.0"},
      {7, 1.0, "7.0"},
      {12, 250.0, "3000.0"},
      {1, 1e-5, "0.00001"},
      {123456789, 0.001, "123456.789"},
      {3, 1.0 / 3.0, "0.9999999999999999"},  // the step's 16 digits, times 3
      {uint64_t(1) << 53, 0.5, "4503599627370496.0"},
      {2, 1.5e20, "300000000000000000000.0"},
  };
  for (const auto& c : cases) {
    const std::string text = sim::stepTimeText(c.steps, c.step);
    EXPECT_EQ(text, c.text) << c.steps << " x " << c.step;
    EXPECT_LE(std::fabs(std::stod(text) - double(c.steps) * c.step),
              4 * std::numeric_limits<double>::epsilon() * double(c.steps) * c.step)
        << text;
  }
}

}  // namespace
