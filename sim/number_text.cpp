// The two number formats of every telemetry row, without the general-purpose
// conversion where the value allows: a value times a power of ten is rounded
// to a whole number exactly (the product's rounding error is recovered with a
// fused multiply-add), which gives the digits printf would print; values out
// of that range go to std::to_chars. tests/sim/number_text_test.cpp compares
// both with printf on many values, ties and near-ties included.
#include "sim/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace sim {
namespace {

// Powers of ten that are exact doubles (up to 1e22).
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The decimal exponents rounded directly: a * 10^(9 - e) needs a power of
// ten up to 1e22.
constexpr int kMinExponent = -13;
constexpr int kMaxExponent = 9;

// a * 10^s rounded to the nearest whole number, ties to even, as printf
// rounds the exact value of a double; a >= 0, s <= 22 and a * 10^s < 2^52.
// hi - n is exact, so only an exact .5 of hi needs the product's rounding
// error lo (hi + lo is the exact product) to tell which way the exact value
// lies; the fused multiply-add that recovers it, a library call without FMA
// instructions, is made only then.
uint64_t roundScaled(double a, int s) {
  const double p = kPow10[s];
  const double hi = a * p;
  // Rounded to a whole number, ties to even, in the default rounding mode:
  // adding 2^52 leaves no bits below the units (nearbyint without SSE4.1 is
  // a library call too).
  constexpr double kTwo52 = 4503599627370496.0;
  double n = (hi + kTwo52) - kTwo52;
  const double f = hi - n;
  if (f == 0.5 || f == -0.5) {
    const double lo = std::fma(a, p, -hi);
    if (f == 0.5 && lo > 0.0) n += 1.0;
    if (f == -0.5 && lo < 0.0) n -= 1.0;
  }
  return uint64_t(n);
}

// The digits of n, most significant first, into buf[count] (leading zeros).
void digits(uint64_t n, char* buf, int count) {
  for (int i = count - 1; i >= 0; --i) {
    buf[i] = char('0' + n % 10);
    n /= 10;
  }
}

// "00" to "99".
struct DigitPairs {
  char text[200];
  constexpr DigitPairs() : text() {
    for (int i = 0; i < 100; ++i) {
      text[2 * i] = char('0' + i / 10);
      text[2 * i + 1] = char('0' + i % 10);
    }
  }
};
constexpr DigitPairs kPairs;

// The five digits of v < 100000 into buf[5], two at a time.
void fiveDigits(uint32_t v, char* buf) {
  buf[4] = char('0' + v % 10);
  v /= 10;
  std::memcpy(buf + 2, kPairs.text + 2 * (v % 100), 2);
  std::memcpy(buf, kPairs.text + 2 * (v / 100), 2);
}

// The ten digits of n < 10^10 into buf[10]: two halves of five, whose
// divisions do not wait for each other's.
void tenDigits(uint64_t n, char* buf) {
  const uint64_t high = n / 100000;
  fiveDigits(uint32_t(high), buf);
  fiveDigits(uint32_t(n - high * 100000), buf + 5);
}

// floor(log10(a)), or one or two less, from the binary exponent of a normal
// a > 0 (1233 / 4096 is log10(2) a little low).
int decimalExponentEstimate(double a) {
  uint64_t bits;
  std::memcpy(&bits, &a, sizeof bits);
  const int binary = int((bits >> 52) & 0x7ff) - 1023;  // floor(log2(a))
  return binary * 1233 >> 12;                           // an arithmetic shift: it floors
}

}  // namespace

