#include "console/screen.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/numbers.h"
#include "console/state.h"

namespace kippfeld::console {

namespace {

using platform::Cell;
using platform::Handle;
using platform::Platform;

// One console write never covers more than this many cells, however wide the
// buffer: the console's write call has a per-call size limit.
constexpr int kSegmentCells = 256;
constexpr int kZoneWidth = 14;
constexpr int kCursorSizeMin = 10;
constexpr int kCursorSizeMax = 99;
constexpr std::uint8_t kBlank = ' ';

// The buffer as the console reports it for this one operation. The buffer
// can be resized by the user between two operations, so nothing of this is
// kept. The print position is pulled inside the buffer whatever the console
// reports, so that every loop below is bounded by these values and no write
// reaches past the buffer, without relying on the backend's clipping.
struct Frame {
  Platform* platform = nullptr;
  int width = 0;
  int height = 0;
  int x = 0;
  int y = 0;
  std::int64_t windowCells = 0;
};

Platform* Target() {
  return Console().platform;
}

// False when there is no console to ask (output redirected, no platform):
// every operation then quietly does nothing to the screen.
bool ReadFrame(Frame& frame) {
  Platform* platform = Target();
  if (platform == nullptr) return false;
  platform::BufferInfo info;
  if (!platform->GetBufferInfo(info) || info.width < 1 || info.height < 1) return false;
  frame.platform = platform;
  frame.width = info.width;
  frame.height = info.height;
  frame.x = std::clamp(info.cursorX, 0, info.width - 1);
  frame.y = std::clamp(info.cursorY, 0, info.height - 1);
  frame.windowCells = std::int64_t{std::max(info.windowWidth, 0)} * std::max(info.windowHeight, 0);
  return true;
}

std::uint8_t CurrentAttribute() {
  const ConsoleScreen& screen = Console().screen;
  return static_cast<std::uint8_t>(screen.foreground + 16 * screen.background);
}

// The freed bottom row takes the colours current now, not those of the text
// that filled the row before: a background set since shows on the new row.
void ScrollUpOne(Platform& platform) {
  platform.ScrollUp(Cell{kBlank, CurrentAttribute()});
}

// Sets the cursor as MoveTo does: an explicit position ends any deferred
// scroll, since the output no longer continues behind the full bottom row.
void PlaceCursor(Frame& frame, int x, int y) {
  frame.platform->SetCursorPosition(x, y);
  Console().screen.pendingScroll = false;
}

// How many leading bytes of a run of count can be left out without changing
// anything on screen. Once a run has filled the bottom row and then scrolled
// every row that it did not write out of the buffer (within W * (H + 1)
// cells from any start), every visible cell holds a byte of the run, all in
// the one attribute, and the state only repeats with period W: the cursor
// column is the start column plus the count modulo W, the row is the bottom
// row, and the scroll is pending exactly when that column is 0. Dropping
// whole rows from the front of such a run therefore leaves the buffer, the
// cursor and the pending flag as the full run would. Without this,
// TabTo(INT32_MAX) or WriteBlanks(INT32_MAX) would scroll an 80x25 buffer
// some 27 million times to the same result.
std::int64_t LeadingBytesNeverSeen(const Frame& frame, std::int64_t count) {
  const std::int64_t width = frame.width;
  // Rows kept: nearly twice the H + 1 needed, as a margin.
  const std::int64_t enough = 2 * std::int64_t{frame.height} + 1;
  // Divided, not multiplied: W * (2H + 1) need not fit for a huge buffer.
  if (count / width <= enough) return 0;
  const std::int64_t keep = width * enough;
  return (count - keep) / width * width;
}

// Writes count bytes at the print position in row segments, wrapping at the
// right edge and deferring the scroll at the bottom row's end; byteAt(i)
// yields the i-th byte.
template <typename ByteAt>
void WriteRun(Frame& frame, std::int64_t count, ByteAt byteAt) {
  if (count <= 0) return;
  ConsoleScreen& screen = Console().screen;
  const std::uint8_t attribute = CurrentAttribute();
  std::array<Cell, kSegmentCells> cells;
  for (std::int64_t i = LeadingBytesNeverSeen(frame, count); i < count;) {
    if (screen.pendingScroll) {
      screen.pendingScroll = false;
      ScrollUpOne(*frame.platform);
    }
    const int n = static_cast<int>(std::min<std::int64_t>(
        {count - i, std::int64_t{frame.width} - frame.x, std::int64_t{kSegmentCells}}));
    for (int k = 0; k < n; ++k) cells[k] = Cell{byteAt(i + k), attribute};
    frame.platform->WriteCells(frame.x, frame.y, cells.data(), n);
    i += n;
    frame.x += n;
    if (frame.x == frame.width) {
      frame.x = 0;
      // The bottom row's last cell is written but nothing scrolls yet: a
      // screen drawn to its very last cell must not lose its top row.
      if (frame.y + 1 == frame.height) {
        screen.pendingScroll = true;
      } else {
        ++frame.y;
      }
    }
  }
  // Set without PlaceCursor: the pending flag must survive this.
  frame.platform->SetCursorPosition(frame.x, frame.y);
}

void WriteBlankRun(Frame& frame, std::int64_t count) {
  WriteRun(frame, count, [](std::int64_t) { return kBlank; });
}

// Fills all W x H cells from the top-left one. A console fill takes an int
// count, so a buffer of more cells than that is filled in blocks of rows.
void FillBuffer(const Frame& frame, std::uint8_t attribute) {
  const std::int64_t rowsPerCall = std::max(1, std::numeric_limits<int>::max() / frame.width);
  for (std::int64_t y = 0; y < frame.height; y += rowsPerCall) {
    const std::int64_t rows = std::min<std::int64_t>(rowsPerCall, frame.height - y);
    const int cells = static_cast<int>(
        std::min<std::int64_t>(rows * frame.width, std::numeric_limits<int>::max()));
    frame.platform->FillCharacter(0, static_cast<int>(y), kBlank, cells);
    frame.platform->FillAttribute(0, static_cast<int>(y), attribute, cells);
  }
}

}  // namespace

void WriteText(std::string_view text) {
  if (text.empty()) return;
  Frame frame;
  if (!ReadFrame(frame)) return;
  WriteRun(frame, static_cast<std::int64_t>(text.size()),
           [text](std::int64_t i) { return static_cast<std::uint8_t>(text[i]); });
}

void NewLine() {
  Frame frame;
  if (!ReadFrame(frame)) return;
  int y = frame.y;
  if (y + 1 >= frame.height) {
    // A pending scroll stands for the row the full bottom row already ended;
    // it is made good first so that the line break still leaves one row.
    if (Console().screen.pendingScroll) ScrollUpOne(*frame.platform);
    ScrollUpOne(*frame.platform);
  } else {
    ++y;
  }
  PlaceCursor(frame, 0, y);
}

void WriteNumber(long double value, int digits) {
  WriteText(FormatNumber(value, digits));
}

void MoveTo(std::int32_t row, std::int32_t column) {
  Frame frame;
  if (!ReadFrame(frame)) return;
  // Each coordinate is kept on its own, so MoveTo(0, c) moves along the row.
  const int x = (column >= 1 && column <= frame.width) ? column - 1 : frame.x;
  const int y = (row >= 1 && row <= frame.height) ? row - 1 : frame.y;
  PlaceCursor(frame, x, y);
}

void SetColour(std::int32_t foreground, std::int32_t background, std::int32_t fillCount) {
  ConsoleScreen& screen = Console().screen;
  // The colours are this layer's own state, kept even without a console.
  if (foreground >= 0 && foreground <= 15) screen.foreground = foreground;
  if (background >= 0 && background <= 15) screen.background = background;
  Platform* platform = Target();
  if (platform == nullptr) return;
  const std::uint8_t attribute = CurrentAttribute();
  platform->SetTextAttribute(attribute);
  if (fillCount < 1) return;
  Frame frame;
  if (!ReadFrame(frame)) return;
  // The limit is the visible window, not the buffer: a fill larger than
  // what the user can see is taken as a mistake and ignored whole.
  if (fillCount > frame.windowCells) return;
  platform->FillAttribute(frame.x, frame.y, attribute, fillCount);
}

void WriteBlanks(std::int32_t count) {
  if (count <= 0) return;
  Frame frame;
  if (!ReadFrame(frame)) return;
  WriteBlankRun(frame, count);
}

void TabTo(std::int32_t column) {
  // In 64 bits: column - 1 of INT32_MIN does not fit, and the distance to a
  // target near INT32_MAX is only bounded by LeadingBytesNeverSeen.
  const std::int64_t target = std::int64_t{column} - 1;
  if (target < 0) return;
  Frame frame;
  if (!ReadFrame(frame)) return;
  if (target < frame.x) {
    NewLine();
    if (!ReadFrame(frame)) return;
  }
  WriteBlankRun(frame, target - frame.x);
}

void NextPrintZone() {
  Frame frame;
  if (!ReadFrame(frame)) return;
  WriteBlankRun(frame, kZoneWidth - frame.x % kZoneWidth);
}

void ClearScreen() {
  Frame frame;
  if (!ReadFrame(frame)) return;
  ConsoleScreen& screen = Console().screen;
  // Hidden while the buffer is rewritten, so the cursor is not seen jumping.
  const bool hide = screen.cursor.visible;
  if (hide) frame.platform->SetCursorShape(Handle::kConsoleOutput, {screen.cursor.size, false});
  FillBuffer(frame, CurrentAttribute());
  PlaceCursor(frame, 0, 0);
  if (hide) frame.platform->SetCursorShape(Handle::kConsoleOutput, screen.cursor);
}

void SetTextCursor(std::int32_t value) {
  platform::CursorShape& cursor = Console().screen.cursor;
  if (value > 0) cursor.size = std::clamp<std::int32_t>(value, kCursorSizeMin, kCursorSizeMax);
  cursor.visible = value != 0;
  if (Platform* platform = Target()) platform->SetCursorShape(Handle::kConsoleOutput, cursor);
}

void SetMouseReporting(std::int32_t value) {
  ConsoleScreen& screen = Console().screen;
  if (value > 0) {
    // Only the selection changes; the console's mode stays as it is.
    screen.mouse.selection = static_cast<std::uint32_t>(value);
    return;
  }
  Platform* platform = Target();
  if (value == 0) {
    screen.mouse.on = false;
    screen.mouseColumn = 0;
    screen.mouseRow = 0;
    // Everything off, line input and echo too: keys are read one record at
    // a time and never echoed by the console.
    if (platform != nullptr) platform->SetInputMode(0);
  } else {
    screen.mouse.on = true;
    if (platform != nullptr) platform->SetInputMode(platform::kMouseInput);
  }
}

int MouseColumn() {
  return Console().screen.mouseColumn;
}

int MouseRow() {
  return Console().screen.mouseRow;
}

std::vector<std::string> ScreenRows() {
  std::vector<std::string> rows;
  Frame frame;
  if (!ReadFrame(frame)) return rows;
  std::vector<platform::Cell> cells(static_cast<std::size_t>(frame.width));
  for (int y = 0; y < frame.height; ++y) {
    if (!frame.platform->ReadCells(0, y, cells.data(), frame.width)) return {};
    std::string row;
    for (const platform::Cell& cell : cells) row.push_back(static_cast<char>(cell.character));
    // Byte 0 shows as a blank too.
    row.erase(row.find_last_not_of(std::string_view(" \0", 2)) + 1);
    rows.push_back(std::move(row));
  }
  while (!rows.empty() && rows.back().empty()) rows.pop_back();
  return rows;
}

}  // namespace kippfeld::console
