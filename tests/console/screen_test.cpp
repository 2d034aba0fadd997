#include "console/screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "console/state.h"
#include "platform/memory/memory_platform.h"

namespace kippfeld::console {
namespace {

using platform::Cell;
using platform::CursorShape;
using platform::MemoryPlatform;

constexpr std::uint8_t kGreyOnBlack = 7;
constexpr std::uint8_t kGreyOnBlue = 7 + 16 * 1;

// Every cell's byte and attribute, the cursor and the pending flag: the
// whole observable state after an output operation.
struct Snapshot {
  std::string characters;
  std::string attributes;
  int cursorX;
  int cursorY;
  bool pendingScroll;
  bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const MemoryPlatform& platform) {
  Snapshot shot{"", "", platform.CursorX(), platform.CursorY(), Console().screen.pendingScroll};
  for (int y = 0; y < platform.Height(); ++y) {
    for (int x = 0; x < platform.Width(); ++x) {
      shot.characters += static_cast<char>(platform.CellAt(x, y).character);
      shot.attributes += static_cast<char>(platform.CellAt(x, y).attribute);
    }
  }
  return shot;
}

// Row r (1-based) becomes the letter 'a' + r - 1 over its whole width.
void FillRowsWithLetters(MemoryPlatform& platform) {
  for (int row = 1; row <= platform.Height(); ++row) {
    MoveTo(row, 1);
    WriteText(std::string(platform.Width(), static_cast<char>('a' + row - 1)));
  }
}

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetConsole(platform); }
  // 1-based row and column of the print position.
  std::pair<int, int> Position() const { return {platform.CursorY() + 1, platform.CursorX() + 1}; }
  MemoryPlatform platform{80, 25};
};

// --- Wrapping and the deferred scroll ---

TEST_F(ScreenTest, FourBytesAtColumn78WrapToTheNextRow) {
  MoveTo(1, 78);
  WriteText("ABCD");
  EXPECT_EQ(platform.TextAt(1, 78, 3), "ABC");
  EXPECT_EQ(platform.TextAt(2, 1, 2), "D ");
  EXPECT_EQ(Position(), std::make_pair(2, 2));
  EXPECT_EQ(platform.WriteCalls(), 2u);  // one segment per row
}

TEST_F(ScreenTest, FillingTheBottomRowDefersTheScrollToTheNextOutput) {
  FillRowsWithLetters(platform);
  MoveTo(25, 77);
  WriteText("WXYZ");
  EXPECT_TRUE(Console().screen.pendingScroll);
  EXPECT_EQ(platform.TextAt(1, 1, 1), "a");  // nothing scrolled yet
  EXPECT_EQ(platform.TextAt(25, 77, 4), "WXYZ");
  EXPECT_EQ(Position(), std::make_pair(25, 1));

  SetColour(7, 1, 0);
  WriteText("N");
  EXPECT_FALSE(Console().screen.pendingScroll);
  EXPECT_EQ(platform.TextAt(1, 1, 1), "b");
  EXPECT_EQ(platform.TextAt(24, 77, 4), "WXYZ");
  EXPECT_EQ(platform.RowText(24), std::string("N").append(79, ' '));
  // The fresh row is blank in the colours current when it scrolled in.
  EXPECT_EQ(platform.CellAt(79, 24).attribute, kGreyOnBlue);
  EXPECT_EQ(Position(), std::make_pair(25, 2));
}

TEST_F(ScreenTest, MoveToCancelsThePendingScroll) {
  struct Case {
    int row, column, writtenRow, writtenColumn;
  };
  for (const Case& c : {Case{25, 1, 25, 1}, {0, 0, 25, 1}, {3, 3, 3, 3}}) {
    SCOPED_TRACE(testing::Message() << c.row << "," << c.column);
    ResetConsole(platform);
    FillRowsWithLetters(platform);
    ASSERT_TRUE(Console().screen.pendingScroll);
    MoveTo(c.row, c.column);
    EXPECT_FALSE(Console().screen.pendingScroll);
    WriteText("N");
    EXPECT_EQ(platform.TextAt(1, 1, 1), "a");
    EXPECT_EQ(platform.TextAt(c.writtenRow, c.writtenColumn, 1), "N");
  }
}

