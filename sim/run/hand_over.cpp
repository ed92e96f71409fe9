#include "sim/run/hand_over.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/library.h"
#include "platform/replace_process.h"

namespace sim {

// As when an output cannot be written.
constexpr int kExitCannotHandOver = 1;

int handOverToFullProgram(char** argv) {
  const std::string self = programFile();
  const std::string full = self.substr(0, self.find_last_of('/') + 1) + kFullProgram;
  const int error = replaceProcess(full, argv);
  std::fprintf(stderr, "gyrelle-sim: cannot start %s, which --serve, --frames and --gif need: %s\n",
               full.c_str(), std::strerror(error));
  return kExitCannotHandOver;
}

}  // namespace sim
