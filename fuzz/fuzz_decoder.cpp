// Arbitrary terminal bytes, cut into reads at arbitrary times, through the
// input decoder. Besides crashes this checks what the rest of the program
// relies on: mouse records inside the screen, a bounded wait buffer, nothing
// left overdue, key presses paired with their releases, and a decoder that is
// still usable once the garbage has timed out. The decoder also knows a
// terminal's own keys, chosen to clash with what it knows by heart and to
// start one another.
//
// Input layout, so that seeds can be written by hand:
//   byte 0, byte 1   screen width and height (0: the decoder does not clamp)
//   then chunks      header h, then (h & 31) bytes fed at once; the clock
//                    first moves on by (h >> 5) * 10 ms. A chunk of length 0
//                    is an Expire at that time instead of a read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/terminal/decoder.h"

namespace {

using kippfeld::platform::DecodedKey;
using kippfeld::platform::InputDecoder;
using kippfeld::platform::InputRecord;
using kippfeld::platform::TerminalKey;

const std::vector<TerminalKey> kTerminalKeys = {
    {"knp", "\x1b[G", DecodedKey{0, 81, 0}},
    {"kcuu1", "\033A", DecodedKey{0, 72, 0}},
    {"khome", "\x1e", DecodedKey{0, 71, 0}},
    {"kc3", "\x1e_", DecodedKey{0, 81, 0}},
    {"kcub1", "\x08", DecodedKey{0, 75, 0}},
    {"kcuf1", "\233C", DecodedKey{0, 77, 0}},
    {"kcud1", std::string("\0P", 2), DecodedKey{0, 80, 0}},
    {"kpp", "~\x0b", DecodedKey{0, 73, 0}},
    {"kend", "\x1b[1;5", DecodedKey{0, 79, 0}},
};

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

struct Screen {
  int width = 0;
  int height = 0;
};

// Takes every record decoded so far and checks it.
int DrainAndCheck(InputDecoder& decoder, const Screen& screen, std::uint64_t now) {
  Check(decoder.PendingBytes() <= InputDecoder::kMaxPending);
  // Whatever waits has a deadline still ahead: a caller that expires on
  // time never sees a stale Esc or half a sequence.
  const auto deadline = decoder.Deadline();
  Check(!deadline || *deadline > now);
  if (decoder.PendingBytes() > 0) Check(deadline.has_value());

  int count = 0;
  InputRecord record;
  while (decoder.Pop(record)) {
    ++count;
    if (record.eventType == kippfeld::platform::kMouseEvent) {
      Check(record.mouseX >= 0 && record.mouseY >= 0);
      if (screen.width > 0) Check(record.mouseX < screen.width);
      if (screen.height > 0) Check(record.mouseY < screen.height);
      continue;
    }
    Check(record.eventType == kippfeld::platform::kKeyEvent);
    // Every key comes down and goes up, as a console delivers it; the key
    // reader depends on the release following straight after.
    Check(record.keyDown);
    InputRecord release;
    Check(decoder.Pop(release));
    ++count;
    Check(release.eventType == kippfeld::platform::kKeyEvent && !release.keyDown);
    Check(release.character == record.character &&
          release.virtualScanCode == record.virtualScanCode &&
          release.controlKeyState == record.controlKeyState);
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  Screen screen{data[0], data[1]};
  InputDecoder decoder;
  decoder.SetScreenSize(screen.width, screen.height);
  decoder.SetTerminalKeys(kTerminalKeys);

  std::uint64_t now = 1000;
  std::size_t position = 2;
  while (position < size) {
    const std::uint8_t header = data[position++];
    now += (header >> 5) * 10;
    const std::size_t length = header & 31;
    if (length == 0) {
      decoder.Expire(now);
    } else {
      const std::size_t available = std::min(length, size - position);
      decoder.Feed(std::string_view(reinterpret_cast<const char*>(data + position), available),
                   now);
      position += available;
    }
    DrainAndCheck(decoder, screen, now);
  }

  // Once the deadline has passed nothing may be left waiting, and the next
  // key must come through as itself: no malformed input may wedge the decoder.
  now += InputDecoder::kEscapeTimeoutMs;
  decoder.Expire(now);
  Check(decoder.PendingBytes() == 0 && !decoder.Deadline());
  DrainAndCheck(decoder, screen, now);

  decoder.Feed("z", now + 1);
  InputRecord record;
  Check(decoder.Pop(record));
  Check(record.eventType == kippfeld::platform::kKeyEvent && record.keyDown);
  Check(record.character == 'z' && record.controlKeyState == 0);
  Check(decoder.Pop(record) && !record.keyDown && record.character == 'z');
  Check(!decoder.Pop(record));
  return 0;
}
