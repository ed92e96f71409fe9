#include "sim/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace sim {

OutputFile::OutputFile(const std::string& path) : path_(path) {
  // Found out now, before the run, not at the rename after it.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) fail("cannot write", EISDIR);
  std::vector<char> name(path.begin(), path.end());
  const std::string suffix = ".partXXXXXX";
  name.insert(name.end(), suffix.begin(), suffix.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) fail("cannot write", errno);
  temp_ = name.data();
  file_ = fdopen(fd, "w");
  if (!file_) {
    const int err = errno;
    ::close(fd);
    std::remove(temp_.c_str());
    temp_.clear();
    fail("cannot write", err);
  }
}

OutputFile::~OutputFile() {
  if (file_) std::fclose(file_);
  if (!temp_.empty()) std::remove(temp_.c_str());
}

void OutputFile::fail(const std::string& what, int err) {
  throw OutputError(path_ + ": " + what + ": " + std::strerror(err));
}

void OutputFile::commit() {
  const bool bad = std::fflush(file_) != 0 || std::ferror(file_);
  int err = errno;
  const bool closeFailed = std::fclose(file_) != 0;
  if (!bad) err = errno;
  file_ = nullptr;
  if (bad || closeFailed) fail("cannot write", err ? err : EIO);
  // mkstemp creates the file readable by its owner only; give it the usual mode.
  const mode_t mask = umask(0);
  umask(mask);
  chmod(temp_.c_str(), 0666 & ~mask);
  if (std::rename(temp_.c_str(), path_.c_str()) != 0) fail("cannot write", errno);
  temp_.clear();
}

}  // namespace sim
