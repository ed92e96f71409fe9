// A file being written is held under an exclusive lock (flock) on its open
// file, which the system drops when the writer closes it or dies, however it
// dies: a temporary that can be locked is stale. (Between its close and its
// rename, a committed temporary is unlocked for a moment: a second run that
// writes the same output at that very moment may take it for stale, and the
// first then reports that it cannot write. Two runs writing one output race
// in any case: the last to finish wins.)
#include "platform/temp_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace sim {
namespace {

int lockInterrupted(int fd, int operation) {
  int r;
  while ((r = ::flock(fd, operation)) != 0 && errno == EINTR) {
  }
  return r;
}

}  // namespace

FILE* createNewFile(const std::string& name) {
  // 0666 less the umask, as for any new file (mkstemp would give 0600).
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  auto giveUp = [&](int err, bool unlink) -> FILE* {
    ::close(fd);
    if (unlink) ::unlink(name.c_str());
    errno = err;
    return nullptr;
  };
  // A file system without these locks (some network ones) refuses them to
  // every run alike: the file is written unlocked, and no run removes it.
  lockInterrupted(fd, LOCK_EX);
  // Another run may have found it unlocked between the create and the lock,
  // and removed it as stale: then it is another name's turn.
  struct stat st {};
  if (::fstat(fd, &st) != 0) return giveUp(errno, true);
  if (st.st_nlink == 0) return giveUp(EEXIST, false);
  FILE* f = ::fdopen(fd, "wb");
  if (f == nullptr) return giveUp(errno, true);
  return f;
}

bool removeIfStale(const std::string& name) {
  // Never through a link, never blocked by a FIFO of that name.
  const int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  bool removed = false;
  struct stat opened {
  }, named{};
  if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
      lockInterrupted(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(name.c_str(), &named) == 0 &&
      named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
    removed = ::unlink(name.c_str()) == 0;
  ::close(fd);  // and with it the lock
  return removed;
}

}  // namespace sim
