#include "sim/scenario/toml_reader.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace sim {

const TomlValue* TableReader::find(std::string_view key) const {
  const auto& t = table_.as_table();
  const auto it = t.find(std::string(key));
  return it == t.end() ? nullptr : &it->second;
}

const TomlValue* TableReader::node(std::string_view key) {
  const TomlValue* n = find(key);
  if (n) read_.emplace(key);
  return n;
}

const TomlValue* TableReader::typed(std::string_view key, toml::value_t kind,
                                    const char* expected) {
  const TomlValue* n = node(key);
  if (n && n->type() != kind) wrongType(key, expected);
  return n;
}

SourcePos TableReader::valuePos(std::string_view key) const {
  const TomlValue* n = find(key);
  return n ? doc_.positionOf(*n) : tablePos();
}

void TableReader::wrongType(std::string_view key, const char* expected) const {
  fail(valuePos(key), "'" + std::string(key) + "' in " + what_ + " must be " + expected);
}

std::optional<double> finiteNumber(const TomlValue& value, const TomlDocument& doc) {
  if (value.is_integer()) {
    const std::optional<int64_t> v = doc.integerOf(value);
    return v ? std::optional<double>(double(*v)) : std::nullopt;
  }
  if (value.is_floating() && std::isfinite(value.as_floating())) return value.as_floating();
  return std::nullopt;
}

std::optional<double> TableReader::number(std::string_view key) {
  const TomlValue* n = node(key);
  if (!n) return std::nullopt;
  if (!n->is_integer() && !n->is_floating()) wrongType(key, "a number");
  const std::optional<double> v = finiteNumber(*n, doc_);
  if (!v) wrongType(key, n->is_integer() ? "an integer within 64 bits" : "a finite number");
  return v;
}

std::optional<int64_t> TableReader::integer(std::string_view key) {
  const TomlValue* n = typed(key, toml::value_t::integer, "an integer");
  if (!n) return std::nullopt;
  const std::optional<int64_t> v = doc_.integerOf(*n);
  if (!v) wrongType(key, "an integer within 64 bits");
  return v;
}

std::optional<std::string> TableReader::text(std::string_view key) {
  const TomlValue* n = typed(key, toml::value_t::string, "a string");
  return n ? std::optional<std::string>(n->as_string().str) : std::nullopt;
}

std::optional<std::string> TableReader::string(std::string_view key) {
  std::optional<std::string> s = text(key);
  if (s) checkName(*s, valuePos(key), doc_.file(), "'" + std::string(key) + "' in " + what_);
  return s;
}

void checkName(const std::string& name, SourcePos pos, const std::string& file,
               const std::string& what) {
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c < 0x20 || c == 0x7f) {
      char code[8];
      std::snprintf(code, sizeof code, "U+%04X", c);
      throw ScenarioError(file, pos,
                          what + " must not hold control characters (" + code + " at byte " +
                              std::to_string(i + 1) + ")");
    }
  }
}

std::optional<bool> TableReader::boolean(std::string_view key) {
  const TomlValue* n = typed(key, toml::value_t::boolean, "true or false");
  return n ? std::optional<bool>(n->as_boolean()) : std::nullopt;
}

std::optional<VECTOR3> TableReader::vector(std::string_view key) {
  const TomlValue* n = node(key);
  if (!n) return std::nullopt;
  return readVector(*n, doc_, "'" + std::string(key) + "' in " + what_);
}

void TableReader::check(bool ok, std::string_view key, const std::string& what) const {
  if (!ok) fail(valuePos(key), "'" + std::string(key) + "' in " + what_ + " " + what);
}

void TableReader::finish() const {
  // The table keeps no order: the first unread key by its place in the text.
  const std::string* first = nullptr;
  SourcePos firstPos;
  for (const auto& [key, value] : table_.as_table()) {
    if (read_.count(key)) continue;
    const SourcePos p = doc_.keyPositionOf(value);
    if (!first || p < firstPos) {
      first = &key;
      firstPos = p;
    }
  }
  if (first) fail(firstPos, "unknown key '" + *first + "' in " + what_);
}

VECTOR3 readVector(const TomlValue& value, const TomlDocument& doc, const std::string& what) {
  if (!value.is_array() || value.as_array().size() != 3)
    doc.fail(value, what + " must be an array of 3 numbers");
  VECTOR3 v{};
  for (int i = 0; i < 3; ++i) {
    const TomlValue& e = value.as_array()[size_t(i)];
    const std::optional<double> x = finiteNumber(e, doc);
    if (!x) doc.fail(e, what + " must be an array of 3 finite numbers");
    v[i] = *x;
  }
  return v;
}

}  // namespace sim
