// Where a text output's lines go: its file (output_file.h), or a text kept in
// memory, which a program that flies a flight inside itself (the Python
// package) reads as the flight goes: the same lines either way.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/outputs/output_file.h"

namespace sim {

class TextSink {
 public:
  // The file at path, opened now (OutputFile's bufferSize); throws OutputError.
  explicit TextSink(const std::string& path, size_t bufferSize = 0) {
    file_.emplace(path, bufferSize);
  }
  // Appends to text, which must outlive the sink.
  explicit TextSink(std::string& text) : text_(&text) {}

  void put(std::string_view lines) {
    if (text_ != nullptr) {
      text_->append(lines);
    } else {
      file_->put(lines);
    }
  }
  void commit() {
    if (file_) file_->commit();
  }

 private:
  std::optional<OutputFile> file_;
  std::string* text_ = nullptr;
};

}  // namespace sim
