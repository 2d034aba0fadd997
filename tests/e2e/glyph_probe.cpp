// A test-only program on the terminal backend alone: draws every byte once,
// each foreground and each background colour once, and a cell in the
// bottom-right corner, then waits for q. The end-to-end tests read its
// screen to see that every byte becomes one glyph and every attribute the
// right colours, independent of what the game happens to draw.
#include "console/platform.h"
#include "platform/backend.h"

using kippfeld::platform::BufferInfo;
using kippfeld::platform::Cell;
using kippfeld::platform::InputRecord;

namespace {

void WriteText(kippfeld::platform::Platform& platform, int x, int y, const char* text) {
  Cell cells[64];
  int count = 0;
  for (; text[count] != '\0' && count < 64; ++count)
    cells[count] = {static_cast<std::uint8_t>(text[count]), 7};
  platform.WriteCells(x, y, cells, count);
}

}  // namespace

int main(int argc, char** argv) {
  auto platform = kippfeld::platform::OpenConsolePlatform(argc, argv);
  if (!platform) return 1;
  BufferInfo info;
  platform->GetBufferInfo(info);

  // Rows 2..17, columns 3..18: byte 16 * r + c at row r + 2, column c + 3.
  for (int row = 0; row < 16; ++row) {
    Cell cells[16];
    for (int i = 0; i < 16; ++i) cells[i] = {static_cast<std::uint8_t>(row * 16 + i), 7};
    platform->WriteCells(2, 1 + row, cells, 16);
  }
  // Row 19: "#" in foreground c on black; row 20: "#" in 15 on background c.
  Cell foregrounds[16];
  Cell backgrounds[16];
  for (int c = 0; c < 16; ++c) {
    foregrounds[c] = {'#', static_cast<std::uint8_t>(c)};
    backgrounds[c] = {'#', static_cast<std::uint8_t>(c * 16 + 15)};
  }
  platform->WriteCells(2, 18, foregrounds, 16);
  platform->WriteCells(2, 19, backgrounds, 16);

  Cell corner{'Z', 7};
  platform->WriteCells(info.width - 1, info.height - 1, &corner, 1);
  WriteText(*platform, 20, 0, "ready");
  platform->SetCursorPosition(0, 0);

  for (;;) {
    InputRecord record;
    while (platform->PeekInput(record)) {
      platform->RemoveInput();
      if (record.eventType == kippfeld::platform::kKeyEvent && record.keyDown &&
          record.character == 'q')
        platform->ExitProcess(0);
    }
    platform->Sleep(20);
  }
}
