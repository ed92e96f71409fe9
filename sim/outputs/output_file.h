// One output file of a run, written so that its real name never holds a
// half-written file and never replaces what it must not:
// - "-" is standard output, written as the run goes; so is a path that leads
//   to the pipe, socket or file standard output or error already writes to
//   (/dev/stdout sent on with "> F" or ">> F"), through that stream;
// - a symbolic link is followed: its target is written, the link stays;
// - a regular file, or one yet to be made, is written under a temporary name
//   beside the target and renamed onto it by commit(); its parent folders are
//   made when it is opened, and the stale temporaries of its name (left by a
//   run killed outright) removed;
// - anything else that exists (a character device such as /dev/null, a FIFO)
//   is written directly, never replaced; so is a link that the system opens
//   but whose text names no file (/dev/stdout on a pipe), through its path.
// Every write is checked: the first failure throws OutputError naming the
// user's path and the reason, and marks the file failed.
#pragma once

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sim {

// An output that cannot be written; what() is "PATH: cannot write: reason".
class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class OutputFile {
 public:
  // Opens now; throws OutputError. A bufferSize other than 0 buffers a
  // regular file by that many bytes instead of the standard stream's few
  // kilobytes: for a long series of short records (a row a step), so that
  // the system is asked to write once every bufferSize bytes. A failed write
  // shows when the buffer is written, so within bufferSize bytes. A writer
  // of many files into one folder (a picture a frame) removes the stale
  // temporaries of them all once, and opens each with sweep false.
  explicit OutputFile(const std::string& path, size_t bufferSize = 0, bool sweep = true);
  ~OutputFile();  // discards what was not committed
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void put(std::string_view text);  // throws OutputError
  FILE* stream() { return file_; }  // for its buffering
  // Throws for what failed since: a write() or the stream.
  void check();
  // For C callbacks, which must not throw: false when the write failed, which
  // the next check() reports.
  bool write(const void* data, size_t size) noexcept;
  // Flushes and closes, then renames the temporary onto the real name; throws
  // OutputError. Does nothing once committed. A file that failed before, whose
  // failure was reported then, is discarded instead.
  void commit();
  // Closes and removes the temporary; the real name keeps what it had.
  void discard() noexcept;
  const std::string& path() const { return path_; }

 private:
  [[noreturn]] void fail(int err);  // errno
  [[noreturn]] void fail(const std::string& reason);

  std::string path_;    // as the user gave it
  std::string target_;  // the file written, links followed
  std::string temp_;    // empty when written directly
  FILE* file_ = nullptr;
  std::unique_ptr<char[]> buffer_;  // the stream's, when given; outlives it
  bool failed_ = false;
  int writeError_ = 0;  // errno of a failed write(), 0 = none
};

}  // namespace sim
