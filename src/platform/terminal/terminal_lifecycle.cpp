#include "platform/terminal/terminal_lifecycle.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>

namespace kippfeld::platform {

namespace {

// The handlers read these; nothing here is freed while the process lives.
// Each group of plain data is guarded by a flag (gSettingsSaved, gArmed,
// gJobControl) that is cleared before the data is written and set after it,
// with a signal fence on either side; see Publish and Published. The reset
// string is armed again on every resize without a moment unarmed: it has two
// slots, and a new one is written into the slot the handlers do not read,
// then made theirs.
constexpr std::size_t kResetCapacity = 512;
char gReset[2][kResetCapacity];
std::size_t gResetLength[2] = {0, 0};
volatile std::sig_atomic_t gResetSlot = 0;
volatile std::sig_atomic_t gTerminalFd = -1;
termios gSavedSettings;
volatile std::sig_atomic_t gSettingsSaved = 0;
volatile std::sig_atomic_t gArmed = 0;
std::atomic<bool> gResetDone{false};
volatile std::sig_atomic_t gResized = 0;
int gWakePipe[2] = {-1, -1};

// Job control: what takes the terminal back after a stop, and the state of
// the give and take.
constexpr std::size_t kTakeCapacity = 128;
char gTake[kTakeCapacity];
std::size_t gTakeLength = 0;
termios gProgramSettings;  // the raw settings the program runs with
volatile std::sig_atomic_t gJobControl = 0;
volatile std::sig_atomic_t gMouseReporting = 0;
volatile std::sig_atomic_t gGivenBack = 0;
volatile std::sig_atomic_t gRepaint = 0;

// A crash by stack overflow needs a stack of its own to run the reset on.
alignas(16) char gSignalStack[64 * 1024];

constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};
constexpr int kCrashSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};

static_assert(std::atomic<bool>::is_always_lock_free, "the reset flag is used in signal handlers");

// A signal handler runs on the program's own thread, between any two of its
// instructions, and the compiler is free to move plain stores (the copy of a
// string, the settings tcgetattr fills in) past the store to a volatile
// flag: a signal arriving in between, during set-up as much as later, would
// find the flag set and the data it guards half written. The fences keep
// the order in which the source writes them. No test can catch their
// absence: it shows only with a compiler that reorders and a signal landing
// within those few instructions.
void Publish(volatile std::sig_atomic_t& flag) {
  std::atomic_signal_fence(std::memory_order_release);
  flag = 1;
}

// Before the data is written again: a handler must see the flag cleared
// before any of the data changes.
void Withdraw(volatile std::sig_atomic_t& flag) {
  flag = 0;
  std::atomic_signal_fence(std::memory_order_seq_cst);
}

// In a handler: whether the data the flag guards may be read.
bool Published(const volatile std::sig_atomic_t& flag) {
  const bool set = flag != 0;
  std::atomic_signal_fence(std::memory_order_acquire);
  return set;
}

// How long a handler waits for a terminal that takes no output (a stalled
// link, a paused terminal): long enough for a slow line to take the reset,
// short enough that an ending signal still ends the game at once.
constexpr int kHandlerWriteBudgetMs = 250;

std::int64_t MonotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

// Writes for at most budgetMs and never blocks beyond that: the signal may
// have struck while the program was blocked writing to a terminal that
// reads nothing, and a handler that blocked too would keep the process
// alive with every signal masked. O_NONBLOCK belongs to the open file
// description, which curses' stream shares (and, when the terminal came from
// a standard handle, the shell): it is set only for these writes and the
// flags are put back as they were. Async-signal-safe.
void WriteBounded(int fd, const char* data, std::size_t length, int budgetMs) {
  int flags = fcntl(fd, F_GETFL);
  bool madeNonBlocking =
      flags >= 0 && (flags & O_NONBLOCK) == 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
  std::int64_t deadline = MonotonicMs() + budgetMs;
  while (length > 0) {
    ssize_t written = write(fd, data, length);
    if (written > 0) {
      data += written;
      length -= static_cast<std::size_t>(written);
      continue;
    }
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      std::int64_t left = deadline - MonotonicMs();
      if (left <= 0) break;
      pollfd terminal{fd, POLLOUT, 0};
      poll(&terminal, 1, static_cast<int>(left));
      continue;
    }
    break;  // a closed terminal takes nothing more; there is no one to tell
  }
  if (madeNonBlocking) fcntl(fd, F_SETFL, flags);
}

void Wake() {
  if (gWakePipe[1] < 0) return;
  char byte = 'w';
  // A full pipe already holds a wake-up; losing this byte loses nothing.
  [[maybe_unused]] ssize_t ignored = write(gWakePipe[1], &byte, 1);
}