TEST_F(ScreenTest, NewLineAtTheBottomScrollsOnceOrTwiceWhenAScrollIsPending) {
  struct Case {
    bool bottomRowFull;
    int scrolls;
  };
  for (const Case& c : {Case{false, 1}, Case{true, 2}}) {
    SCOPED_TRACE(c.scrolls);
    ResetConsole(platform);
    FillRowsWithLetters(platform);  // leaves the scroll pending
    if (!c.bottomRowFull) MoveTo(25, 5);
    SetColour(7, 1, 0);
    NewLine();
    for (int row = 1; row <= 25 - c.scrolls; ++row)
      EXPECT_EQ(platform.TextAt(row, 1, 1), std::string(1, 'a' + row - 1 + c.scrolls));
    for (int row = 26 - c.scrolls; row <= 25; ++row) {
      EXPECT_EQ(platform.RowText(row - 1), std::string(80, ' '));
      EXPECT_EQ(platform.CellAt(0, row - 1).attribute, kGreyOnBlue);
    }
    EXPECT_EQ(Position(), std::make_pair(25, 1));
    EXPECT_FALSE(Console().screen.pendingScroll);
  }
}

TEST_F(ScreenTest, NewLineAboveTheBottomMovesDownAndAFullRowLeavesOneEmptyRow) {
  MoveTo(3, 10);
  NewLine();
  EXPECT_EQ(Position(), std::make_pair(4, 1));
  WriteText(std::string(80, 'x'));
  NewLine();
  EXPECT_EQ(Position(), std::make_pair(6, 1));
  EXPECT_EQ(platform.WriteCalls(), 1u);
}

// --- Positioning and colours ---

TEST_F(ScreenTest, MoveToKeepsTheCurrentRowOrColumnForOutOfRangeArguments) {
  struct Case {
    int row, column, expectRow, expectColumn;
  };
  const Case cases[] = {
      {0, 5, 10, 5},    {3, 81, 3, 20},        {26, 0, 10, 20}, {-1, INT32_MIN, 10, 20},
      {25, 80, 25, 80}, {INT32_MAX, 1, 10, 1}, {1, 1, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.row << "," << c.column);
    MoveTo(10, 20);
    MoveTo(c.row, c.column);
    EXPECT_EQ(Position(), std::make_pair(c.expectRow, c.expectColumn));
  }
}

TEST_F(ScreenTest, SetColourTakesOnlyColoursFrom0To15) {
  struct Case {
    int foreground, background, expectForeground, expectBackground;
  };
  const Case cases[] = {{3, -1, 3, 0}, {16, 16, 7, 0}, {15, 15, 15, 15},
                        {-1, 4, 7, 4}, {0, 0, 0, 0},   {INT32_MIN, INT32_MAX, 7, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.foreground << "," << c.background);
    ResetConsole(platform);
    SetColour(c.foreground, c.background, 0);
    EXPECT_EQ(Console().screen.foreground, c.expectForeground);
    EXPECT_EQ(Console().screen.background, c.expectBackground);
    EXPECT_EQ(platform.TextAttribute(), c.expectForeground + 16 * c.expectBackground);
    WriteText("x");
    EXPECT_EQ(platform.CellAt(platform.CursorX() - 1, platform.CursorY()).attribute,
              c.expectForeground + 16 * c.expectBackground);
  }
  EXPECT_EQ(platform.RowText(0).substr(0, 6), "xxxxxx");
  EXPECT_EQ(platform.WriteCalls(), 6u);
}

TEST_F(ScreenTest, SetColourFillRecoloursFromThePrintPositionInReadingOrder) {
  WriteText("HELLO");
  MoveTo(1, 2);
  SetColour(3, 1, 3);
  EXPECT_EQ(platform.TextAt(1, 1, 5), "HELLO");
  for (int column = 1; column <= 5; ++column)
    EXPECT_EQ(platform.CellAt(column - 1, 0).attribute,
              column >= 2 && column <= 4 ? 3 + 16 : kGreyOnBlack);
  EXPECT_EQ(Position(), std::make_pair(1, 2));

  MoveTo(1, 79);
  SetColour(2, 0, 4);  // runs on into the next row
  EXPECT_EQ(platform.ForegroundAt(1, 80), 2);
  EXPECT_EQ(platform.ForegroundAt(2, 2), 2);
  EXPECT_EQ(platform.ForegroundAt(2, 3), 7);
}

