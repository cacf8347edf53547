#include "framework/StopSignals.h"

#include <signal.h>
#include <unistd.h>

#include <initializer_list>

namespace {

volatile sig_atomic_t received = 0;

// Async-signal-safe: it writes a flag or ends the process with _exit.
void OnStopSignal(int signal)
{
    if (received) _exit(StopSignals::ExitStatusFor(signal));
    received = signal;
}

}  // namespace

namespace StopSignals {

void Install()
{
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // A signal must not make a call in progress fail (the X display's opening while the
    // window is made again, a settings write): the call goes on and the loop asks later.
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

int Received()
{
    return received;
}

int ExitStatusFor(int signal)
{
    return signal == SIGINT ? 0 : 128 + signal;
}

int ExitStatus(int status)
{
    return received ? ExitStatusFor(received) : status;
}

}  // namespace StopSignals
