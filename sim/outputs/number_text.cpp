#include "sim/outputs/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace sim {
namespace {

// [chars] Room for any number: "%.3f" of the largest double has 309 digits
// before the point.
constexpr size_t kNumberChars = 400;

}  // namespace

void appendGeneral(std::string& out, double v, int digits) {
  char text[kNumberChars];
  const char* end =
      std::to_chars(text, text + kNumberChars, v, std::chars_format::general, digits).ptr;
  out.append(text, size_t(end - text));
}

void appendFixed(std::string& out, double v, int decimals) {
  char text[kNumberChars];
  const char* end =
      std::to_chars(text, text + kNumberChars, v, std::chars_format::fixed, decimals).ptr;
  out.append(text, size_t(end - text));
}

std::string fixedText(double v, int decimals) {
  std::string out;
  appendFixed(out, v, decimals);
  return out;
}

void appendHexColour(std::string& out, COLORREF c) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (unsigned byte : {unsigned(GetRValue(c)), unsigned(GetGValue(c)), unsigned(GetBValue(c))}) {
    out += kDigits[byte >> 4];
    out += kDigits[byte & 15];
  }
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

}  // namespace sim
