// Everything that must hold however the program ends: the terminal's own
// settings are saved before anything changes them, a reset string is kept
// ready, and signal handlers give the terminal back before the process dies.
// The handlers only set a flag, write to a pipe, or write the precomputed
// string and call tcsetattr: nothing that allocates or takes a lock, since a
// crash may strike inside malloc or inside curses.
#pragma once

#include <string>
#include <string_view>

namespace kippfeld::platform {

// Mouse reporting as the game uses it: 1000 reports presses and releases,
// 1003 every motion as well, 1006 puts them in the SGR form that tells which
// button was released and has no limit on the column. Off in reverse order.
inline constexpr std::string_view kMouseReportingOn = "\x1b[?1000h\x1b[?1003h\x1b[?1006h";
inline constexpr std::string_view kMouseReportingOff = "\x1b[?1006l\x1b[?1003l\x1b[?1000l";

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
// settings alone. Arming it again (after a resize) replaces it at once: a
// signal meanwhile finds the one or the other.
void ArmEmergencyReset(const std::string& reset);
// After the orderly way out has given the terminal back, the handlers must not
// write to it again.
void DisarmEmergencyReset();
// Writes the reset string and restores the settings; async-signal-safe, and
// does its work at most once. The output still queued for the terminal is
// discarded first, so that the reset takes its place even in a full queue.
// Never blocks: a terminal that takes nothing gets a quarter of a second,
// then the settings are restored all the same.
void EmergencyReset();

// Job control. Once armed with the string that takes the terminal back (the
// alternate screen) and the settings as they are now (the program's raw
// ones), a SIGTSTP gives the terminal back exactly as at the end (settings,
// mouse reporting off, alternate screen left, cursor shown, colours reset)
// and stops the process; a SIGCONT takes it back: the program's settings,
// the alternate screen, mouse reporting if it was on; TakeRepaint then asks
// for the whole screen.
void ArmJobControl(const std::string& take);
// The way out has begun: a stop no longer takes the terminal back after it.
void EndJobControl();
// Whether mouse reporting is on, for taking the terminal back. Set before
// sending the sequences, so that a stop between the two leaves nothing on.
void NoteMouseReporting(bool on);
// True while the terminal is given back and not yet taken (the process was
// continued in the background): nothing may be drawn.
bool TerminalGivenBack();
// For the program, while TerminalGivenBack: takes the terminal back in the
// foreground; in the background stops the process until the shell brings it
// to the foreground (and the SIGCONT handler takes the terminal then).
void TakeTerminalBack();
// True once after the terminal was taken back: all of the screen must be
// drawn again, whatever the program believes the terminal shows.
bool TakeRepaint();

// Installs the handlers: SIGWINCH marks a resize and wakes WakeFd(); SIGTSTP
// and SIGCONT give the terminal back and take it again (see ArmJobControl);
// the ending signals (SIGTERM, SIGINT, SIGHUP, SIGQUIT) and the crashes
// (SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL) reset the terminal and end the
// process as the signal would. A signal the process was started with
// ignored (nohup, a background job) stays ignored. Must run before curses
// starts, which leaves alone any signal that already has a handler.
bool InstallSignalHandlers();

// Readable after a SIGWINCH or a SIGCONT, so that a wait in poll() ends with it.
int WakeFd();
// True once after each resize signal. Cheap enough for every operation: it
// looks at a flag and touches the pipe only when the flag is set.
bool TakeResize();
// Empties the wake pipe. A waiter that woke on it must call this itself: the
// byte of a signal whose flag an earlier TakeResize already took would
// otherwise keep poll() returning at once.
void DrainWake();

}  // namespace kippfeld::platform
