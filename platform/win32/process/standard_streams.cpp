#include "platform/standard_streams.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace sim {

void writeStandardStreamsAsBytes() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

std::FILE* standardStreamAt(const std::string& /*path*/) { return nullptr; }

}  // namespace sim
