// The standard streams carry the same bytes on every platform. On Windows the
// C runtime opens them in text mode, which writes each "\n" as "\r\n": they are
// put in binary mode, so that a dump or telemetry on standard output ("-") is
// the file's text byte for byte, and the page text at the end is the same on
// both builds. The platform's part: sim/posix/, sim/windows/standard_streams.cpp.
#pragma once

#include <string>

namespace sim {

// Call once, before anything is written.
void writeStandardStreamsAsBytes();

// Whether an output path leads to the pipe, socket or file that standard
// output is (/dev/stdout, /proc/self/fd/1, or the file it was sent to), so
// that the terminal lines move to standard error as for "-". A device such as
// a terminal or the null device is not taken. Never on Windows, which has no
// such names.
bool leadsToStandardOutput(const std::string& path);

}  // namespace sim
