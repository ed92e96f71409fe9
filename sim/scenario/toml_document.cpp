#include <algorithm>
#include <charconv>
#include <cstdio>
#include <new>
#include <sstream>
#include <utility>

#include "sim/scenario/toml_reader.h"

namespace sim {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// [bytes] The offset of the first byte that is not part of a well-formed
// UTF-8 sequence (RFC 3629: no overlong forms, no surrogates, nothing above
// U+10FFFF), or npos. TOML text must be UTF-8; the parser checks only its
// strings, and reports what it finds there against the string alone.
size_t firstInvalidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      if (c == 0xE0) low = 0xA0;   // no overlong forms
      if (c == 0xED) high = 0x9F;  // no surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      if (c == 0xF0) low = 0x90;   // no overlong forms
      if (c == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
      return i;
    }
    if (i + length > s.size()) return i;
    const auto second = static_cast<unsigned char>(s[i + 1]);
    if (second < low || second > high) return i;
    for (size_t k = 2; k < length; ++k)
      if (!isContinuation(static_cast<unsigned char>(s[i + k]))) return i;
    i += length;
  }
  return std::string_view::npos;
}

// What the parser's message says: toml11 formats an error as
//   [error] toml::parse_array: value having invalid format appeared in an array
//    --> FILE
//      |
//    1 | x = [1, }
//      |     ^--- array starts here
//    ...
//    1 | x = [1, }
//      |         ^--- it is not a valid value.
// The last place shown is where the parse failed (the earlier ones are
// context: where an array began, where a key was first defined).
struct ParserMessage {
  std::string headline;   // without "[error]" and the function's name
  std::string comment;    // beside the last place
  uint32_t line = 0;      // of the last place; 0 = none shown
  size_t byteColumn = 0;  // [bytes] from 1, within that line
};

std::string trimmed(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '.' || s.back() == ':')) s.pop_back();
  size_t start = 0;
  while (start < s.size() && s[start] == ' ') ++start;
  return s.substr(start);
}

ParserMessage readParserMessage(const std::string& what) {
  ParserMessage m;
  std::vector<std::string> lines;
  std::istringstream in(what);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  if (lines.empty()) return m;
  std::string head = lines[0];
  if (head.rfind("[error]", 0) == 0) head.erase(0, 7);
  head = trimmed(head);
  // "toml::parse_array: ..." or "parse_escape_sequence: ...": the function.
  const size_t colon = head.find(": ");
  const bool named = colon != std::string::npos &&
                     head.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_:") >= colon;
  if (named) head.erase(0, colon + 2);
  if (head.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_:") == std::string::npos)
    head.clear();
  m.headline = trimmed(head);

  // A place is a line " N | text" followed by "   | " and the marker.
  for (size_t i = 1; i + 1 < lines.size(); ++i) {
    const std::string& place = lines[i];
    const size_t bar = place.find(" | ");
    if (bar == std::string::npos) continue;
    uint32_t number = 0;
    const char* first = place.data() + place.find_first_not_of(' ');
    const auto [end, ec] = std::from_chars(first, place.data() + bar, number);
    if (ec != std::errc() || end != place.data() + bar || number == 0) continue;
    const std::string& marker = lines[i + 1];
    if (marker.size() <= bar + 3 || marker.compare(bar, 3, " | ") != 0) continue;
    const size_t at = marker.find_first_not_of(' ', bar + 3);
    if (at == std::string::npos) continue;
    m.line = number;
    m.byteColumn = at - (bar + 3) + 1;
    const size_t text = marker.find(' ', at);
    m.comment = text == std::string::npos ? "" : trimmed(marker.substr(text + 1));
    ++i;
  }
  if (m.comment == "here") m.comment.clear();
  return m;
}

std::string describe(const ParserMessage& m) {
  if (m.headline.empty()) return m.comment.empty() ? "not valid TOML" : m.comment;
  const bool said = m.comment.empty() || (m.headline.size() >= m.comment.size() &&
                                          m.headline.compare(m.headline.size() - m.comment.size(),
                                                             m.comment.size(), m.comment) == 0);
  return said ? m.headline : m.headline + ": " + m.comment;
}

// [bytes] The first '[' or '{' at which brackets, counted without regard to
// strings or comments, stand deepest: where a text that nests too deeply
// does so, near enough for a message.
size_t deepestOpening(std::string_view s) {
  long depth = 0, deepest = 0;
  size_t at = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '[' || s[i] == '{') {
      if (++depth > deepest) {
        deepest = depth;
        at = i;
      }
    } else if (s[i] == ']' || s[i] == '}') {
      --depth;
    }
  }
  return at;
}

bool isBareKeyChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

}  // namespace

