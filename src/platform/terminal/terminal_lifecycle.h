// Everything that must hold however the program ends: the terminal's own
// settings are saved before anything changes them, a reset string is kept
// ready, and signal handlers give the terminal back before the process dies.
// The handlers only set a flag, write to a pipe, or write the precomputed
// string and call tcsetattr: nothing that allocates or takes a lock, since a
// crash may strike inside malloc or inside curses.
#pragma once

#include <string>

namespace kippfeld::platform {

// Opens the player's terminal for reading and writing: the controlling
// terminal, else the terminal on standard output or standard error (a
// process started without a controlling terminal may still have one there).
// Returns -1 when there is none.
int OpenTerminal();

// Saves the terminal's settings as they are now; every way out restores them.
void SaveTerminalSettings(int fd);
// The orderly way back to the saved settings, once what was written has gone out.
void RestoreTerminalSettings();

// Makes the string written, with the saved settings restored, by a signal
// handler that ends the process. Until it is armed, the handlers restore the
// settings alone.
void ArmEmergencyReset(const std::string& reset);
// After the orderly way out has given the terminal back, the handlers must not
// write to it again.
void DisarmEmergencyReset();
// Writes the reset string and restores the settings; async-signal-safe, and
// does its work at most once. Never blocks: a terminal that takes nothing
// (a stalled link) gets a quarter of a second, then the settings are
// restored all the same, without waiting for pending output.
void EmergencyReset();

// Installs the handlers: SIGWINCH marks a resize and wakes WakeFd(); the
// ending signals (SIGTERM, SIGINT, SIGHUP, SIGQUIT) and the crashes (SIGSEGV,
// SIGABRT, SIGBUS, SIGFPE, SIGILL) reset the terminal and end the process as
// the signal would. A signal the process was started with ignored (nohup,
// a background job) stays ignored. Must run before curses starts, which
// leaves alone any signal that already has a handler.
bool InstallSignalHandlers();

// Readable after a SIGWINCH, so that a wait in poll() ends with it.
int WakeFd();
// True once after each resize signal. Cheap enough for every operation: it
// looks at a flag and touches the pipe only when the flag is set.
bool TakeResize();
// Empties the wake pipe. A waiter that woke on it must call this itself: the
// byte of a signal whose flag an earlier TakeResize already took would
// otherwise keep poll() returning at once.
void DrainWake();

}  // namespace kippfeld::platform
