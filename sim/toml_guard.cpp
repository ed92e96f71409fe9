#include "sim/toml_guard.h"

#include "sim/scenario.h"

namespace sim {
namespace {

class Scanner {
 public:
  Scanner(std::string_view text, const std::string& file) : text_(text), file_(file) {}

  void run() {
    while (i_ < text_.size()) {
      const char c = text_[i_];
      if (c == '#') {
        skipTo('\n');
      } else if (starts("\"\"\"")) {
        multiLine('"');
      } else if (starts("'''")) {
        multiLine('\'');
      } else if (c == '"' || c == '\'') {
        singleLine(c);
      } else if (static_cast<unsigned char>(c) >= 0x80) {
        refuse("only strings and comments may hold characters beyond ASCII");
      } else {
        if (digit(c) && (i_ == 0 || opensValue(text_[i_ - 1]))) dateWithLoneDigit();
        bracket(c);
        advance();
      }
    }
  }

 private:
  // Tracks the open arrays, inline tables and table headers. Where an array
  // expects a value (after its '[' or a comma) the library takes any
  // character but a blank, a line break, a comment, a comma or ']' for the
  // start of one, and assumes (without testing, in the build we link) that it
  // is not a value terminator; a '}' there is undefined behaviour in the
  // library (fuzz/crashes/fuzz_scenario keeps such an input).
  void bracket(char c) {
    if (c == '}' && !open_.empty() && open_.back() == '[' &&
        (lastSignificant_ == '[' || lastSignificant_ == ','))
      refuse("expected a value or ']' in this array, saw '}'");
    if (c == '[' || c == '{') open_.push_back(c);
    if ((c == ']' || c == '}') && !open_.empty()) open_.pop_back();
    if (!blank(c)) lastSignificant_ = c;
  }

  // A blank or a line break.
  static bool blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
  static bool terminator(char c) {
    return blank(c) || c == ']' || c == '}' || c == ',' || c == '#';
  }
  static bool opensValue(char c) { return terminator(c) || c == '=' || c == '[' || c == '{'; }
  static bool digit(char c) { return c >= '0' && c <= '9'; }

  // A value that starts like a date ("1979-05-27": ten characters, underscores
  // not counted, dashes fifth and eighth) followed by a space and a digit is
  // read on as a date-time. When that digit is the last character before a
  // terminator, the library assumes (without testing) that it is not, and
  // reads past it: undefined behaviour. Such text is no valid value anyway.
  void dateWithLoneDigit() {
    std::string chars;
    size_t j = i_;
    for (; j < text_.size() && !terminator(text_[j]) && chars.size() <= 10; ++j)
      if (text_[j] != '_') chars += text_[j];
    if (chars.size() == 10 && chars[4] == '-' && chars[7] == '-' && j + 2 < text_.size() &&
        text_[j] == ' ' && digit(text_[j + 1]) && terminator(text_[j + 2]))
      refuse("a date followed by a single digit; write a date-time as 1979-05-27 07:32:00");
  }

  bool starts(std::string_view s) const { return text_.substr(i_, s.size()) == s; }

  void advance(size_t n = 1) {
    for (; n > 0 && i_ < text_.size(); --n, ++i_) {
      const auto c = static_cast<unsigned char>(text_[i_]);
      if (c == '\n') {
        ++line_;
        column_ = 1;
      } else if ((c & 0xc0) != 0x80) {
        ++column_;  // columns count characters, not the bytes of one
      }
    }
  }

  void skipTo(char end) {
    while (i_ < text_.size() && text_[i_] != end) advance();
  }

  // "..." with escapes, or '...' literally; a line break ends either (the
  // library then reports the missing quote).
  void singleLine(char quote) {
    lastSignificant_ = quote;
    advance();
    while (i_ < text_.size() && text_[i_] != quote && text_[i_] != '\n') {
      if (quote == '"' && text_[i_] == '\\') advance();
      advance();
    }
    if (i_ < text_.size() && text_[i_] == quote) advance();
  }

  // """...""" or '''...''', closed by three quotes (and up to two more that
  // belong to the content).
  void multiLine(char quote) {
    const std::string close(3, quote);
    lastSignificant_ = quote;
    advance(3);
    while (i_ < text_.size() && !starts(close)) {
      if (quote == '"' && text_[i_] == '\\') {
        advance();
        if (lineEndingBackslash()) continue;
      }
      advance();
    }
    advance(3);
    for (int extra = 0; extra < 2 && i_ < text_.size() && text_[i_] == quote; ++extra) advance();
  }

  // After a backslash: when only blanks follow it on its line, the library
  // skips the blanks and line breaks after it, testing each character for
  // whitespace. Returns true when it was such a backslash (and skipped that).
  bool lineEndingBackslash() {
    size_t j = i_;
    while (j < text_.size() && (text_[j] == ' ' || text_[j] == '\t')) ++j;
    // The library tests the character after the backslash, and after each
    // blank that follows it, for whitespace too.
    if (j < text_.size() && static_cast<unsigned char>(text_[j]) >= 0x80)
      refuse("a backslash followed by a character beyond ASCII is no escape sequence");
    if (j >= text_.size() || (text_[j] != '\n' && text_[j] != '\r')) return false;
    while (i_ < text_.size() && blank(text_[i_])) advance();
    if (i_ < text_.size() && static_cast<unsigned char>(text_[i_]) >= 0x80)
      refuse(
          "a character beyond ASCII right after a line-ending backslash is not read reliably; "
          "start the line with an ASCII character");
    return true;
  }

  [[noreturn]] void refuse(const std::string& what) const {
    throw ScenarioError(file_, {line_, column_}, what);
  }

  std::string_view text_;
  const std::string& file_;
  size_t i_ = 0;
  uint32_t line_ = 1;
  uint32_t column_ = 1;
  std::string open_;             // the open '[' and '{', innermost last
  char lastSignificant_ = '\n';  // the last character outside blanks and comments
};

}  // namespace

void checkTomlText(std::string_view text, const std::string& file) { Scanner(text, file).run(); }

}  // namespace sim
