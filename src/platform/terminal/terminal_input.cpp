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

// Reads per Pump: a flood of mouse reports must not keep a look at the input
// from returning.
constexpr int kMaxReadsPerPump = 16;
constexpr std::size_t kReadSize = 4096;
// How often a wait looks at the terminal's size when no signal tells it.
constexpr std::uint64_t kSizeCheckMs = 100;

std::uint64_t MonotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000 +
         static_cast<std::uint64_t>(now.tv_nsec / 1'000'000);
}

bool Hangup(short events) {
  return (events & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

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

bool TerminalPlatform::QueueFull() const {
  return decoder_.RecordCount() >= kMaxQueuedRecords;
}

void TerminalPlatform::Pump() {
  if (shutDown_ || !inputOpen_) return;
  // What is not read stays in the terminal's own buffer, which holds the
  // sender back once it is full: a huge paste costs a bounded queue here,
  // not memory in proportion to its size.
  for (int reads = 0; reads < kMaxReadsPerPump && !QueueFull(); ++reads) {
    pollfd terminal{fd_, POLLIN, 0};
    int ready = poll(&terminal, 1, 0);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return;
    if ((terminal.revents & POLLIN) == 0) {
      if (Hangup(terminal.revents)) TerminalClosed();
      return;
    }
    char bytes[kReadSize];
    ssize_t count = read(fd_, bytes, sizeof bytes);
    if (count > 0) {
      decoder_.Feed(std::string_view(bytes, static_cast<std::size_t>(count)), MonotonicMs());
    } else if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
      // End of file or EIO: the terminal has been hung up.
      TerminalClosed();
    }
  }
}

void TerminalPlatform::TerminalClosed() {
  closed_ = true;
  Shutdown();
  std::exit(kTerminalClosedExitCode);
}

bool TerminalPlatform::TakeRecord() {
  if (front_) return true;
  Pump();
  decoder_.Expire(MonotonicMs());
  InputRecord next;
  if (decoder_.Pop(next)) front_ = next;
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
  decoder_.Pop(dropped);
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
  const std::uint64_t deadline = MonotonicMs() + milliseconds;
  for (;;) {
    std::uint64_t now = MonotonicMs();
    if (untilInput && inputOpen_) {
      decoder_.Expire(now);
      if (decoder_.HasRecords()) return true;
    }
    if (now >= deadline) return false;
    // Never asleep for long at a time: where no resize signal comes (no
    // controlling terminal) a wake-up is when a new size is noticed.
    int timeout = static_cast<int>(std::min<std::uint64_t>(deadline - now, kSizeCheckMs));
    // A lone Esc becomes a key when its time is up, with no byte to wake us.
    if (std::optional<std::uint64_t> due = decoder_.Deadline(); untilInput && due)
      timeout = std::min(timeout, static_cast<int>(*due > now ? *due - now : 0));
    // Input is read as it comes, so that it is timed right, as long as the
    // queue has room; a fixed pause leaves it queued for the next look.
    bool readTerminal = inputOpen_ && !shutDown_ && !QueueFull();
    pollfd waits[2] = {{readTerminal ? fd_ : -1, POLLIN, 0}, {WakeFd(), POLLIN, 0}};
    int ready = poll(waits, 2, timeout);
    if (ready > 0 && waits[0].revents != 0) Pump();
    if (ready > 0 && waits[1].revents != 0) DrainWake();
    // A resize during a wait repaints at once rather than leaving the
    // terminal's rearranged screen until the next input.
    Sync(true);
    Present();
  }
}

}  // namespace kippfeld::platform
