// A scenario's TOML text, parsed by toml11 (Debian's libtoml11-dev, 3.7,
// header-only), and where its values and keys stand in the text.
//
// Lines and columns count from 1; a column counts characters (UTF-8
// sequences), as an editor shows them. A UTF-8 byte-order mark at the start
// (Windows editors write one) is skipped and counts for nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <toml.hpp>
#include <vector>

#include "sim/scenario/scenario.h"
#include "sim/scenario/toml_containers.h"

namespace sim {

using TomlValue = toml::basic_value<toml::discard_comments, TomlTable, TomlArray>;
using TomlTableOf = TomlValue::table_type;
using TomlArrayOf = TomlValue::array_type;

class TomlDocument {
 public:
  // Parses text; throws ScenarioError "FILE:LINE:COLUMN: what" for text that
  // is not UTF-8 or not TOML, or nests arrays and inline tables too deeply.
  TomlDocument(std::string_view text, std::string file);

  const TomlValue& root() const { return root_; }
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

 private:
  std::optional<size_t> offsetOf(const TomlValue& value) const;  // [bytes] into text_
  SourcePos positionAt(size_t offset) const;

  std::string file_;
  std::string text_;                // as parsed: without the byte-order mark
  std::vector<size_t> lineStarts_;  // [bytes] offset of each line's first byte
  TomlValue root_;
};

}  // namespace sim
