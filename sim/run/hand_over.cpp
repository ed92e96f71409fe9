#include "sim/run/hand_over.h"

#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/replace_process.h"
#include "sim/run/program_files.h"

namespace sim {

void handOverToFullProgram(char** argv) {
  const std::string full = companionFile(kFullProgram);
  const int error = replaceProcess(full, argv);
  throw std::runtime_error("cannot start " + full +
                           ", which --serve, --frames and --gif need: " + std::strerror(error));
}

}  // namespace sim