TEST_F(ScreenTest, SetColourFillOutside1ToTheWindowSizeRecoloursNothing) {
  for (int fill : {0, -1, 80 * 25 + 1, INT32_MAX}) {
    SCOPED_TRACE(fill);
    ResetConsole(platform);
    ClearScreen();
    SetColour(4, 2, fill);
    EXPECT_EQ(platform.CellAt(0, 0).attribute, kGreyOnBlack);
  }
  MoveTo(1, 1);
  SetColour(5, 0, 80 * 25);
  EXPECT_EQ(platform.ForegroundAt(25, 80), 5);
}

// A console whose visible window is only ten rows of its 25-row buffer.
// --- Reading the screen back ---

// A console that cannot give its cells back.
class WriteOnlyPlatform : public MemoryPlatform {
 public:
  bool ReadCells(int, int, Cell*, int) override { return false; }
};

TEST_F(ScreenTest, ScreenRowsCutTheBlanksAtTheEndOfEachRowAndTheEmptyRowsBelow) {
  EXPECT_TRUE(ScreenRows().empty());
  MoveTo(2, 3);
  WriteText("ab  ");
  MoveTo(4, 80);
  WriteText("z");
  MoveTo(5, 1);
  WriteText(std::string("\x9A\0 ", 3));
  EXPECT_EQ(ScreenRows(),
            (std::vector<std::string>{"", "  ab", "", std::string(79, ' ').append("z"), "\x9A"}));
  WriteOnlyPlatform writeOnly;
  ResetConsole(writeOnly);
  WriteText("x");
  EXPECT_TRUE(ScreenRows().empty());
}

class ScrollBackPlatform : public MemoryPlatform {
 public:
  bool GetBufferInfo(platform::BufferInfo& info) override {
    MemoryPlatform::GetBufferInfo(info);
    info.windowHeight = 10;
    return true;
  }
};

TEST(ScreenWindowTest, FillCountIsLimitedByTheWindowNotTheBuffer) {
  ScrollBackPlatform platform;
  ResetConsole(platform);
  SetColour(3, 0, 801);
  EXPECT_EQ(platform.ForegroundAt(1, 1), 7);
  SetColour(3, 0, 800);
  EXPECT_EQ(platform.ForegroundAt(10, 80), 3);
  EXPECT_EQ(platform.ForegroundAt(11, 1), 7);
}

// --- Zones, tabs and blanks ---

TEST_F(ScreenTest, NextPrintZoneAdvancesToTheNextMultipleOf14) {
  struct Case {
    int column, expectRow, expectColumn;
  };
  for (const Case& c : {Case{1, 1, 15}, {14, 1, 15}, {15, 1, 29}, {70, 1, 71}, {71, 2, 5}}) {
    SCOPED_TRACE(c.column);
    MoveTo(1, 1);
    WriteText(std::string(160, 'x'));
    MoveTo(1, c.column);
    NextPrintZone();
    EXPECT_EQ(Position(), std::make_pair(c.expectRow, c.expectColumn));
    // The cells passed over are overwritten with blanks.
    EXPECT_EQ(platform.TextAt(1, c.column, 1), " ");
  }
}

TEST_F(ScreenTest, TabToWritesBlanksAndStartsANewRowWhenPastTheTarget) {
  WriteText(std::string(320, 'x'));
  MoveTo(1, 40);
  TabTo(35);
  EXPECT_EQ(Position(), std::make_pair(2, 35));
  EXPECT_EQ(platform.TextAt(2, 1, 35), std::string(34, ' ') + "x");
  EXPECT_EQ(platform.TextAt(1, 40, 1), "x");

  const auto calls = platform.WriteCalls();
  for (int column : {35, 0, -5, INT32_MIN}) TabTo(column);
  EXPECT_EQ(platform.WriteCalls(), calls);
  EXPECT_EQ(Position(), std::make_pair(2, 35));

  MoveTo(3, 1);
  TabTo(100);  // no upper bound: the blanks wrap
  EXPECT_EQ(Position(), std::make_pair(4, 20));
  EXPECT_EQ(platform.TextAt(4, 19, 2), " x");
}