TomlDocument::TomlDocument(std::string_view text, std::string file) : file_(std::move(file)) {
  if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    text.remove_prefix(kByteOrderMark.size());
  auto shared = std::make_shared<Text>();
  shared->bytes = std::string(text);
  shared->lineStarts.push_back(0);
  for (size_t i = 0; i < shared->bytes.size(); ++i)
    if (shared->bytes[i] == '\n') shared->lineStarts.push_back(i + 1);
  text_ = shared;

  const size_t bad = firstInvalidUtf8(text_->bytes);
  if (bad != std::string_view::npos) {
    char what[64];
    std::snprintf(what, sizeof what, "not UTF-8 text (a byte 0x%02X)",
                  static_cast<unsigned char>(text_->bytes[bad]));
    throw ScenarioError(file_, positionAt(bad), what);
  }
  std::istringstream in(text_->bytes);
  try {
    const TomlParseStack parsing;
    // The name in the library's messages, which are read back, never shown.
    root_ = toml::parse<toml::discard_comments, TomlTable, TomlArray>(in, "scenario");
  } catch (const TomlNestingTooDeep&) {
    throw ScenarioError(file_, positionAt(deepestOpening(text_->bytes)),
                        "tables and arrays nested too deeply");
  } catch (const toml::exception& e) {
    const ParserMessage m = readParserMessage(e.what());
    SourcePos pos{e.location().line(), 1};
    size_t byteColumn = e.location().column();
    if (m.line != 0) {
      pos.line = m.line;
      byteColumn = m.byteColumn;
    }
    if (pos.line == 0 || pos.line > text_->lineStarts.size())
      pos.line = uint32_t(text_->lineStarts.size());
    const size_t lineStart = text_->lineStarts[pos.line - 1];
    const size_t lineEnd =
        pos.line < text_->lineStarts.size() ? text_->lineStarts[pos.line] - 1 : text_->bytes.size();
    throw ScenarioError(
        file_, positionAt(lineStart + std::min(byteColumn - 1, lineEnd - lineStart)), describe(m));
  } catch (const std::bad_alloc&) {
    throw;  // not the scenario's fault
  } catch (const std::exception& e) {
    // The library's own faults (a result unwrapped that failed, an internal
    // error) come without a place.
    throw ScenarioError(file_, {1, 1}, std::string("cannot read the TOML: ") + e.what());
  }
}

TomlDocument::TomlDocument(const TomlDocument& source, TomlValue root)
    : file_(source.file_), text_(source.text_), root_(std::move(root)) {}

SourcePos TomlDocument::positionAt(size_t offset) const {
  offset = std::min(offset, text_->bytes.size());
  const auto next = std::upper_bound(text_->lineStarts.begin(), text_->lineStarts.end(), offset);
  const size_t line = size_t(next - text_->lineStarts.begin());  // from 1
  const size_t start = text_->lineStarts[line - 1];
  uint32_t column = 1;
  for (size_t i = start; i < offset; ++i)
    if (!isContinuation(static_cast<unsigned char>(text_->bytes[i]))) ++column;
  return {uint32_t(line), column};
}

std::optional<size_t> TomlDocument::offsetOf(const TomlValue& value) const {
  const auto* region = dynamic_cast<const toml::detail::region*>(toml::detail::get_region(value));
  if (region == nullptr) return std::nullopt;
  const auto offset = region->first() - region->begin();
  if (offset < 0 || size_t(offset) > text_->bytes.size()) return std::nullopt;
  return size_t(offset);
}

SourcePos TomlDocument::positionOf(const TomlValue& value) const {
  const std::optional<size_t> offset = offsetOf(value);
  return offset ? positionAt(*offset) : SourcePos{1, 1};
}

SourcePos TomlDocument::keyPositionOf(const TomlValue& value) const {
  const std::optional<size_t> offset = offsetOf(value);
  if (!offset) return SourcePos{1, 1};
  const size_t lineStart = text_->lineStarts[positionAt(*offset).line - 1];
  auto blanksBefore = [&](size_t i) {
    while (i > lineStart && (text_->bytes[i - 1] == ' ' || text_->bytes[i - 1] == '\t')) --i;
    return i;
  };
  // A table made by a header, or one made by a dotted key's earlier part,
  // begins where the header or the key does.
  size_t i = blanksBefore(*offset);
  if (i == lineStart || text_->bytes[i - 1] != '=') return positionAt(*offset);
  // key = value: the key's last part ends before the '='.
  i = blanksBefore(i - 1);
  if (i == lineStart) return positionAt(*offset);
  const char last = text_->bytes[i - 1];
  size_t start = i - 1;
  if (last == '"' || last == '\'') {
    // The opening quote; in a basic string one that no backslash escapes
    // (a quote inside is escaped by an odd number of them).
    while (start > lineStart) {
      --start;
      if (text_->bytes[start] != last) continue;
      if (last == '\'') break;
      size_t backslashes = 0;
      while (start - backslashes > lineStart && text_->bytes[start - backslashes - 1] == '\\')
        ++backslashes;
      if (backslashes % 2 == 0) break;
    }
  } else {
    while (start > lineStart && isBareKeyChar(text_->bytes[start - 1])) --start;
  }
  return positionAt(start);
}

std::optional<int64_t> TomlDocument::integerOf(const TomlValue& value) const {
  const auto* region = dynamic_cast<const toml::detail::region*>(toml::detail::get_region(value));
  if (region == nullptr) return value.as_integer();
  std::string_view written = std::string_view(&*region->first(), region->size());
  std::string digits;  // the text without its underscores, sign and base prefix
  if (!written.empty() && (written[0] == '+' || written[0] == '-')) {
    if (written[0] == '-') digits += '-';
    written.remove_prefix(1);
  }
  int base = 10;
  if (written.size() > 2 && written[0] == '0') {
    const char prefix = written[1];
    base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
    if (base != 10) written.remove_prefix(2);
  }
  for (char c : written)
    if (c != '_') digits += c;
  int64_t v = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, base);
  if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return v;
}

}  // namespace sim
