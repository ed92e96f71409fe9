// A file being written cannot be removed: the C runtime opens it sharing
// reading and writing but not deletion, until its writer closes it or dies.
#include "platform/temp_file.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>

namespace sim {

FILE* createNewFile(const std::string& name) {
  // Binary: "\n" stays one byte, as on every platform. Read and write for
  // whoever may, as for any new file; others may open it meanwhile.
  int fd = -1;
  const errno_t err = _sopen_s(&fd, name.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                               _SH_DENYNO, _S_IREAD | _S_IWRITE);
  if (err != 0) {
    errno = err;
    return nullptr;
  }
  FILE* f = _fdopen(fd, "wb");
  if (f == nullptr) {
    const int e = errno;
    _close(fd);
    _unlink(name.c_str());
    errno = e;
  }
  return f;
}

bool removeIfStale(const std::string& name) { return _unlink(name.c_str()) == 0; }

}  // namespace sim
