#include "sim/temp_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace sim {

FILE* createNewFile(const std::string& name) {
  // 0666 less the umask, as for any new file (mkstemp would give 0600).
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  FILE* f = ::fdopen(fd, "wb");
  if (f == nullptr) {
    const int err = errno;
    ::close(fd);
    ::unlink(name.c_str());
    errno = err;
  }
  return f;
}

}  // namespace sim