char* putG10(char* p, double v) {
  if (v == 0.0) {
    if (std::signbit(v)) *p++ = '-';
    *p++ = '0';
    return p;
  }
  const double a = std::fabs(v);
  char* const start = p;
  if (std::signbit(v)) *p++ = '-';
  if (a >= 1e-4 && a < 1e10 && a == double(int64_t(a)))  // a whole number: all its digits
    return std::to_chars(p, p + 24, uint64_t(a)).ptr;
  if (a >= 1e-13 && a < 1e10) {
    // The decimal exponent e of a rounded to 10 digits: n = a * 10^(9-e)
    // rounded has exactly 10 digits. %g writes it in fixed notation when
    // -4 <= e < 10, with 9 - e decimals, otherwise as d.ddddddddde-XX; both
    // without trailing zeros.
    int e = std::max(kMinExponent, std::min(kMaxExponent, decimalExponentEstimate(a)));
    uint64_t n = 0;
    for (int tries = 0; tries < 3; ++tries) {
      n = roundScaled(a, 9 - e);
      if (n >= 10000000000u && e < kMaxExponent) {
        ++e;
      } else if (n < 1000000000u && e > kMinExponent) {
        --e;
      } else {
        break;
      }
    }
    if (n >= 1000000000u && n < 10000000000u) {
      // The ten digits written in place; where a point goes between them,
      // the decimals are moved on by one.
      if (e >= 0) {
        tenDigits(n, p);
        int last = 9;  // the last significant digit
        while (last > e && p[last] == '0') --last;
        if (last == e) return p + e + 1;
        for (int i = last; i > e; --i) p[i + 1] = p[i];
        p[e + 1] = '.';
        return p + last + 2;
      }
      if (e >= -4) {
        std::memcpy(p, "0.000000", 8);  // "0." and -e - 1 zeros, then the digits
        p += 1 - e;
        tenDigits(n, p);
        int last = 9;
        while (p[last] == '0') --last;  // the first digit is not 0
        return p + last + 1;
      }
      tenDigits(n, p + 1);
      p[0] = p[1];
      p[1] = '.';
      int last = 10;  // the last significant digit's place
      while (p[last] == '0') --last;
      p += last == 1 ? 1 : last + 1;
      std::memcpy(p, "e-", 2);
      p[2] = char('0' + -e / 10);  // two digits: e >= -13
      p[3] = char('0' + -e % 10);
      return p + 4;
    }
  }
  return std::to_chars(start, start + kG10Chars, v, std::chars_format::general, 10).ptr;
}

void appendG10(std::string& out, double v) {
  char buf[kG10Chars];
  out.append(buf, size_t(putG10(buf, v) - buf));
}

std::string stepTimeText(uint64_t steps, double step) {
  if (steps == 0) return "0.0";
  char buf[32];
  if (!(step > 0.0) || !std::isfinite(step) || steps > (uint64_t(1) << 59)) {
    const char* end = std::to_chars(buf, buf + sizeof buf, double(steps) * step).ptr;
    return std::string(buf, size_t(end - buf));
  }
  // The shortest decimal of step as d.ddde[+-]XX: its digits and the power of
  // ten of the last one.
  const char* end = std::to_chars(buf, buf + sizeof buf, step, std::chars_format::scientific).ptr;
  const char* e = std::find(static_cast<const char*>(buf), end, 'e');
  std::string digits;  // most significant first
  for (const char* c = buf; c < e; ++c)
    if (*c != '.') digits += *c;
  int exponent = 0;
  std::from_chars(e + (e[1] == '+' ? 2 : 1), end, exponent);
  exponent -= int(digits.size()) - 1;
  // digits * steps, digit by digit from the last: the carry stays below
  // steps + 1, so no sum passes 10 * steps + 9 < 2^64.
  std::string product;  // least significant first
  uint64_t carry = 0;
  for (auto d = digits.rbegin(); d != digits.rend(); ++d) {
    const uint64_t v = uint64_t(*d - '0') * steps + carry;
    product += char('0' + v % 10);
    carry = v / 10;
  }
  for (; carry != 0; carry /= 10) product += char('0' + carry % 10);
  // Trailing zeros of the fraction go; the product is then placed around its point.
  size_t zeros = 0;
  while (exponent < 0 && zeros < product.size() && product[zeros] == '0') {
    ++zeros;
    ++exponent;
  }
  product.erase(0, zeros);
  std::reverse(product.begin(), product.end());
  if (product.empty()) return "0.0";
  if (exponent >= 0) return product + std::string(size_t(exponent), '0') + ".0";
  const size_t decimals = size_t(-exponent);
  if (product.size() <= decimals)
    return "0." + std::string(decimals - product.size(), '0') + product;
  return product.insert(product.size() - decimals, ".");
}

char* putFixed3(char* p, double v) {
  const double a = std::fabs(v);
  if (a < 1e12) {
    if (std::signbit(v)) *p++ = '-';
    const uint64_t n = roundScaled(a, 3);  // thousandths
    p = std::to_chars(p, p + 24, n / 1000).ptr;
    *p++ = '.';
    digits(n % 1000, p, 3);
    return p + 3;
  }
  return std::to_chars(p, p + kFixed3Chars, v, std::chars_format::fixed, 3).ptr;
}

}  // namespace sim