TEST_F(ScreenTest, WriteBlanksWithANegativeCountWritesNothing) {
  MoveTo(5, 5);
  WriteBlanks(-3);
  WriteBlanks(0);
  EXPECT_EQ(platform.WriteCalls(), 0u);
  WriteBlanks(3);
  EXPECT_EQ(Position(), std::make_pair(5, 8));
}

// Huge counts are cut to what can still change the screen: the result must
// be the same as writing every byte, here checked against the same output
// written in pieces too small to be cut, on buffers small enough to scroll
// many times over.
TEST(ScreenHugeRunTest, LongRunsEndAsTheSameOutputWrittenInPieces) {
  struct Case {
    int width, height, row, column;
    bool pending;
    int count;
    bool text;
  };
  const Case cases[] = {
      {7, 3, 2, 4, false, 1000, false}, {7, 3, 3, 1, true, 1001, false},
      {7, 3, 1, 7, false, 999, true},   {1, 1, 1, 1, false, 500, true},
      {5, 1, 1, 3, true, 503, true},    {1, 4, 2, 1, false, 77, false},
      {7, 3, 3, 1, true, 7 * 8, true},  {7, 3, 3, 1, true, 7 * 9 + 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " " << c.count);
    std::string text;
    for (int i = 0; i < c.count; ++i) text += static_cast<char>(c.text ? 'A' + i % 26 : ' ');
    auto run = [&](MemoryPlatform& platform, bool inPieces) {
      ResetConsole(platform);
      FillRowsWithLetters(platform);
      SetColour(2, 1, 0);
      MoveTo(c.row, c.column);
      if (c.pending) WriteText(std::string(c.width - c.column + 1, '#'));
      ASSERT_EQ(Console().screen.pendingScroll, c.pending);
      for (int start = 0; start < c.count; start += inPieces ? 5 : c.count) {
        const int n = std::min(c.count - start, inPieces ? 5 : c.count);
        if (c.text) {
          WriteText(std::string_view(text).substr(start, n));
        } else {
          WriteBlanks(n);
        }
      }
    };
    MemoryPlatform whole(c.width, c.height), pieces(c.width, c.height);
    run(pieces, true);
    const Snapshot expected = Take(pieces);
    run(whole, false);
    EXPECT_EQ(Take(whole), expected);
  }
}

TEST_F(ScreenTest, TabToAndWriteBlanksWithHugeCountsEndInBoundedWork) {
  SetColour(7, 1, 0);
  TabTo(INT32_MAX);
  // 2147483646 blanks from column 1: column 2147483646 mod 80 + 1 = 47.
  EXPECT_EQ(Position(), std::make_pair(25, 47));
  EXPECT_FALSE(Console().screen.pendingScroll);
  for (int y = 0; y < 25; ++y) {
    EXPECT_EQ(platform.RowText(y), std::string(80, ' '));
    EXPECT_EQ(platform.CellAt(0, y).attribute, kGreyOnBlue);
  }
  EXPECT_LT(platform.WriteCalls(), 1000u);
  WriteBlanks(INT32_MAX);  // from column 47: (46 + 2147483647) mod 80 = 13
  EXPECT_EQ(Position(), std::make_pair(25, 14));
  EXPECT_LT(platform.WriteCalls(), 2000u);
}

// --- Cells and segments ---

TEST_F(ScreenTest, WriteNumberWritesTheSignPlaceTheDigitsAndATrailingBlank) {
  WriteText("|");
  WriteNumber(5, 7);
  WriteNumber(0, 15);
  WriteNumber(-3, 7);
  WriteText("|");
  EXPECT_EQ(platform.TextAt(1, 1, 11), "| 5  0 -3 |");
}

