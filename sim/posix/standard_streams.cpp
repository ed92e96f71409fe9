// POSIX systems write the bytes given: nothing to do; standard output is
// known by its device and inode.
#include "sim/standard_streams.h"

#include <sys/stat.h>
#include <unistd.h>

namespace sim {

void writeStandardStreamsAsBytes() {}

bool leadsToStandardOutput(const std::string& path) {
  struct stat out {
  }, named{};
  if (path.empty() || fstat(STDOUT_FILENO, &out) != 0 || stat(path.c_str(), &named) != 0)
    return false;
  return !S_ISCHR(out.st_mode) && out.st_dev == named.st_dev && out.st_ino == named.st_ino;
}

}  // namespace sim
