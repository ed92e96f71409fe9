#include "sim/serve/hand_over.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/library.h"

namespace sim {

constexpr int kExitCannotServe = 1;

int handOverToLiveServer(char** argv) {
  const std::string self = programFile();
  const std::string server = self.substr(0, self.find_last_of('/') + 1) + kLiveServerProgram;
  execv(server.c_str(), argv);
  const int error = errno;
  std::fprintf(stderr, "gyrelle-sim: cannot start the live server %s: %s\n", server.c_str(),
               std::strerror(error));
  return kExitCannotServe;
}

}  // namespace sim
