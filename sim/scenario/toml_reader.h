// Typed, position-aware reading of one TOML table of a scenario. Every key read
// is marked; finish() then rejects any key the reader was not asked about, so a
// misspelt key is an error rather than a silent default.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "hostapi/host_api.h"
#include "sim/scenario/scenario.h"
#include "sim/scenario/toml_document.h"

namespace sim {

class TableReader {
 public:
  // table: a table of doc; what names it in messages, e.g. "[[vessel]]".
  TableReader(const TomlValue& table, const TomlDocument& doc, std::string what);

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

  // As above, but a missing key is an error.
  double requiredNumber(std::string_view key);
  std::string requiredString(std::string_view key);
  VECTOR3 requiredVector(std::string_view key);

  // Range checks: an error at the key's value unless ok.
  void check(bool ok, std::string_view key, const std::string& what) const;

  // Throws for the first key (in file order) that was never read.
  void finish() const;

  [[noreturn]] void fail(SourcePos pos, const std::string& what) const;
  const TomlDocument& document() const { return doc_; }
  const std::string& file() const { return doc_.file(); }
  const std::string& what() const { return what_; }

 private:
  const TomlValue* find(std::string_view key) const;
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

}  // namespace sim