void OnResize(int) {
  int savedErrno = errno;
  gResized = 1;
  Wake();
  errno = savedErrno;
}

// The terminal as it was found: the reset string and the saved settings,
// without waiting for output still queued. At the end (discardQueued) that
// output is thrown away first: it is only screen content, and on a
// terminal that reads nothing (a stalled link, a paused terminal) it would
// keep the reset out of the full queue, leaving the terminal in the
// game's modes whenever it reads again.
void GiveBack(bool discardQueued) {
  if (discardQueued) tcflush(gTerminalFd, TCOFLUSH);
  if (Published(gArmed)) {
    const int slot = gResetSlot;
    WriteBounded(gTerminalFd, gReset[slot], gResetLength[slot], kHandlerWriteBudgetMs);
  }
  if (Published(gSettingsSaved)) tcsetattr(gTerminalFd, TCSANOW, &gSavedSettings);
}

bool InForeground() {
  return tcgetpgrp(gTerminalFd) == getpgrp();
}

// The program's modes again, and the whole screen drawn anew by the program
// at its next operation or wait (it learns of it through TakeRepaint).
// Only in the foreground: a job continued in the background must leave the
// terminal to the shell. There it stays given back, and the program's next
// operation stops it as the terminal stops a background job that would
// change its settings, until the shell brings it to the foreground.
// Async-signal-safe.
void Take() {
  if (!Published(gJobControl)) return;
  if (!InForeground()) {
    gGivenBack = 1;
    Wake();
    return;
  }
  tcsetattr(gTerminalFd, TCSANOW, &gProgramSettings);
  WriteBounded(gTerminalFd, gTake, gTakeLength, kHandlerWriteBudgetMs);
  if (gMouseReporting) {
    WriteBounded(gTerminalFd, kMouseReportingOn.data(), kMouseReportingOn.size(),
                 kHandlerWriteBudgetMs);
  }
  gGivenBack = 0;
  // The size may have changed while the program was stopped.
  gResized = 1;
  gRepaint = 1;
  Wake();
}

// Stops the process as the signal's default action would, then puts this
// handler back. Returns when the process is continued, or at once when the
// system does not stop it (a process group without a shell to continue it
// ignores the stop signals).
void StopAsTheSignalWould(int signalNumber) {
  struct sigaction byDefault;
  std::memset(&byDefault, 0, sizeof byDefault);
  byDefault.sa_handler = SIG_DFL;
  sigemptyset(&byDefault.sa_mask);
  struct sigaction mine;
  if (sigaction(signalNumber, &byDefault, &mine) != 0) return;
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signalNumber);
  sigset_t before;
  sigprocmask(SIG_UNBLOCK, &only, &before);
  raise(signalNumber);
  sigprocmask(SIG_SETMASK, &before, nullptr);
  sigaction(signalNumber, &mine, nullptr);
}

bool ContinuePending() {
  sigset_t pending;
  return sigpending(&pending) == 0 && sigismember(&pending, SIGCONT) == 1;
}

// SIGTSTP (kill -TSTP; Ctrl+Z is a key, the terminal being raw): the
// terminal is given back exactly as at the end, then the process stops.
void OnStop(int) {
  int savedErrno = errno;
  bool giving = Published(gJobControl);
  if (giving) {
    GiveBack(false);
    gGivenBack = 1;
  }
  StopAsTheSignalWould(SIGTSTP);
  // A continued process has its SIGCONT waiting for this handler to end;
  // OnContinue takes the terminal then. No SIGCONT means no stop happened.
  if (giving && !ContinuePending()) Take();
  errno = savedErrno;
}

// SIGCONT, after any stop (SIGTSTP, SIGSTOP, the terminal's SIGTTIN or
// SIGTTOU): whoever had the terminal meanwhile may have changed it.
void OnContinue(int) {
  int savedErrno = errno;
  Take();
  errno = savedErrno;
}

// Installed with SA_RESETHAND, so the action is the default again by the
// time the raised signal is delivered: after the handler returns for a
// signal sent by kill, or when the faulting instruction runs again.
void OnFatalSignal(int signalNumber) {
  int savedErrno = errno;
  EmergencyReset();
  raise(signalNumber);
  errno = savedErrno;
}

bool Install(int signalNumber, void (*handler)(int), int flags) {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = handler;
  action.sa_flags = flags;
  sigfillset(&action.sa_mask);
  return sigaction(signalNumber, &action, nullptr) == 0;
}

bool IsIgnored(int signalNumber) {
  struct sigaction current;
  if (sigaction(signalNumber, nullptr, &current) != 0) return false;
  return current.sa_handler == SIG_IGN;
}

}  // namespace