TEST_F(ScreenTest, ControlBytesAreStoredAsCellsWithoutMovingThePosition) {
  const std::string bytes("A\rB\0C\n\t\a\x81\x9A", 10);
  MoveTo(3, 5);
  WriteText(bytes);
  EXPECT_EQ(platform.TextAt(3, 5, 10), bytes);
  EXPECT_EQ(Position(), std::make_pair(3, 15));
}

TEST(ScreenWideTest, SegmentsAreNeverLongerThan256Cells) {
  MemoryPlatform platform(300, 5);
  ResetConsole(platform);
  std::string text;
  for (int i = 0; i < 700; ++i) text += static_cast<char>('a' + i % 26);
  WriteText(text);
  EXPECT_EQ(platform.LongestWrite(), 256);
  EXPECT_EQ(platform.WriteCalls(), 5u);  // 256 + 44, 256 + 44, 100
  EXPECT_EQ(platform.RowText(0) + platform.RowText(1) + platform.RowText(2).substr(0, 100), text);
  TabTo(300);
  WriteBlanks(1000);
  EXPECT_EQ(platform.LongestWrite(), 256);
}

// --- Clearing and the text cursor ---

// Logs the cursor shapes set and the fills, in order.
class LoggingPlatform : public MemoryPlatform {
 public:
  void SetCursorShape(platform::Handle handle, const CursorShape& shape) override {
    EXPECT_EQ(handle, platform::Handle::kConsoleOutput);
    log.push_back(shape.visible ? "show " + std::to_string(shape.size) : "hide");
    MemoryPlatform::SetCursorShape(handle, shape);
  }
  void FillCharacter(int x, int y, std::uint8_t character, int count) override {
    log.push_back("fill");
    MemoryPlatform::FillCharacter(x, y, character, count);
  }
  std::vector<std::string> log;
};

TEST(ScreenClearTest, ClearScreenBlanksInTheBackgroundAndHidesAVisibleCursorMeanwhile) {
  for (bool visible : {true, false}) {
    SCOPED_TRACE(visible);
    LoggingPlatform platform;
    ResetConsole(platform);
    Console().screen.cursor = {30, visible};
    FillRowsWithLetters(platform);  // ends with a pending scroll
    SetColour(7, 1, 0);
    ClearScreen();
    for (int y = 0; y < 25; ++y) {
      EXPECT_EQ(platform.RowText(y), std::string(80, ' '));
      for (int x = 0; x < 80; ++x) ASSERT_EQ(platform.CellAt(x, y).attribute, kGreyOnBlue);
    }
    EXPECT_EQ(platform.CursorX(), 0);
    EXPECT_EQ(platform.CursorY(), 0);
    EXPECT_FALSE(Console().screen.pendingScroll);
    const std::vector<std::string> expected =
        visible ? std::vector<std::string>{"hide", "fill", "show 30"}
                : std::vector<std::string>{"fill"};
    EXPECT_EQ(platform.log, expected);
  }
}

