#include "sim/temp_file.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>
#include <random>

namespace sim {

FILE* createFileBeside(const std::string& path, std::string& tempPath) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device seed;
  std::minstd_rand random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = path + ".part";
    for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    int fd = -1;
    const errno_t err = _sopen_s(&fd, name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                                 _SH_DENYNO, _S_IREAD | _S_IWRITE);
    if (err != 0) {
      if (err == EEXIST) continue;
      errno = err;
      return nullptr;
    }
    FILE* f = _fdopen(fd, "wb");
    if (f == nullptr) {
      const int e = errno;
      _close(fd);
      _unlink(name.c_str());
      errno = e;
      return nullptr;
    }
    tempPath = name;
    return f;
  }
  errno = EEXIST;
  return nullptr;
}

}  // namespace sim
