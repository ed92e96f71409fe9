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

// A CSV field, appended to a row being built: quoted (quotes doubled) when
// it holds a comma, quote or line break.
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
