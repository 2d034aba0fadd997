// Arbitrary sequences of console operations, input records and buffer resizes
// on the memory console. The memory console keeps its cells in one exactly
// sized vector, so AddressSanitizer (and the library's own index checks in
// this build) turn any write outside the buffer into a crash. The memory
// console also clips, as a console does; the terminal and native backends
// should not have to, so the console layer's calls are checked before they
// reach it: every write and fill starts inside the buffer, no write runs past
// the row's end, the cursor is never sent outside. After every operation the
// text cursor must lie inside the buffer and the console layer's own state
// must stay in range.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "console/input.h"
#include "console/screen.h"
#include "console/state.h"
#include "platform/memory/memory_platform.h"

namespace {

namespace console = kippfeld::console;
using kippfeld::platform::Cell;
using kippfeld::platform::InputRecord;
using kippfeld::platform::MemoryPlatform;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

class StrictPlatform : public MemoryPlatform {
 public:
  using MemoryPlatform::MemoryPlatform;

  void WriteCells(int x, int y, const Cell* cells, int count) override {
    CheckInside(x, y);
    Check(count >= 1 && count <= Width() - x);
    MemoryPlatform::WriteCells(x, y, cells, count);
  }
  void FillCharacter(int x, int y, std::uint8_t character, int count) override {
    CheckInside(x, y);
    Check(count >= 0);
    MemoryPlatform::FillCharacter(x, y, character, count);
  }
  void FillAttribute(int x, int y, std::uint8_t attribute, int count) override {
    CheckInside(x, y);
    Check(count >= 0);
    MemoryPlatform::FillAttribute(x, y, attribute, count);
  }
  void SetCursorPosition(int x, int y) override {
    CheckInside(x, y);
    MemoryPlatform::SetCursorPosition(x, y);
  }

 private:
  void CheckInside(int x, int y) const { Check(x >= 0 && x < Width() && y >= 0 && y < Height()); }
};

// Mostly values near the screen, sometimes any 32-bit value: the edges and
// the overflows are where the faults are, the small values reach the states.
std::int32_t Coordinate(FuzzedDataProvider& in) {
  if (in.ConsumeBool()) return in.ConsumeIntegral<std::int32_t>();
  return in.ConsumeIntegralInRange<std::int32_t>(-2, 140);
}

// Small sizes are the interesting ones (1 x 1 above all); large ones only
// make each operation slower.
int Size(FuzzedDataProvider& in, int most) {
  return in.ConsumeBool() ? in.ConsumeIntegralInRange(1, 3) : in.ConsumeIntegralInRange(1, most);
}

long double Number(FuzzedDataProvider& in) {
  // Any bit pattern, infinities and NaNs included.
  const std::uint64_t bits = in.ConsumeIntegral<std::uint64_t>();
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

InputRecord Record(FuzzedDataProvider& in) {
  InputRecord record;
  record.eventType = in.PickValueInArray<std::uint16_t>({1, 2, 4, 8, 16, 0, 3});
  record.keyDown = in.ConsumeBool();
  record.repeatCount = in.ConsumeIntegral<std::uint16_t>();
  record.virtualKeyCode = in.ConsumeIntegral<std::uint16_t>();
  record.virtualScanCode = in.ConsumeIntegral<std::uint16_t>();
  record.character = in.ConsumeIntegral<std::uint8_t>();
  record.controlKeyState = in.ConsumeIntegral<std::uint32_t>();
  record.mouseX = in.ConsumeIntegral<std::int16_t>();
  record.mouseY = in.ConsumeIntegral<std::int16_t>();
  record.buttonState = in.ConsumeIntegral<std::uint32_t>();
  record.eventFlags = in.ConsumeIntegral<std::uint32_t>();
  return record;
}

void CheckState(const StrictPlatform& platform) {
  Check(platform.CursorX() >= 0 && platform.CursorX() < platform.Width());
  Check(platform.CursorY() >= 0 && platform.CursorY() < platform.Height());
  const console::ConsoleScreen& screen = console::Console().screen;
  Check(screen.foreground >= 0 && screen.foreground <= 15);
  Check(screen.background >= 0 && screen.background <= 15);
}

void CheckKeyString(const std::string& key) {
  // Nothing, a character, 0 and a scan code, or 255 255 kind button.
  Check(key.size() == 0 || key.size() == 1 || key.size() == 2 || key.size() == 4);
  if (key.size() == 2) Check(key[0] == '\0');
  if (key.size() == 4) Check(key[0] == '\xFF' && key[1] == '\xFF');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  const int width = Size(in, 132);
  StrictPlatform platform(width, Size(in, 60));
  console::ResetConsole(platform);

  // Bounded, so that one input cannot stall the run with huge writes.
  for (int step = 0; step < 512 && in.remaining_bytes() > 0; ++step) {
    switch (in.ConsumeIntegralInRange(0, 14)) {
      case 0:
        console::WriteText(in.ConsumeRandomLengthString(300));
        break;
      case 1:
        console::NewLine();
        break;
      case 2: {
        const std::int32_t row = Coordinate(in);
        console::MoveTo(row, Coordinate(in));
        break;
      }
      case 3: {
        const std::int32_t foreground = Coordinate(in);
        const std::int32_t background = Coordinate(in);
        console::SetColour(foreground, background, Coordinate(in));
        break;
      }
      case 4:
        console::WriteBlanks(Coordinate(in));
        break;
      case 5:
        console::TabTo(Coordinate(in));
        break;
      case 6:
        console::NextPrintZone();
        break;
      case 7:
        console::ClearScreen();
        break;
      case 8:
        console::SetTextCursor(Coordinate(in));
        break;
      case 9:
        console::SetMouseReporting(in.ConsumeBool() ? Coordinate(in)
                                                    : in.ConsumeIntegral<std::int32_t>());
        break;
      case 10: {
        const long double value = Number(in);
        console::WriteNumber(value, in.ConsumeBool() ? 7 : 15);
        break;
      }
      case 11:
      case 12: {
        const int records = in.ConsumeIntegralInRange(1, 4);
        for (int i = 0; i < records; ++i) platform.Push(Record(in));
        CheckKeyString(console::PollInput());
        break;
      }
      case 13: {
        const int width = Size(in, 132);
        platform.Resize(width, Size(in, 60));
        break;
      }
      case 14:
        // Input that arrived earlier and is still queued.
        CheckKeyString(console::PollInput());
        break;
    }
    CheckState(platform);
  }
  return 0;
}
