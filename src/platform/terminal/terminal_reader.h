// The terminal's bytes into the decoder, as far as the decoder's queue has
// room. What is not read stays in the terminal's own buffer, which holds the
// sender back once it is full: a huge paste costs a bounded queue here, not
// memory in proportion to its size.
//
// Back-pressure must never change what a byte means. A byte that waited
// unread (the queue was full, the program was busy) came at some unknown
// time after the terminal was last seen with nothing to read, so that time,
// not the time of reading, is what decides whether an Esc was alone: an Esc
// is settled only once the terminal has been seen without a byte that could
// continue it, after its time ran out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/terminal/decoder.h"

namespace kippfeld::platform {

// Milliseconds of a clock that never goes back.
std::uint64_t MonotonicMs();

class TerminalReader {
 public:
  using Clock = std::function<std::uint64_t()>;

  // Decoded records kept at most; the rest waits in the terminal. A few
  // thousand keep a burst flowing at full speed and cost well under 1 MiB.
  static constexpr std::size_t kMaxQueuedRecords = 4096;
  static constexpr std::size_t kReadSize = 4096;
  // Reads per Pump: a flood of mouse reports must not keep a look at the
  // input from returning.
  static constexpr int kMaxReadsPerPump = 16;

  // Reads fd (not owned) and times what it reads by clock.
  explicit TerminalReader(int fd, Clock clock = MonotonicMs);

  // Reads what the terminal has ready into the decoder, without waiting and
  // only while the queue has room. False when the terminal has gone away
  // (end of file, EIO, hang-up).
  bool Pump();
  // Settles what the decoder holds (a lone Esc, a cut-off sequence) if its
  // time ran out before the terminal was last seen with nothing to read.
  void Settle();
  // When Settle may have something to settle, if the terminal is then seen
  // with nothing to read.
  std::optional<std::uint64_t> Deadline() const { return decoder_.Deadline(); }
  bool QueueFull() const { return decoder_.RecordCount() >= kMaxQueuedRecords; }
  std::uint64_t Now() const { return clock_(); }

  InputDecoder& Decoder() { return decoder_; }

 private:
  int fd_;
  Clock clock_;
  InputDecoder decoder_;
  // The last time a look at the terminal found nothing to read.
  std::uint64_t quietAtMs_ = 0;
};

}  // namespace kippfeld::platform
