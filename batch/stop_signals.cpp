#include "batch/stop_signals.h"

#include <signal.h>

#include <initializer_list>

namespace pelloran {
namespace {

volatile sig_atomic_t caught = 0;

extern "C" void RememberStopSignal(int signal) {
  // A second signal while stopping ends the command at once, as usual.
  if (caught != 0) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
  }
  caught = signal;
}

}  // namespace

void CatchStopSignals() {
  struct sigaction action = {};
  action.sa_handler = RememberStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // file steps in hand go on undisturbed
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
}

int StopSignal() { return caught; }

}  // namespace pelloran
