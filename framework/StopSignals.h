// SIGINT, SIGTERM and SIGHUP end the game as its window's close button does: the handler
// only notes the signal, and the main loop, which asks each frame, ends the current state,
// calls OnGameEnd and lets the device close (which gives the desktop its video mode back).
// A second signal while the game is ending ends the process at once.
#pragma once

namespace StopSignals {

// Installs the handler for the three signals.
void Install();
// The first stop signal received since Install, or 0.
int Received();
// The exit status of a program that received `signal`: 0 for SIGINT, 128 + the signal
// for the others.
int ExitStatusFor(int signal);
// `status`, unless a stop signal was received: then that signal's exit status.
int ExitStatus(int status);

}  // namespace StopSignals
