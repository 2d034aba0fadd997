// The input half of the terminal backend: the terminal's bytes go into the
// decoder as they arrive, and the console's look-and-remove queue is served
// from the decoder's records. Waiting is poll() on the terminal and on the
// resize pipe, so a sleeping program uses no processor time, reads input as
// it arrives (the decoder times double clicks and a lone Esc by it) and
// still notices a closed terminal at once.
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>

#include "platform/terminal/terminal_lifecycle.h"
#include "platform/terminal/terminal_platform.h"

namespace kippfeld::platform {

namespace {

// How often a wait looks at the terminal's size when no signal tells it.
constexpr std::uint64_t kSizeCheckMs = 100;

}  // namespace

void TerminalPlatform::WriteToTerminal(const std::string& bytes) {
  // Curses has flushed everything it had by the end of each doupdate, so a
  // direct write cannot land inside one of its sequences.
  const char* data = bytes.data();
  std::size_t length = bytes.size();
  while (length > 0 && fd_ >= 0) {
    ssize_t written = write(fd_, data, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    data += written;
    length -= static_cast<std::size_t>(written);
  }
}

void TerminalPlatform::SetMouseModes(bool on) {
  if (on == mouseOn_) return;
  NoteMouseReporting(on);
  WriteToTerminal(std::string(on ? kMouseReportingOn : kMouseReportingOff));
  mouseOn_ = on;
}

bool TerminalPlatform::GetInputMode(std::uint32_t& mode) {
  mode = inputMode_;
  return true;
}

// The terminal stays raw whatever the mode says: line input, echo and
// processed input (Ctrl+C as a signal) are what start-up switches off and
// nothing switches on again. Only the mouse bit reaches the terminal.
void TerminalPlatform::SetInputMode(std::uint32_t mode) {
  inputMode_ = mode;
  if (!shutDown_ && !closed_) SetMouseModes((mode & kMouseInput) != 0);
}

void TerminalPlatform::Pump() {
  if (shutDown_ || !inputOpen_) return;
  if (!reader_.Pump()) TerminalClosed();
  reader_.Settle();
}

void TerminalPlatform::TerminalClosed() {
  closed_ = true;
  Shutdown();
  std::exit(kTerminalClosedExitCode);
}

bool TerminalPlatform::TakeRecord() {
  if (front_) return true;
  Pump();
  InputRecord next;
  if (reader_.Decoder().Pop(next)) front_ = next;
  return front_.has_value();
}

bool TerminalPlatform::PeekInput(InputRecord& record) {
  Sync();
  // While records are waiting the screen is not shown: the program is about
  // to redraw it for the next one anyway, and a burst of keys costs the
  // terminal only the screen that is left when the burst has been answered.
  if (!inputOpen_ || !TakeRecord()) {
    Present();
    return false;
  }
  record = *front_;
  return true;
}

void TerminalPlatform::RemoveInput() {
  if (front_) {
    front_.reset();
    return;
  }
  InputRecord dropped;
  reader_.Decoder().Pop(dropped);
}

void TerminalPlatform::Sleep(std::uint32_t milliseconds) {
  Wait(milliseconds, false);
}

bool TerminalPlatform::SleepUntilInput(std::uint32_t milliseconds) {
  return Wait(milliseconds, true);
}

bool TerminalPlatform::Wait(std::uint32_t milliseconds, bool untilInput) {
  Sync();
  if (untilInput && inputOpen_ && TakeRecord()) return true;
  Present();
  const std::uint64_t deadline = reader_.Now() + milliseconds;
  for (;;) {
    // Input is read as it comes, so that it is timed right, as long as the
    // queue has room; a fixed pause leaves it queued for the next look.
    Pump();
    if (untilInput && inputOpen_ && reader_.Decoder().HasRecords()) return true;
    std::uint64_t now = reader_.Now();
    if (now >= deadline) return false;
    // Never asleep for long at a time: where no resize signal comes (no
    // controlling terminal) a wake-up is when a new size is noticed.
    int timeout = static_cast<int>(std::min<std::uint64_t>(deadline - now, kSizeCheckMs));
    bool readTerminal = inputOpen_ && !shutDown_ && !reader_.QueueFull();
    // A lone Esc becomes a key when its time is up, with no byte to wake us:
    // the look at the top of the loop then finds the terminal quiet.
    if (std::optional<std::uint64_t> due = reader_.Deadline(); readTerminal && due)
      timeout = std::min(timeout, static_cast<int>(*due > now ? *due - now : 0));
    pollfd waits[2] = {{readTerminal ? fd_ : -1, POLLIN, 0}, {WakeFd(), POLLIN, 0}};
    int ready = poll(waits, 2, timeout);
    if (ready > 0 && waits[1].revents != 0) DrainWake();
    // A resize during a wait repaints at once rather than leaving the
    // terminal's rearranged screen until the next input.
    Sync(true);
    Present();
  }
}

}  // namespace kippfeld::platform
