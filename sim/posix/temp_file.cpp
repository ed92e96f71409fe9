#include "sim/temp_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace sim {

FILE* createFileBeside(const std::string& path, std::string& tempPath) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  // Seeded once a thread: a run writing a picture a frame opens the random
  // device once, not at every file.
  thread_local std::minstd_rand random(std::random_device{}());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = path + ".part";
    for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    // 0666 less the umask, as for any new file (mkstemp would give 0600).
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return nullptr;
    }
    FILE* f = ::fdopen(fd, "wb");
    if (f == nullptr) {
      const int err = errno;
      ::close(fd);
      ::unlink(name.c_str());
      errno = err;
      return nullptr;
    }
    tempPath = name;
    return f;
  }
  errno = EEXIST;
  return nullptr;
}

}  // namespace sim
