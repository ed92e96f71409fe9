// The standard streams carry the same bytes on every platform. On Windows the
// C runtime opens them in text mode, which writes each "\n" as "\r\n": they are
// put in binary mode, so that a dump or telemetry on standard output ("-") is
// the file's text byte for byte, and the page text at the end is the same on
// both builds. The platform's part: platform/{posix,win32}/process/standard_streams.cpp.
#pragma once

#include <cstdio>
#include <string>

namespace sim {

// Call once, before anything is written.
void writeStandardStreamsAsBytes();

// The standard stream (stdout or stderr) whose pipe, socket or file an output
// path leads to (/dev/stdout, /proc/self/fd/2, or the file the stream was sent
// to), or null. Such an output is written through the stream itself, never
// replaced as a file would be (that would lose what `>>` appended to), and on
// standard output it moves the terminal lines to standard error as "-" does.
// A device such as a terminal or the null device is not taken: it is written
// through its own name. Never on Windows, which has no such names.
std::FILE* standardStreamAt(const std::string& path);

}  // namespace sim
