// Terminal input bytes to console input records, as a pure function of the
// bytes and the time they arrived: no terminal, no clock, no curses. The
// backend reads the terminal and feeds what it got; tests feed byte strings.
//
// A terminal sends keys as characters (UTF-8) and escape sequences, and the
// mouse as reports; the console the game was written for delivers key-down and
// key-up records with a code page 850 byte, a scan code and the control-key
// state, and mouse records with a button state and event flags. This turns the
// one into the other, keeping what cannot be decided yet (a lone Esc, half a
// sequence) until more bytes or enough time arrive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "console/platform.h"
#include "platform/terminal/sequences.h"

namespace kippfeld::platform {

class InputDecoder {
 public:
  // How long an Esc, or the start of a sequence, waits for the rest. Terminals
  // send a sequence in one write, so 25 ms separates them from a person's Esc.
  static constexpr std::uint64_t kEscapeTimeoutMs = 25;
  // A second press of the same button on the same cell within this time is a
  // double click, as the console counts it.
  static constexpr std::uint64_t kDoubleClickMs = 500;
  // Bytes kept at most while waiting for the rest of a sequence (an Alt
  // prefix and the longest sequence); a longer one is abandoned.
  static constexpr std::size_t kMaxPending = kMaxSequenceLength + 1;

  // Decodes bytes read at nowMs. What was pending from earlier and has timed
  // out by nowMs is settled first, so the records do not depend on whether the
  // caller called Expire in between.
  void Feed(std::string_view bytes, std::uint64_t nowMs) { Feed(bytes, nowMs, nowMs); }
  // The same for bytes that may have been waiting to be read since quietAtMs,
  // the last time the source was seen with nothing to read: only what had
  // timed out by then is settled first, since until then these bytes may
  // already have been there to continue it. A reader that stopped reading
  // for a while (a full queue, a busy program) cannot say when its bytes
  // came, and how late it reads them must not change what they mean.
  void Feed(std::string_view bytes, std::uint64_t nowMs, std::uint64_t quietAtMs);
  // Settles what is pending once its deadline has passed: a lone Esc becomes
  // the Esc key, an unfinished sequence is dropped. A reader passes the last
  // time it saw its source with nothing to read, not merely the time: a byte
  // that could continue the sequence may be waiting unread.
  void Expire(std::uint64_t nowMs);
  // When Expire has something to settle; nothing when no bytes are pending.
  std::optional<std::uint64_t> Deadline() const;
  std::size_t PendingBytes() const { return pending_.size(); }

  // Takes the oldest decoded record; false when there is none.
  bool Pop(InputRecord& record);
  bool HasRecords() const { return !records_.empty(); }
  std::size_t RecordCount() const { return records_.size(); }

  // Adds the terminal's own key sequences to those known by heart. Where one
  // is also a known sequence, or the start of one, the terminal's meaning
  // wins; where a terminal gives one sequence for several keys, the first
  // one given has it. Sequences longer than kMaxSequenceLength are left out.
  void SetTerminalKeys(const std::vector<TerminalKey>& keys);

  // Mouse positions are clamped into this size (a terminal may report cells
  // beyond the buffer while it is being resized). 0 or less: no clamping.
  void SetScreenSize(int width, int height);

 private:
  void Process(bool final, std::uint64_t nowMs);
  // The terminal's own key at the start of in, kPartial while in may still
  // become one; nothing when it is none of them.
  std::optional<Token> MatchTerminalKey(std::string_view in, bool final) const;
  void EmitKey(const DecodedKey& key);
  void EmitMouse(const MouseReport& report, std::uint64_t nowMs);

  struct Press {
    std::uint32_t button = 0;
    int x = 0;
    int y = 0;
    std::uint64_t timeMs = 0;
  };

  std::vector<TerminalKey> terminalKeys_;
  std::string pending_;
  std::uint64_t pendingSinceMs_ = 0;
  // After an over-long sequence: its remaining parameter bytes are dropped
  // up to its final byte instead of coming out as keys.
  bool skippingSequence_ = false;
  std::deque<InputRecord> records_;
  int width_ = 0;
  int height_ = 0;
  std::uint32_t heldButtons_ = 0;
  std::optional<Press> lastPress_;
};

}  // namespace kippfeld::platform
