// Interruptions as console control events. The handler runs on a thread of
// its own: it records the event and returns TRUE, so that the process goes on
// to the end of its step. For the close event the system ends the process
// when the handler returns, so that handler waits (up to the system's limit
// of a few seconds) for the run to commit its outputs.
#include "platform/interrupt.h"

#include <windows.h>

#include <atomic>

namespace sim {
namespace {

std::atomic<int> received{0};  // the exit status asked for, 0 = none

BOOL WINAPI onControl(DWORD event) {
  // Ctrl-C is SIGINT's counterpart (130); Ctrl-Break and the close, logoff and
  // shutdown events SIGTERM's (143).
  const int status = event == CTRL_C_EVENT ? 130 : 143;
  int none = 0;
  if (!received.compare_exchange_strong(none, status)) return FALSE;  // a second request
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
    Sleep(INFINITE);  // the process ends once the run has exited
  return TRUE;
}

}  // namespace

void watchInterrupts() { SetConsoleCtrlHandler(onControl, TRUE); }

int interruptStatus() { return received.load(); }

}  // namespace sim
