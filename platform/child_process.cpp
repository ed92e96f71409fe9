// A child's output cut into lines; reading it is the platform's part
// (ChildProcess::readSome).
#include "platform/child_process.h"

namespace sim {

bool ChildProcess::readLine(std::string& line) {
  for (;;) {
    const size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      line.assign(pending_, 0, end);
      pending_.erase(0, end + 1);
      return true;
    }
    char chunk[4096];
    const size_t n = readSome(chunk, sizeof chunk);
    if (n == 0) return false;
    pending_.append(chunk, n);
  }
}

}  // namespace sim
