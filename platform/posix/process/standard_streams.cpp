// POSIX systems write the bytes given: nothing to do; standard output is
// known by its device and inode.
#include "platform/standard_streams.h"

#include <sys/stat.h>
#include <unistd.h>

namespace sim {

void writeStandardStreamsAsBytes() {}

std::FILE* standardStreamAt(const std::string& path) {
  struct stat named {};
  if (path.empty() || stat(path.c_str(), &named) != 0) return nullptr;
  for (std::FILE* stream : {stdout, stderr}) {
    struct stat open {};
    if (fstat(fileno(stream), &open) == 0 && !S_ISCHR(open.st_mode) &&
        open.st_dev == named.st_dev && open.st_ino == named.st_ino)
      return stream;
  }
  return nullptr;
}

}  // namespace sim
