// Typed, position-aware reading of one TOML table of a scenario. Every key read
// is marked; finish() then rejects any key the reader was not asked about, so a
// misspelt key is an error rather than a silent default.
#pragma once

#include <toml++/toml.h>

#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "module/host_api.h"
#include "sim/scenario.h"

namespace sim {

SourcePos positionOf(const toml::source_region& region);

class TableReader {
 public:
  // what names the table in messages, e.g. "[[vessel]]".
  TableReader(const toml::table& table, const std::string& file, std::string what);

  bool has(std::string_view key) const { return table_.contains(key); }
  // The node of a key (marked as read), or null when absent.
  const toml::node* node(std::string_view key);
  SourcePos tablePos() const { return positionOf(table_.source()); }
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
  const std::string& file() const { return file_; }
  const std::string& what() const { return what_; }

 private:
  [[noreturn]] void wrongType(std::string_view key, const char* expected) const;

  const toml::table& table_;
  const std::string& file_;
  std::string what_;
  std::set<std::string, std::less<>> read_;
};

// Throws at pos unless name is a name (no control characters); what names the
// key in the message, e.g. "'name' in [[vessel]]".
void checkName(const std::string& name, SourcePos pos, const std::string& file,
               const std::string& what);

// Reads [x, y, z] of numbers; throws naming the node's position.
VECTOR3 readVector(const toml::node& node, const std::string& file, const std::string& what);

}  // namespace sim
