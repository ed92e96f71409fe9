// A file written under a temporary name beside its final one and renamed only
// when the run has finished well, so that an error never leaves a half-written
// output under the final name.
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>

namespace sim {

// An output that cannot be written; what() names the path and the reason.
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class OutputFile {
 public:
  explicit OutputFile(const std::string& path);  // throws OutputError
  ~OutputFile();                                 // removes the temporary if not committed
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  FILE* stream() { return file_; }
  // Flushes, closes and renames to the final path; throws OutputError.
  void commit();

 private:
  [[noreturn]] void fail(const std::string& what, int err);

  std::string path_;
  std::string temp_;
  FILE* file_ = nullptr;
};

}  // namespace sim
