#include "sim/outputs/output_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/standard_streams.h"
#include "platform/temp_file.h"

namespace sim {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxLinks = 40;  // links followed before giving up, as the system does

// The file a path leads to: symbolic links followed one by one, so that a
// link to a file yet to be made leads to that file too; status is that
// file's (not found for one yet to be made).
fs::path followLinks(const fs::path& path, fs::file_status& status, std::error_code& ec) {
  fs::path p = path;
  for (int i = 0; i < kMaxLinks; ++i) {
    status = fs::symlink_status(p, ec);
    if (!fs::is_symlink(status)) {
      ec.clear();
      return p;
    }
    const fs::path to = fs::read_symlink(p, ec);
    if (ec) return p;
    p = to.is_absolute() ? to : p.parent_path() / to;
  }
  ec = std::make_error_code(std::errc::too_many_symbolic_link_levels);
  return p;
}

bool isStandardStream(const std::FILE* f) { return f == stdout || f == stderr; }

}  // namespace

OutputFile::OutputFile(const std::string& path, size_t bufferSize, bool sweep)
    : path_(path == "-" ? "standard output" : path), target_(path) {
  if (path == "-") {
    file_ = stdout;
    return;
  }
  if (std::FILE* stream = standardStreamAt(path)) {
    file_ = stream;
    return;
  }
  std::error_code ec;
  fs::file_status st;
  target_ = followLinks(path, st, ec).string();
  if (ec) fail(ec.message());
  // A link whose text names no file although the system opens it: a stream's
  // link such as /dev/stdout or /proc/self/fd/1 on a pipe or a socket reads
  // "pipe:[N]". Only the path as given leads there.
  bool asGiven = false;
  if (!fs::exists(st)) {
    const fs::file_status opened = fs::status(path, ec);
    if (fs::exists(opened)) {
      target_ = path;
      st = opened;
      asGiven = true;
    }
  }
  if (fs::is_directory(st)) fail(EISDIR);
  if (asGiven || (fs::exists(st) && !fs::is_regular_file(st))) {
    // A device or a FIFO: replacing it would be wrong (as root, fatal for
    // /dev/null), and there is nothing half-written to protect.
    file_ = std::fopen(target_.c_str(), "wb");
    if (file_ == nullptr) fail(errno);
    return;
  }
  if (sweep) removeStaleTemporariesOf(target_);
  // The parent folders are made when the file cannot be, which as a rule
  // they already are (a picture a frame into one folder).
  file_ = createFileBeside(target_, temp_);
  if (file_ == nullptr) {
    const fs::path parent = fs::path(target_).parent_path();
    if (!parent.empty()) {
      fs::create_directories(parent, ec);
      if (ec) fail(ec.message());
    }
    file_ = createFileBeside(target_, temp_);
    if (file_ == nullptr) fail(errno);
  }
  // Only a file written under a temporary name, which nothing reads before
  // the run commits it, gets the larger buffer: standard output keeps its own
  // buffering, shared with what else is printed, and a device or a FIFO the
  // usual one, so that what reads it live is not kept waiting.
  if (bufferSize == 0) return;
  buffer_ = std::make_unique<char[]>(bufferSize);
  std::setvbuf(file_, buffer_.get(), _IOFBF, bufferSize);
}

OutputFile::~OutputFile() { discard(); }

void OutputFile::fail(int err) { fail(std::string(std::strerror(err != 0 ? err : EIO))); }

void OutputFile::fail(const std::string& reason) {
  failed_ = true;
  throw OutputError(path_ + ": cannot write: " + reason);
}

void OutputFile::put(std::string_view text) {
  if (!write(text.data(), text.size())) check();
}

void OutputFile::check() {
  if (writeError_ != 0) fail(writeError_);
  if (file_ != nullptr && std::ferror(file_)) fail(errno);
}

bool OutputFile::write(const void* data, size_t size) noexcept {
  if (file_ == nullptr || std::fwrite(data, 1, size, file_) != size) {
    if (writeError_ == 0) writeError_ = file_ == nullptr ? EBADF : (errno != 0 ? errno : EIO);
    return false;
  }
  return true;
}

void OutputFile::commit() {
  if (failed_) return discard();
  if (file_ == nullptr) return;  // committed already
  check();
  if (std::fflush(file_) != 0 || std::ferror(file_)) fail(errno);
  if (!isStandardStream(file_)) {
    FILE* f = file_;
    file_ = nullptr;
    if (std::fclose(f) != 0) fail(errno);
  }
  file_ = nullptr;
  if (!temp_.empty()) {
    std::error_code ec;
    fs::rename(temp_, target_, ec);
    if (ec) fail(ec.message());
    temp_.clear();
  }
}

void OutputFile::discard() noexcept {
  if (file_ != nullptr && !isStandardStream(file_)) std::fclose(file_);
  if (isStandardStream(file_)) std::fflush(file_);
  file_ = nullptr;
  if (!temp_.empty()) {
    std::error_code ec;
    fs::remove(temp_, ec);
    temp_.clear();
  }
}

}  // namespace sim