int OpenTerminal() {
  int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd >= 0) return fd;
  for (int candidate : {STDOUT_FILENO, STDERR_FILENO}) {
    if (!isatty(candidate)) continue;
    // A fresh descriptor of our own, so that nothing we do to it (and curses
    // closing it at the end) touches the standard handles.
    if (const char* name = ttyname(candidate)) {
      fd = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
      if (fd >= 0) return fd;
    }
    if ((fcntl(candidate, F_GETFL) & O_ACCMODE) == O_RDWR) {
      fd = fcntl(candidate, F_DUPFD_CLOEXEC, 3);
      if (fd >= 0) return fd;
    }
  }
  return -1;
}

void SaveTerminalSettings(int fd) {
  Withdraw(gSettingsSaved);
  gTerminalFd = fd;
  if (tcgetattr(fd, &gSavedSettings) == 0) Publish(gSettingsSaved);
}

void RestoreTerminalSettings() {
  if (gTerminalFd >= 0 && gSettingsSaved != 0) tcsetattr(gTerminalFd, TCSADRAIN, &gSavedSettings);
}

void ArmEmergencyReset(const std::string& reset) {
  const int slot = gArmed != 0 ? 1 - gResetSlot : gResetSlot;
  gResetLength[slot] = std::min(reset.size(), kResetCapacity);
  std::memcpy(gReset[slot], reset.data(), gResetLength[slot]);
  std::atomic_signal_fence(std::memory_order_release);
  gResetSlot = slot;
  Publish(gArmed);
}

void DisarmEmergencyReset() {
  gResetDone.store(true);
}

void EmergencyReset() {
  gJobControl = 0;
  if (gResetDone.exchange(true)) return;
  if (gTerminalFd < 0) return;
  GiveBack(true);
}

void ArmJobControl(const std::string& take) {
  Withdraw(gJobControl);
  if (gTerminalFd < 0 || tcgetattr(gTerminalFd, &gProgramSettings) != 0) return;
  gTakeLength = std::min(take.size(), kTakeCapacity);
  std::memcpy(gTake, take.data(), gTakeLength);
  Publish(gJobControl);
}

void EndJobControl() {
  gJobControl = 0;
}

void NoteMouseReporting(bool on) {
  gMouseReporting = on ? 1 : 0;
}

bool TerminalGivenBack() {
  return gGivenBack != 0;
}

void TakeTerminalBack() {
  if (!gGivenBack || !gJobControl) return;
  if (!InForeground()) {
    // What the terminal does to a background job that changes its
    // settings: stop it. (Ignored with SIGTTOU ignored: then the program
    // just keeps off the terminal.)
    raise(SIGTTOU);
    return;
  }
  // As in the handlers, without a stop or a continue cutting in between.
  sigset_t jobSignals;
  sigemptyset(&jobSignals);
  sigaddset(&jobSignals, SIGTSTP);
  sigaddset(&jobSignals, SIGCONT);
  sigset_t before;
  sigprocmask(SIG_BLOCK, &jobSignals, &before);
  Take();
  sigprocmask(SIG_SETMASK, &before, nullptr);
}

bool TakeRepaint() {
  if (!gRepaint) return false;
  gRepaint = 0;
  DrainWake();
  return true;
}

bool InstallSignalHandlers() {
  if (gWakePipe[0] < 0) {
    if (pipe(gWakePipe) != 0) return false;
    for (int end : gWakePipe) {
      fcntl(end, F_SETFD, FD_CLOEXEC);
      fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
    }
  }

  stack_t stack;
  std::memset(&stack, 0, sizeof stack);
  stack.ss_sp = gSignalStack;
  stack.ss_size = sizeof gSignalStack;
  bool haveStack = sigaltstack(&stack, nullptr) == 0;

  bool ok = Install(SIGWINCH, OnResize, SA_RESTART);
  // Left alone when started ignored, as under a shell without job control.
  if (!IsIgnored(SIGTSTP)) ok = Install(SIGTSTP, OnStop, SA_RESTART) && ok;
  ok = Install(SIGCONT, OnContinue, SA_RESTART) && ok;
  for (int signalNumber : kEndingSignals)
    if (!IsIgnored(signalNumber)) ok = Install(signalNumber, OnFatalSignal, SA_RESETHAND) && ok;
  for (int signalNumber : kCrashSignals)
    ok = Install(signalNumber, OnFatalSignal, SA_RESETHAND | (haveStack ? SA_ONSTACK : 0)) && ok;
  return ok;
}

int WakeFd() {
  return gWakePipe[0];
}

bool TakeResize() {
  if (!gResized) return false;
  gResized = 0;
  DrainWake();
  return true;
}

void DrainWake() {
  char buffer[64];
  while (gWakePipe[0] >= 0 && read(gWakePipe[0], buffer, sizeof buffer) > 0) {
  }
}

}  // namespace kippfeld::platform
