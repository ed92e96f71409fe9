#include "sim/run/hand_over.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/library.h"
#include "platform/replace_process.h"

namespace sim {

void handOverToFullProgram(char** argv) {
  const std::string self = programFile();
  const std::string full = self.substr(0, self.find_last_of('/') + 1) + kFullProgram;
  const int error = replaceProcess(full, argv);
  throw std::runtime_error("cannot start " + full +
                           ", which --serve, --frames and --gif need: " + std::strerror(error));
}

}  // namespace sim
