// Interruptions as POSIX signals. The handler only records the signal; the
// loop polls it between steps. SA_RESETHAND puts the default action back, so
// a second Ctrl-C kills a run that no longer reaches the end of its step.
// SA_RESTART keeps a write that the signal arrives in from failing with EINTR.
#include "platform/interrupt.h"

#include <signal.h>

#include <initializer_list>

namespace sim {
namespace {

volatile sig_atomic_t received = 0;  // the first signal, 0 = none

extern "C" void onSignal(int signal) {
  if (received == 0) received = signal;
}

}  // namespace

void watchInterrupts() {
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

int interruptStatus() { return received != 0 ? 128 + received : 0; }

}  // namespace sim
