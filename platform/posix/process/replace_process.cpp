#include "platform/replace_process.h"

#include <unistd.h>

#include <cerrno>

int replaceProcess(const std::string& path, char** argv) {
  execv(path.c_str(), argv);
  return errno;
}