TEST_F(ScreenTest, SetTextCursorClampsTheSizeAndAppliesTheShapeAtOnce) {
  struct Case {
    CursorShape start;
    int value;
    CursorShape expect;
  };
  const Case cases[] = {
      {{25, true}, 5, {10, true}},          {{25, true}, 150, {99, true}},
      {{25, false}, 50, {50, true}},        {{40, true}, 0, {40, false}},
      {{25, false}, -1, {25, true}},        {{25, false}, INT32_MIN, {25, true}},
      {{25, false}, INT32_MAX, {99, true}}, {{25, true}, 10, {10, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    Console().screen.cursor = c.start;
    SetTextCursor(c.value);
    EXPECT_EQ(Console().screen.cursor.size, c.expect.size);
    EXPECT_EQ(Console().screen.cursor.visible, c.expect.visible);
    EXPECT_EQ(platform.Shape().size, c.expect.size);
    EXPECT_EQ(platform.Shape().visible, c.expect.visible);
  }
}

// --- Mouse settings ---

TEST_F(ScreenTest, SetMouseReportingSwitchesTheModeOrReplacesTheSelection) {
  SetMouseReporting(-1);
  EXPECT_TRUE(Console().screen.mouse.on);
  EXPECT_EQ(platform.InputModeValue(), platform::kMouseInput);

  Console().screen.mouseColumn = 5;
  Console().screen.mouseRow = 6;
  SetMouseReporting(0xF0007);
  EXPECT_EQ(Console().screen.mouse.selection, 0xF0007u);
  EXPECT_TRUE(Console().screen.mouse.on);
  EXPECT_EQ(platform.InputModeValue(), platform::kMouseInput);
  EXPECT_EQ(MouseColumn(), 5);
  EXPECT_EQ(MouseRow(), 6);

  SetMouseReporting(0);
  EXPECT_FALSE(Console().screen.mouse.on);
  EXPECT_EQ(platform.InputModeValue(), 0u);
  EXPECT_EQ(MouseColumn(), 0);
  EXPECT_EQ(MouseRow(), 0);
  EXPECT_EQ(Console().screen.mouse.selection, 0xF0007u);

  platform.SetInputMode(0x1F7);
  SetMouseReporting(7);  // no console call, reporting stays off
  EXPECT_FALSE(Console().screen.mouse.on);
  EXPECT_EQ(platform.InputModeValue(), 0x1F7u);
}

// --- No console, and a buffer that changed under the output ---

class NoConsolePlatform : public MemoryPlatform {
 public:
  bool GetBufferInfo(platform::BufferInfo&) override { return false; }
};

TEST(ScreenNoConsoleTest, OutputWithoutAConsoleDoesNothing) {
  NoConsolePlatform platform;
  ResetConsole(platform);
  Console().screen.cursor = {25, true};
  MoveTo(5, 5);
  WriteText("abc");
  NewLine();
  TabTo(INT32_MAX);
  NextPrintZone();
  WriteBlanks(10);
  SetColour(3, 1, 100);
  ClearScreen();
  EXPECT_EQ(platform.WriteCalls(), 0u);
  EXPECT_EQ(platform.CursorX(), 0);
  EXPECT_EQ(platform.ForegroundAt(1, 1), 7);
  EXPECT_EQ(Console().screen.foreground, 3);  // the colours are kept anyway

  Console().platform = nullptr;  // before start-up: no platform at all
  WriteText("abc");
  TabTo(10);
  SetColour(1, 2, 3);
  ClearScreen();
  SetTextCursor(50);
  SetMouseReporting(-1);
  EXPECT_EQ(platform.WriteCalls(), 0u);
}

// A console that still reports the cursor where it was before the buffer
// shrank, and counts every call that reaches past the buffer.
class StaleCursorPlatform : public MemoryPlatform {
 public:
  using MemoryPlatform::MemoryPlatform;
  bool GetBufferInfo(platform::BufferInfo& info) override {
    MemoryPlatform::GetBufferInfo(info);
    info.cursorX += 500;
    info.cursorY += 500;
    return true;
  }
  void WriteCells(int x, int y, const Cell* cells, int count) override {
    if (x < 0 || y < 0 || y >= Height() || x + count > Width()) ++outside;
    MemoryPlatform::WriteCells(x, y, cells, count);
  }
  void FillAttribute(int x, int y, std::uint8_t attribute, int count) override {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) ++outside;
    MemoryPlatform::FillAttribute(x, y, attribute, count);
  }
  int outside = 0;
};

TEST(ScreenResizeTest, APositionOutsideTheBufferIsPulledInsideBeforeWriting) {
  StaleCursorPlatform platform(20, 4);
  ResetConsole(platform);
  WriteText("AB");
  NextPrintZone();
  TabTo(3);
  SetColour(3, 0, 5);
  MoveTo(0, 0);
  NewLine();
  EXPECT_EQ(platform.outside, 0);
}

TEST_F(ScreenTest, OutputFollowsABufferShrunkTo1x1) {
  MoveTo(10, 40);
  platform.Resize(1, 1);
  WriteText("ABC");
  EXPECT_EQ(platform.RowText(0), "C");
  EXPECT_TRUE(Console().screen.pendingScroll);
  NewLine();
  EXPECT_EQ(platform.RowText(0), " ");
  platform.Resize(80, 25);
  MoveTo(25, 80);
  EXPECT_EQ(Position(), std::make_pair(25, 80));
}

}  // namespace
}  // namespace kippfeld::console
