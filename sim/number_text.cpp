// The two number formats of every telemetry row, without the general-purpose
// conversion where the value allows: a value times a power of ten is rounded
// to a whole number exactly (the product's rounding error is recovered with a
// fused multiply-add), which gives the digits printf would print; values out
// of that range go to std::to_chars. tests/sim/number_text_test.cpp compares
// both with printf on many values, ties and near-ties included.
#include "sim/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace sim {
namespace {

// Powers of ten that are exact doubles (up to 1e22).
constexpr double kPow10[] = {1e0, 1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7, 1e8,
                             1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16};

// a * 10^s rounded to the nearest whole number, ties to even, as printf
// rounds the exact value of a double; a >= 0, s <= 16 and a * 10^s < 2^52.
// hi + lo is the exact product; hi - n is exact, so only an exact .5 of hi
// needs lo to tell which way the exact value lies.
uint64_t roundScaled(double a, int s) {
  const double p = kPow10[s];
  const double hi = a * p;
  const double lo = std::fma(a, p, -hi);
  double n = std::nearbyint(hi);  // ties to even in the default rounding mode
  const double f = hi - n;
  if (f == 0.5 && lo > 0.0) n += 1.0;
  if (f == -0.5 && lo < 0.0) n -= 1.0;
  return uint64_t(n);
}

// The digits of n, most significant first, into buf[count] (leading zeros).
void digits(uint64_t n, char* buf, int count) {
  for (int i = count - 1; i >= 0; --i) {
    buf[i] = char('0' + n % 10);
    n /= 10;
  }
}

// floor(log10(a)), or one or two less, from the binary exponent of a normal
// a > 0 (1233 / 4096 is log10(2) a little low).
int decimalExponentEstimate(double a) {
  uint64_t bits;
  std::memcpy(&bits, &a, sizeof bits);
  const int binary = int((bits >> 52) & 0x7ff) - 1023;  // floor(log2(a))
  return binary * 1233 >> 12;  // an arithmetic shift: it floors
}

}  // namespace

void appendG10(std::string& out, double v) {
  if (v == 0.0) {
    out += std::signbit(v) ? "-0" : "0";
    return;
  }
  const double a = std::fabs(v);
  char buf[32];
  int len = 0;
  if (std::signbit(v)) buf[len++] = '-';
  if (a >= 1e-4 && a < 1e10) {
    if (a == double(uint64_t(a))) {  // a whole number: all its digits
      const auto r = std::to_chars(buf + len, buf + sizeof buf, uint64_t(a));
      out.append(buf, size_t(r.ptr - buf));
      return;
    }
    // The decimal exponent e of a rounded to 10 digits: n = a * 10^(9-e)
    // rounded has exactly 10 digits. %g writes it in fixed notation when
    // -4 <= e < 10, with 9 - e decimals and no trailing zeros.
    int e = std::max(-4, std::min(9, decimalExponentEstimate(a)));
    uint64_t n = 0;
    for (int tries = 0; tries < 3; ++tries) {
      n = roundScaled(a, 9 - e);
      if (n >= 10000000000u && e < 9) {
        ++e;
      } else if (n < 1000000000u && e > -4) {
        --e;
      } else {
        break;
      }
    }
    if (n >= 1000000000u && n < 10000000000u) {
      char d[10];
      digits(n, d, 10);
      int last = 9;  // the last significant digit
      while (last > 0 && d[last] == '0') --last;
      if (e >= 0) {
        for (int i = 0; i <= e; ++i) buf[len++] = d[i];
        if (last > e) {
          buf[len++] = '.';
          for (int i = e + 1; i <= last; ++i) buf[len++] = d[i];
        }
      } else {
        buf[len++] = '0';
        buf[len++] = '.';
        for (int i = 0; i < -e - 1; ++i) buf[len++] = '0';
        for (int i = 0; i <= last; ++i) buf[len++] = d[i];
      }
      out.append(buf, size_t(len));
      return;
    }
  }
  appendGeneral(out, v, 10);
}

void appendFixed3(std::string& out, double v) {
  const double a = std::fabs(v);
  if (a < 1e12) {
    char buf[32];
    int len = 0;
    if (std::signbit(v)) buf[len++] = '-';
    const uint64_t n = roundScaled(a, 3);  // thousandths
    const auto r = std::to_chars(buf + len, buf + sizeof buf, n / 1000);
    len = int(r.ptr - buf);
    buf[len++] = '.';
    digits(n % 1000, buf + len, 3);
    out.append(buf, size_t(len + 3));
    return;
  }
  char buf[400];  // %f of the largest double has 309 digits before the point
  const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 3);
  out.append(buf, size_t(r.ptr - buf));
}

}  // namespace sim
