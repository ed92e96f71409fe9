// CSV fields of the runner's tables (RFC 4180 quoting).
#pragma once

#include <string>

namespace sim {

// Whether a CSV field must be quoted: it holds a comma, quote or line break.
inline bool needsQuotes(const std::string& text) {
  for (char c : text)
    if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
  return false;
}

// A CSV field: quoted (quotes doubled) when it holds a comma, quote or line break.
inline std::string csvField(const std::string& text) {
  if (!needsQuotes(text)) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

// The same appended to a row being built, without a string of its own.
inline void appendCsvField(std::string& out, const std::string& text) {
  if (!needsQuotes(text)) {
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

}  // namespace sim
