#include "sim/temp_file.h"

#include <cerrno>
#include <random>

namespace sim {

FILE* createFileBeside(const std::string& path, std::string& tempPath) {
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  // Seeded once a thread: a run writing a picture a frame opens the random
  // device once, not at every file.
  thread_local std::minstd_rand random(std::random_device{}());
  // 36^6 names: a hundred taken in a row means something else is wrong.
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = path + ".part";
    for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    FILE* f = createNewFile(name);
    if (f == nullptr && errno == EEXIST) continue;
    if (f != nullptr) tempPath = name;
    return f;
  }
  errno = EEXIST;
  return nullptr;
}

}  // namespace sim
