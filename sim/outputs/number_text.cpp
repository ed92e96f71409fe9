#include "sim/outputs/number_text.h"

#include <algorithm>
#include <cmath>

namespace sim {

void appendHexColour(std::string& out, COLORREF c) {
  static constexpr char kDigits[] = "0123456789abcdef";
  for (unsigned byte : {unsigned(GetRValue(c)), unsigned(GetGValue(c)), unsigned(GetBValue(c))}) {
    out += kDigits[byte >> 4];
    out += kDigits[byte & 15];
  }
}

void appendCsvField(std::string& out, const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    out += text;
    return;
  }
  out += '"';
  for (char c : text) {
    out += c;
    if (c == '"') out += '"';
  }
  out += '"';
}

std::string stepTimeText(uint64_t steps, double step) {
  std::string out;
  if (!(step > 0.0) || !std::isfinite(step)) {
    appendChars(out, double(steps) * step);
    return out;
  }
  // The shortest decimal of step, d.ddde[+-]XX, as a whole number of at most
  // 17 digits and the power of ten of its last digit. Times a count below
  // 2^64, the whole number stays below 2^121.
  appendChars(out, step, std::chars_format::scientific);
  unsigned __int128 product = 0;
  int exponent = 0;
  size_t e = 0;
  for (; out[e] != 'e'; ++e) {
    if (out[e] == '.') continue;
    product = product * 10 + unsigned(out[e] - '0');
    --exponent;
  }
  int power = 0;
  std::from_chars(out.data() + e + (out[e + 1] == '+' ? 2 : 1), out.data() + out.size(), power);
  exponent += power + 1;
  product *= steps;
  // Trailing zeros of the fraction go; the product is then placed around its point.
  while (product != 0 && exponent < 0 && product % 10 == 0) {
    product /= 10;
    ++exponent;
  }
  if (product == 0) return "0.0";
  out.clear();  // the product's digits, last first
  for (; product != 0; product /= 10) out += char('0' + int(product % 10));
  std::reverse(out.begin(), out.end());
  if (exponent >= 0) return out + std::string(size_t(exponent), '0') + ".0";
  const size_t decimals = size_t(-exponent);
  if (out.size() <= decimals) return "0." + std::string(decimals - out.size(), '0') + out;
  return out.insert(out.size() - decimals, ".");
}

}  // namespace sim
