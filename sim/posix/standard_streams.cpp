// POSIX systems write the bytes given: nothing to do.
#include "sim/standard_streams.h"

namespace sim {

void writeStandardStreamsAsBytes() {}

}  // namespace sim
