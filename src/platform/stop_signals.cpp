#include "platform/stop_signals.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t caughtSignal = 0;

void NoteStopSignal(int signal)
{
    if (caughtSignal == 0) caughtSignal = signal;
}

} // namespace

void CatchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = NoteStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int StopSignalCaught() { return caughtSignal; }
