// A scenario's TOML text, parsed by toml11 (Debian's libtoml11-dev, 3.7,
// header-only), where its values and keys stand in the text, and typed,
// position-aware reading of its tables.
//
// Lines and columns count from 1; a column counts characters (UTF-8
// sequences), as an editor shows them. A UTF-8 byte-order mark at the start
// (Windows editors write one) is skipped and counts for nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <toml.hpp>
#include <vector>

#include "hostapi/host_api.h"
#include "sim/scenario/scenario.h"
#include "sim/scenario/toml_containers.h"

namespace sim {

using TomlValue = toml::basic_value<toml::discard_comments, TomlTable, TomlArray>;

class TomlDocument {
 public:
  // Parses text; throws ScenarioError "FILE:LINE:COLUMN: what" for text that
  // is not UTF-8 or not TOML, or nests arrays and inline tables too deeply.
  TomlDocument(std::string_view text, std::string file);
  // The document of source's text with another root: source's root edited.
  // Values taken from source keep their places in the text; values made
  // since have none (positionOf gives 1:1).
  TomlDocument(const TomlDocument& source, TomlValue root);

  const TomlValue& root() const { return root_; }
  // The root to change in place (a campaign writes each run's drawn values
  // into one document rather than copying it a run).
  TomlValue& editableRoot() { return root_; }
  const std::string& file() const { return file_; }

  // Where a value begins; for a table made by a header ([sim], [[vessel]]),
  // the header. 1:1 for a value the parser made without a place.
  SourcePos positionOf(const TomlValue& value) const;
  // Where the key that names value in its table begins (the last part of a
  // dotted key; the header of a table made by one).
  SourcePos keyPositionOf(const TomlValue& value) const;

  // An integer as written. The parser gives the nearest 64-bit integer for
  // one beyond that range (or, in base 2, what is left of it), so the text
  // is read again: nullopt when it does not fit.
  std::optional<int64_t> integerOf(const TomlValue& value) const;

  [[noreturn]] void fail(const TomlValue& at, const std::string& what) const {
    throw ScenarioError(file_, positionOf(at), what);
  }

 private:
  std::optional<size_t> offsetOf(const TomlValue& value) const;  // [bytes] into text_
  SourcePos positionAt(size_t offset) const;

  // The text and where its lines begin, shared by the documents made from
  // one parse (a campaign makes one a run).
  struct Text {
    std::string bytes;               // as parsed: without the byte-order mark
    std::vector<size_t> lineStarts;  // [bytes] offset of each line's first byte
  };
  std::string file_;
  std::shared_ptr<const Text> text_;
  TomlValue root_;
};

// Reads one table of a scenario. Every key read is marked; finish() then
// rejects any key the reader was not asked about, so a misspelt key is an
// error rather than a silent default.
class TableReader {
 public:
  // table: a table of doc; what names it in messages, e.g. "[[vessel]]".
  TableReader(const TomlValue& table, const TomlDocument& doc, std::string what)
      : table_(table), doc_(doc), what_(std::move(what)) {}

  bool has(std::string_view key) const { return find(key) != nullptr; }
  // The value of a key (marked as read), or null when absent.
  const TomlValue* node(std::string_view key);
  SourcePos tablePos() const { return doc_.positionOf(table_); }
  SourcePos valuePos(std::string_view key) const;

  std::optional<double> number(std::string_view key);  // integer or float, finite
  std::optional<int64_t> integer(std::string_view key);
  // A name: a string without control characters (U+0000 to U+001F and
  // U+007F), which would garble the messages and outputs that carry it.
  std::optional<std::string> string(std::string_view key);
  std::optional<std::string> text(std::string_view key);  // any string
  std::optional<bool> boolean(std::string_view key);
  std::optional<VECTOR3> vector(std::string_view key);  // three numbers

  // A value that must be there: the reading above, or an error at the table.
  template <class T>
  T required(std::optional<T> value, std::string_view key) const {
    if (!value) fail(tablePos(), what_ + " needs '" + std::string(key) + "'");
    return *value;
  }

  // Range checks: an error at the key's value unless ok.
  void check(bool ok, std::string_view key, const std::string& what) const;

  // Throws for the first key (in file order) that was never read.
  void finish() const;

  [[noreturn]] void fail(SourcePos pos, const std::string& what) const {
    throw ScenarioError(doc_.file(), pos, what);
  }
  const TomlDocument& document() const { return doc_; }
  const std::string& what() const { return what_; }

 private:
  const TomlValue* find(std::string_view key) const;
  // The value of key, marked as read, when it is there and of the kind
  // asked for; an error naming the kind expected when it is of another.
  const TomlValue* typed(std::string_view key, toml::value_t kind, const char* expected);
  [[noreturn]] void wrongType(std::string_view key, const char* expected) const;

  const TomlValue& table_;
  const TomlDocument& doc_;
  std::string what_;
  std::set<std::string, std::less<>> read_;
};

// Throws at pos unless name is a name (no control characters); what names the
// key in the message, e.g. "'name' in [[vessel]]".
void checkName(const std::string& name, SourcePos pos, const std::string& file,
               const std::string& what);

// A number of the text: an integer within 64 bits, or a finite float;
// nullopt for anything else.
std::optional<double> finiteNumber(const TomlValue& value, const TomlDocument& doc);

// Reads [x, y, z] of numbers; throws naming the value's position.
VECTOR3 readVector(const TomlValue& value, const TomlDocument& doc, const std::string& what);

// The sections read in files of their own.
VesselEntry readVessel(const TomlValue& table, const TomlDocument& doc, const std::string& what);
Event readEvent(const TomlValue& table, const TomlDocument& doc);

}  // namespace sim
