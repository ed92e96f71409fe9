#include "sim/toml_reader.h"

#include <cmath>
#include <cstdio>
#include <utility>

namespace sim {

SourcePos positionOf(const toml::source_region& region) {
  return {region.begin.line, region.begin.column};
}

TableReader::TableReader(const toml::table& table, const std::string& file, std::string what)
    : table_(table), file_(file), what_(std::move(what)) {}

const toml::node* TableReader::node(std::string_view key) {
  const toml::node* n = table_.get(key);
  if (n) read_.emplace(key);
  return n;
}

SourcePos TableReader::valuePos(std::string_view key) const {
  const toml::node* n = table_.get(key);
  return n ? positionOf(n->source()) : tablePos();
}

void TableReader::fail(SourcePos pos, const std::string& what) const {
  throw ScenarioError(file_, pos, what);
}

void TableReader::wrongType(std::string_view key, const char* expected) const {
  fail(valuePos(key), "'" + std::string(key) + "' in " + what_ + " must be " + expected);
}

std::optional<double> TableReader::number(std::string_view key) {
  const toml::node* n = node(key);
  if (!n) return std::nullopt;
  double v = 0.0;
  if (n->is_integer()) {
    v = double(n->as_integer()->get());
  } else if (n->is_floating_point()) {
    v = n->as_floating_point()->get();
  } else {
    wrongType(key, "a number");
  }
  if (!std::isfinite(v)) wrongType(key, "a finite number");
  return v;
}

std::optional<int64_t> TableReader::integer(std::string_view key) {
  const toml::node* n = node(key);
  if (!n) return std::nullopt;
  if (!n->is_integer()) wrongType(key, "an integer");
  return n->as_integer()->get();
}

std::optional<std::string> TableReader::text(std::string_view key) {
  const toml::node* n = node(key);
  if (!n) return std::nullopt;
  if (!n->is_string()) wrongType(key, "a string");
  return n->as_string()->get();
}

std::optional<std::string> TableReader::string(std::string_view key) {
  std::optional<std::string> s = text(key);
  if (s) checkName(*s, valuePos(key), file_, "'" + std::string(key) + "' in " + what_);
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
  const toml::node* n = node(key);
  if (!n) return std::nullopt;
  if (!n->is_boolean()) wrongType(key, "true or false");
  return n->as_boolean()->get();
}

std::optional<VECTOR3> TableReader::vector(std::string_view key) {
  const toml::node* n = node(key);
  if (!n) return std::nullopt;
  return readVector(*n, file_, "'" + std::string(key) + "' in " + what_);
}

double TableReader::requiredNumber(std::string_view key) {
  auto v = number(key);
  if (!v) fail(tablePos(), what_ + " needs '" + std::string(key) + "'");
  return *v;
}

std::string TableReader::requiredString(std::string_view key) {
  auto v = string(key);
  if (!v) fail(tablePos(), what_ + " needs '" + std::string(key) + "'");
  return *v;
}

VECTOR3 TableReader::requiredVector(std::string_view key) {
  auto v = vector(key);
  if (!v) fail(tablePos(), what_ + " needs '" + std::string(key) + "'");
  return *v;
}

void TableReader::check(bool ok, std::string_view key, const std::string& what) const {
  if (!ok) fail(valuePos(key), "'" + std::string(key) + "' in " + what_ + " " + what);
}

void TableReader::finish() const {
  const toml::key* first = nullptr;
  for (const auto& [key, value] : table_) {
    if (read_.count(key.str())) continue;
    const auto& b = key.source().begin;
    if (!first || b.line < first->source().begin.line ||
        (b.line == first->source().begin.line && b.column < first->source().begin.column))
      first = &key;
  }
  if (first)
    fail(positionOf(first->source()),
         "unknown key '" + std::string(first->str()) + "' in " + what_);
}

VECTOR3 readVector(const toml::node& node, const std::string& file, const std::string& what) {
  const toml::array* a = node.as_array();
  if (!a || a->size() != 3)
    throw ScenarioError(file, positionOf(node.source()), what + " must be an array of 3 numbers");
  VECTOR3 v{};
  for (int i = 0; i < 3; ++i) {
    const toml::node& e = *a->get(size_t(i));
    if (e.is_integer()) {
      v[i] = double(e.as_integer()->get());
    } else if (e.is_floating_point() && std::isfinite(e.as_floating_point()->get())) {
      v[i] = e.as_floating_point()->get();
    } else {
      throw ScenarioError(file, positionOf(e.source()),
                          what + " must be an array of 3 finite numbers");
    }
  }
  return v;
}

}  // namespace sim
