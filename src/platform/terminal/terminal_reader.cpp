#include "platform/terminal/terminal_reader.h"

#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <utility>

namespace kippfeld::platform {

std::uint64_t MonotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000 +
         static_cast<std::uint64_t>(now.tv_nsec / 1'000'000);
}

TerminalReader::TerminalReader(int fd, Clock clock)
    : fd_(fd), clock_(std::move(clock)), quietAtMs_(clock_()) {}

bool TerminalReader::Pump() {
  for (int reads = 0; reads < kMaxReadsPerPump && !QueueFull(); ++reads) {
    // Taken before the look: a byte that arrives during it is not counted
    // as having come after a quiet moment it may have missed.
    const std::uint64_t lookedAt = clock_();
    pollfd terminal{fd_, POLLIN, 0};
    int ready = poll(&terminal, 1, 0);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return true;
    if (ready == 0) {
      quietAtMs_ = lookedAt;
      return true;
    }
    if ((terminal.revents & POLLIN) == 0)
      return (terminal.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0;
    char bytes[kReadSize];
    ssize_t count = read(fd_, bytes, sizeof bytes);
    if (count > 0) {
      decoder_.Feed(std::string_view(bytes, static_cast<std::size_t>(count)), clock_(), quietAtMs_);
    } else if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
      // End of file or EIO: the terminal has been hung up.
      return false;
    }
  }
  return true;
}

void TerminalReader::Settle() {
  decoder_.Expire(quietAtMs_);
}

}  // namespace kippfeld::platform
