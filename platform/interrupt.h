// Requests from outside to stop the run: SIGINT, SIGTERM and SIGHUP on POSIX
// systems, Ctrl-C, Ctrl-Break and the console's close event on Windows. The
// run stops at the end of the step in progress and commits its outputs; the
// process then exits with the status of the request, 128 + the signal number
// (130 for SIGINT, 143 for SIGTERM, 129 for SIGHUP). A second request while
// the first is being honoured ends the process at once, the platform's way.
// The platform's part: platform/posix/process/interrupt.cpp, platform/win32/process/interrupt.cpp.
#pragma once

namespace sim {

// Installs the handlers; call once, before the run.
void watchInterrupts();

// The exit status the first request asks for, or 0 while none has come.
// Safe to call at any time, also without watchInterrupts (then always 0).
int interruptStatus();

}  // namespace sim
