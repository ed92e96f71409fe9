// The standard streams carry the same bytes on every platform. On Windows the
// C runtime opens them in text mode, which writes each "\n" as "\r\n": they are
// put in binary mode, so that a dump or telemetry on standard output ("-") is
// the file's text byte for byte, and the page text at the end is the same on
// both builds. The platform's part: sim/posix/, sim/windows/standard_streams.cpp.
#pragma once

namespace sim {

// Call once, before anything is written.
void writeStandardStreamsAsBytes();

}  // namespace sim
