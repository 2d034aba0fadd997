// The native backend against a real console: cells, fills, scrolling, the
// cursor and the modes read back with the console's own functions, and key
// and mouse records written into the console input with WriteConsoleInputW
// and read through the backend and through PollInput. Under wine this also
// covers what its terminal console cannot deliver (mouse records, Esc with
// its character). Cells are read back as Unicode and turned into code page
// 850 bytes through the table, whatever the console's code page.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "console/input.h"
#include "console/screen.h"
#include "console/state.h"
#include "platform/cp850.h"
#include "platform/history_file.h"
#include "platform/windows/windows_platform.h"

// Last, so that its macros cannot reach the declarations above.
#include "platform/windows/windows_api.h"

namespace kippfeld::platform {
namespace {

using namespace std::string_literals;

// Set in the copy of this program that runs inside its own console.
constexpr char kInOwnConsole[] = "KIPPFELD_TEST_IN_OWN_CONSOLE";

struct ConsoleHandles {
  HANDLE input = INVALID_HANDLE_VALUE;
  HANDLE output = INVALID_HANDLE_VALUE;
};

ConsoleHandles OpenConsole() {
  ConsoleHandles handles;
  // Read and write access to the input: the tests feed it records.
  handles.input =
      CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  handles.output =
      CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  return handles;
}

INPUT_RECORD WideKey(bool down, WCHAR character, WORD scanCode, DWORD state = 0) {
  INPUT_RECORD record = {};
  record.EventType = KEY_EVENT;
  record.Event.KeyEvent.bKeyDown = down ? TRUE : FALSE;
  record.Event.KeyEvent.wRepeatCount = 1;
  record.Event.KeyEvent.wVirtualScanCode = scanCode;
  record.Event.KeyEvent.uChar.UnicodeChar = character;
  record.Event.KeyEvent.dwControlKeyState = state;
  return record;
}

// A key record for a code page 850 character: ASCII, control characters
// included, as itself, the upper half as its Unicode character.
INPUT_RECORD Key(bool down, std::uint8_t character, WORD scanCode, DWORD state = 0) {
  WCHAR wide = character < 128 ? character : static_cast<WCHAR>(Cp850ToUnicode(character));
  return WideKey(down, wide, scanCode, state);
}

INPUT_RECORD Mouse(int x, int y, DWORD buttons, DWORD flags = 0) {
  INPUT_RECORD record = {};
  record.EventType = MOUSE_EVENT;
  record.Event.MouseEvent.dwMousePosition = {static_cast<SHORT>(x), static_cast<SHORT>(y)};
  record.Event.MouseEvent.dwButtonState = buttons;
  record.Event.MouseEvent.dwEventFlags = flags;
  return record;
}

class WindowsConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    console_ = OpenConsole();
    if (console_.input == INVALID_HANDLE_VALUE || console_.output == INVALID_HANDLE_VALUE)
      GTEST_SKIP() << "no console to test on (CONIN$/CONOUT$ cannot be opened)";
    CONSOLE_SCREEN_BUFFER_INFO info;
    ASSERT_TRUE(GetConsoleScreenBufferInfo(console_.output, &info));
    width_ = info.dwSize.X;
    height_ = info.dwSize.Y;
    // Every test starts on a blank 7-on-0 screen with an empty input queue.
    DWORD written = 0;
    DWORD cells = static_cast<DWORD>(width_) * static_cast<DWORD>(height_);
    FillConsoleOutputCharacterA(console_.output, ' ', cells, {0, 0}, &written);
    FillConsoleOutputAttribute(console_.output, 7, cells, {0, 0}, &written);
    SetConsoleCursorPosition(console_.output, {0, 0});
    FlushConsoleInputBuffer(console_.input);
    platform_ = std::make_unique<WindowsPlatform>(
        StandardHandles{console_.input, console_.output, console_.output});
    ASSERT_TRUE(platform_->OpenConsoleInput());
  }

  void TearDown() override {
    platform_.reset();
    if (console_.input != INVALID_HANDLE_VALUE) CloseHandle(console_.input);
    if (console_.output != INVALID_HANDLE_VALUE) CloseHandle(console_.output);
  }

  CHAR_INFO NativeAt(int x, int y) {
    CHAR_INFO native = {};
    SMALL_RECT rectangle{static_cast<SHORT>(x), static_cast<SHORT>(y), static_cast<SHORT>(x),
                         static_cast<SHORT>(y)};
    ReadConsoleOutputW(console_.output, &native, {1, 1}, {0, 0}, &rectangle);
    return native;
  }

  // The cell as a code page 850 byte ('?' for a character the table lacks).
  Cell CellAt(int x, int y) {
    CHAR_INFO native = NativeAt(x, y);
    int byte = UnicodeToCp850(native.Char.UnicodeChar);
    return {static_cast<std::uint8_t>(byte >= 0 ? byte : '?'),
            static_cast<std::uint8_t>(native.Attributes)};
  }

  std::string Text(int x, int y, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += static_cast<char>(CellAt(x + i, y).character);
    return text;
  }

  void Feed(const std::vector<INPUT_RECORD>& records) {
    DWORD written = 0;
    ASSERT_TRUE(WriteConsoleInputW(console_.input, records.data(),
                                   static_cast<DWORD>(records.size()), &written));
    ASSERT_EQ(written, records.size());
  }

  DWORD InputMode() {
    DWORD mode = 0;
    GetConsoleMode(console_.input, &mode);
    return mode;
  }

  ConsoleHandles console_;
  std::unique_ptr<WindowsPlatform> platform_;
  int width_ = 0;
  int height_ = 0;
};

std::wstring ConsoleTitle() {
  std::vector<wchar_t> title(1024, L'\0');
  DWORD length = GetConsoleTitleW(title.data(), static_cast<DWORD>(title.size()));
  return std::wstring(title.data(), length);
}

TEST_F(WindowsConsoleTest, TheWindowIsCalledKippfeldUntilItsTitleIsGivenBack) {
  ASSERT_TRUE(SetConsoleTitleW(L"C:\\Games\\kippfeld.exe"));
  platform_->NameConsoleWindow();
  EXPECT_EQ(ConsoleTitle(), L"kippfeld");
  platform_->RestoreConsoleWindowName();
  EXPECT_EQ(ConsoleTitle(), L"C:\\Games\\kippfeld.exe");
  // Given back once: a second call leaves a title set since alone.
  ASSERT_TRUE(SetConsoleTitleW(L"cmd"));
  platform_->RestoreConsoleWindowName();
  EXPECT_EQ(ConsoleTitle(), L"cmd");
}

// What the program prints (--help, the history report, the table after a
// game) reaches a console as the characters it is, whatever code page the
// console is in, after what the C library held back; the code page stays.
TEST_F(WindowsConsoleTest, PrintedTextShowsItsLettersInAnyCodePage) {
  HANDLE copy = INVALID_HANDLE_VALUE;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), console_.output, GetCurrentProcess(), &copy, 0,
                              FALSE, DUPLICATE_SAME_ACCESS));
  std::FILE* stream = _fdopen(_open_osfhandle(reinterpret_cast<intptr_t>(copy), _O_TEXT), "w");
  ASSERT_NE(stream, nullptr);
  const UINT earlier = GetConsoleOutputCP();
  for (UINT codePage : {850u, 1252u, 65001u}) {
    SCOPED_TRACE(codePage);
    ASSERT_TRUE(SetConsoleOutputCP(codePage));
    SetConsoleCursorPosition(console_.output, {0, 0});
    EXPECT_TRUE(StreamTakesUtf8(stream));
    std::fputs("ab ", stream);
    EXPECT_TRUE(PutText(stream, "Z\u00fcge \u2584 gr\u00f6\u00dfer"));
    EXPECT_EQ(Text(0, 0, 16),
              "ab Z\x81ge \xDC gr\x94\xE1"
              "er");
    EXPECT_EQ(GetConsoleOutputCP(), codePage);
  }
  SetConsoleOutputCP(earlier);
  std::fclose(stream);
}

TEST_F(WindowsConsoleTest, BufferInfoIsTheConsolesOwn) {
  SetConsoleCursorPosition(console_.output, {3, 4});
  BufferInfo info;
  ASSERT_TRUE(platform_->GetBufferInfo(info));
  EXPECT_EQ(info.width, width_);
  EXPECT_EQ(info.height, height_);
  EXPECT_EQ(info.cursorX, 3);
  EXPECT_EQ(info.cursorY, 4);
  EXPECT_GE(info.windowWidth, 1);
  EXPECT_LE(info.windowWidth, info.width);
  EXPECT_GE(info.windowHeight, 1);
  EXPECT_LE(info.windowHeight, info.height);
}

TEST_F(WindowsConsoleTest, WriteCellsStoresEveryByteAndAttributeUnchanged) {
  // Control bytes are characters like any other: none of them moves anything.
  const std::vector<Cell> cells = {{'a', 0x1E}, {0x9A, 0x03}, {13, 0x70},  {10, 0x07},
                                   {9, 0x0F},   {7, 0x4A},    {0x81, 0x13}};
  platform_->WriteCells(5, 2, cells.data(), static_cast<int>(cells.size()));
  for (std::size_t i = 0; i < cells.size(); ++i) {
    Cell cell = CellAt(5 + static_cast<int>(i), 2);
    EXPECT_EQ(cell.character, cells[i].character) << "cell " << i;
    EXPECT_EQ(cell.attribute, cells[i].attribute) << "cell " << i;
  }
  BufferInfo info;
  ASSERT_TRUE(platform_->GetBufferInfo(info));
  EXPECT_EQ(info.cursorX, 0) << "writing cells leaves the cursor alone";
  EXPECT_EQ(info.cursorY, 0);
}

TEST_F(WindowsConsoleTest, WriteCellsClipsAtTheRightEdgeInsteadOfWrapping) {
  const std::vector<Cell> cells(4, Cell{'#', 0x1F});
  platform_->WriteCells(width_ - 2, 3, cells.data(), 4);
  EXPECT_EQ(Text(width_ - 2, 3, 2), "##");
  EXPECT_EQ(Text(0, 4, 2), "  ");
  // Off the buffer altogether: nothing, and nothing wraps onto a real cell.
  platform_->WriteCells(-1, 3, cells.data(), 4);
  platform_->WriteCells(0, height_, cells.data(), 4);
  platform_->WriteCells(0, 70000, cells.data(), 4);
  EXPECT_EQ(Text(0, 3, 4), "    ");
  EXPECT_EQ(Text(0, 70000 - 65536 < height_ ? 70000 - 65536 : 0, 4), "    ");
}

TEST_F(WindowsConsoleTest, ScrollUpLosesTheTopRowAndBlanksTheBottomInTheFill) {
  const std::vector<Cell> top(3, Cell{'T', 7}), second(3, Cell{'S', 0x21}), last(3, Cell{'L', 7});
  platform_->WriteCells(0, 0, top.data(), 3);
  platform_->WriteCells(0, 1, second.data(), 3);
  platform_->WriteCells(width_ - 3, height_ - 1, last.data(), 3);
  platform_->ScrollUp(Cell{' ', 0x17});
  EXPECT_EQ(Text(0, 0, 3), "SSS");
  EXPECT_EQ(CellAt(0, 0).attribute, 0x21);
  EXPECT_EQ(Text(width_ - 3, height_ - 2, 3), "LLL");
  for (int x = 0; x < width_; ++x) {
    Cell cell = CellAt(x, height_ - 1);
    EXPECT_EQ(cell.character, ' ') << "column " << x;
    EXPECT_EQ(cell.attribute, 0x17) << "column " << x;
  }
}

TEST_F(WindowsConsoleTest, FillsRunInReadingOrderAndKeepTheOtherHalfOfEachCell) {
  platform_->FillAttribute(width_ - 3, 2, 0x2E, 5);
  platform_->FillCharacter(width_ - 3, 2, 'x', 5);
  EXPECT_EQ(Text(width_ - 3, 2, 3), "xxx");
  EXPECT_EQ(Text(0, 3, 3), "xx ");
  EXPECT_EQ(CellAt(width_ - 1, 2).attribute, 0x2E);
  EXPECT_EQ(CellAt(1, 3).attribute, 0x2E);
  EXPECT_EQ(CellAt(2, 3).attribute, 7);
  // Recolouring keeps the characters.
  platform_->FillAttribute(0, 3, 0x40, 1);
  EXPECT_EQ(CellAt(0, 3).character, 'x');
  EXPECT_EQ(CellAt(0, 3).attribute, 0x40);
  // Runs past the buffer's end are clipped there.
  platform_->FillCharacter(width_ - 2, height_ - 1, 'z', 10);
  EXPECT_EQ(Text(width_ - 2, height_ - 1, 2), "zz");
}

TEST_F(WindowsConsoleTest, CursorPositionOutsideTheBufferIsRefused) {
  BufferInfo info;
  platform_->SetCursorPosition(5, 7);
  ASSERT_TRUE(platform_->GetBufferInfo(info));
  EXPECT_EQ(info.cursorX, 5);
  EXPECT_EQ(info.cursorY, 7);
  for (auto [x, y] : {std::pair{width_, 7}, {-1, 3}, {2, height_}, {65536 + 2, 3}}) {
    platform_->SetCursorPosition(x, y);
    ASSERT_TRUE(platform_->GetBufferInfo(info));
    EXPECT_EQ(info.cursorX, 5) << x << "," << y;
    EXPECT_EQ(info.cursorY, 7) << x << "," << y;
  }
}

TEST_F(WindowsConsoleTest, CursorShapeAndTextAttributeRoundTrip) {
  for (CursorShape shape :
       {CursorShape{37, false}, CursorShape{100, true}, CursorShape{10, true}}) {
    platform_->SetCursorShape(Handle::kConsoleOutput, shape);
    CursorShape back;
    ASSERT_TRUE(platform_->GetCursorShape(Handle::kStandardOutput, back));
    EXPECT_EQ(back.size, shape.size);
    EXPECT_EQ(back.visible, shape.visible);
  }
  platform_->SetTextAttribute(0x1E);
  CONSOLE_SCREEN_BUFFER_INFO info;
  ASSERT_TRUE(GetConsoleScreenBufferInfo(console_.output, &info));
  EXPECT_EQ(info.wAttributes, 0x1E);
}

TEST_F(WindowsConsoleTest, InputModeGoesToStandardInput) {
  platform_->SetInputMode(kMouseInput);
  std::uint32_t mode = 0;
  ASSERT_TRUE(platform_->GetInputMode(mode));
  EXPECT_EQ(mode & 0x1F, std::uint32_t{kMouseInput});
  EXPECT_EQ(InputMode() & 0x1F, DWORD{kMouseInput});
  // Quick Edit would turn clicks into text selection and swallow them.
  EXPECT_EQ(InputMode() & ENABLE_QUICK_EDIT_MODE, 0u);
  platform_->SetInputMode(0);
  ASSERT_TRUE(platform_->GetInputMode(mode));
  EXPECT_EQ(mode & 0x1F, 0u);
}

TEST_F(WindowsConsoleTest, PeekShowsTheOldestRecordUntilItIsRemoved) {
  Feed({Key(true, 'p', 25), Key(false, 'p', 25, SHIFT_PRESSED | CAPSLOCK_ON),
        Mouse(28, 7, FROM_LEFT_1ST_BUTTON_PRESSED, DOUBLE_CLICK)});
  InputRecord record;
  ASSERT_TRUE(platform_->PeekInput(record));
  ASSERT_TRUE(platform_->PeekInput(record));
  EXPECT_EQ(record.eventType, kKeyEvent);
  EXPECT_TRUE(record.keyDown);
  EXPECT_EQ(record.character, 'p');
  EXPECT_EQ(record.virtualScanCode, 25);
  EXPECT_EQ(record.repeatCount, 1);
  platform_->RemoveInput();
  ASSERT_TRUE(platform_->PeekInput(record));
  EXPECT_FALSE(record.keyDown);
  EXPECT_EQ(record.controlKeyState, std::uint32_t{kShiftPressed | kCapsLockOn});
  platform_->RemoveInput();
  ASSERT_TRUE(platform_->PeekInput(record));
  EXPECT_EQ(record.eventType, kMouseEvent);
  EXPECT_EQ(record.mouseX, 28);
  EXPECT_EQ(record.mouseY, 7);
  EXPECT_EQ(record.buttonState, std::uint32_t{kLeftButton});
  EXPECT_EQ(record.eventFlags, std::uint32_t{kDoubleClick});
  platform_->RemoveInput();
  EXPECT_FALSE(platform_->PeekInput(record));
}

TEST_F(WindowsConsoleTest, RemoveInputOnAnEmptyQueueReturnsInsteadOfWaiting) {
  // ReadConsoleInputA alone would wait here for a key that never comes.
  platform_->RemoveInput();
  Feed({Key(true, 'a', 30)});
  platform_->RemoveInput();
  platform_->RemoveInput();
  InputRecord record;
  EXPECT_FALSE(platform_->PeekInput(record));
}

TEST_F(WindowsConsoleTest, SleepUntilInputWakesForARecordAndTimesOutWithoutOne) {
  EXPECT_FALSE(platform_->SleepUntilInput(30)) << "nothing queued: the time runs out";
  Feed({Key(true, 'a', 30)});
  EXPECT_TRUE(platform_->SleepUntilInput(10'000)) << "a queued record ends it at once";
  platform_->RemoveInput();
  // A record that comes during the wait ends it: only then is the answer
  // true, long before the ten seconds are up.
  HANDLE input = console_.input;
  HANDLE feeder = CreateThread(
      nullptr, 0,
      [](LPVOID handle) -> DWORD {
        ::Sleep(50);
        INPUT_RECORD record = Key(true, 'b', 48);
        DWORD written = 0;
        WriteConsoleInputW(static_cast<HANDLE>(handle), &record, 1, &written);
        return 0;
      },
      input, 0, nullptr);
  ASSERT_NE(feeder, nullptr);
  EXPECT_TRUE(platform_->SleepUntilInput(10'000));
  WaitForSingleObject(feeder, INFINITE);
  CloseHandle(feeder);
  InputRecord record;
  ASSERT_TRUE(platform_->PeekInput(record));
  EXPECT_EQ(record.character, 'b');
}

// The console's code page, output and input, for the duration of a test.
class ConsoleCodePage {
 public:
  explicit ConsoleCodePage(UINT codePage) : output_(GetConsoleOutputCP()), input_(GetConsoleCP()) {
    set_ = SetConsoleOutputCP(codePage) && SetConsoleCP(codePage);
  }
  ~ConsoleCodePage() {
    SetConsoleOutputCP(output_);
    SetConsoleCP(input_);
  }
  bool Set() const { return set_; }

 private:
  UINT output_;
  UINT input_;
  bool set_ = false;
};

// Code page 850 and three that differ from it in the upper half: the OEM
// page of wine's console and of US Windows, the ANSI page, UTF-8.
constexpr UINT kCodePages[] = {850, 437, 1252, 65001};

TEST_F(WindowsConsoleTest, EveryByteShowsItsGlyphWhateverTheConsolesCodePage) {
  std::printf("console code page at start: %u\n", GetConsoleOutputCP());
  for (UINT codePage : kCodePages) {
    ConsoleCodePage page(codePage);
    if (!page.Set()) {
      ADD_FAILURE() << "code page " << codePage << " cannot be set";
      continue;
    }
    // Bytes 16 * r + c at row r, column c: written as cells, filled, and
    // brought in by a scroll.
    for (int row = 0; row < 16; ++row) {
      Cell cells[16];
      for (int i = 0; i < 16; ++i) cells[i] = {static_cast<std::uint8_t>(row * 16 + i), 0x1E};
      platform_->WriteCells(0, row, cells, 16);
    }
    for (int byte = 0; byte < 256; ++byte) {
      CHAR_INFO native = NativeAt(byte % 16, byte / 16);
      ASSERT_EQ(native.Char.UnicodeChar, Cp850ToUnicode(static_cast<std::uint8_t>(byte)))
          << "code page " << codePage << ", byte " << byte;
      ASSERT_EQ(native.Attributes, 0x1E) << "code page " << codePage << ", byte " << byte;
    }
    for (int byte : {0x81, 0x9A, 0xB0, 0xE1, 0xFC, 13}) {
      platform_->FillCharacter(20, 0, static_cast<std::uint8_t>(byte), 3);
      EXPECT_EQ(NativeAt(22, 0).Char.UnicodeChar, Cp850ToUnicode(static_cast<std::uint8_t>(byte)))
          << "code page " << codePage << ", fill with byte " << byte;
      platform_->ScrollUp(Cell{static_cast<std::uint8_t>(byte), 0x07});
      EXPECT_EQ(NativeAt(0, height_ - 1).Char.UnicodeChar,
                Cp850ToUnicode(static_cast<std::uint8_t>(byte)))
          << "code page " << codePage << ", scroll fill with byte " << byte;
    }
  }
}

TEST_F(WindowsConsoleTest, TypedCharactersArriveAsCodePage850BytesWhateverTheConsolesCodePage) {
  for (UINT codePage : kCodePages) {
    ConsoleCodePage page(codePage);
    if (!page.Set()) {
      ADD_FAILURE() << "code page " << codePage << " cannot be set";
      continue;
    }
    // Every character of the upper half, then ASCII, control characters,
    // and characters without a byte: a picture of a control byte, the euro
    // sign, the halves of a character beyond the Basic Multilingual Plane.
    std::vector<INPUT_RECORD> records;
    std::vector<int> expected;
    for (int byte = 128; byte < 256; ++byte) {
      records.push_back(
          WideKey(true, static_cast<WCHAR>(Cp850ToUnicode(static_cast<std::uint8_t>(byte))), 0));
      expected.push_back(byte);
    }
    const std::pair<WCHAR, int> others[] = {{L'a', 'a'},   {L'\r', 13},   {0x1B, 27},
                                            {0, 0},        {0x266A, '?'}, {0x20AC, '?'},
                                            {0xD83D, '?'}, {0xDE00, '?'}};
    for (auto [wide, byte] : others) {
      records.push_back(WideKey(true, wide, 0));
      expected.push_back(byte);
    }
    Feed(records);
    for (std::size_t i = 0; i < expected.size(); ++i) {
      InputRecord record;
      ASSERT_TRUE(platform_->PeekInput(record)) << "code page " << codePage << ", record " << i;
      EXPECT_EQ(record.character, expected[i]) << "code page " << codePage << ", record " << i;
      platform_->RemoveInput();
    }
  }
}

TEST_F(WindowsConsoleTest, ClosedConsoleInputShowsNothing) {
  Feed({Key(true, 'a', 30)});
  platform_->CloseConsoleInput();
  InputRecord record;
  EXPECT_FALSE(platform_->PeekInput(record));
  platform_->RemoveInput();
  ASSERT_TRUE(platform_->OpenConsoleInput());
  ASSERT_TRUE(platform_->PeekInput(record)) << "the record stayed queued";
  EXPECT_EQ(record.character, 'a');
}

TEST_F(WindowsConsoleTest, PollInputTurnsConsoleRecordsIntoKeyStrings) {
  console::ResetConsole(*platform_);
  console::SetMouseReporting(-1);
  EXPECT_EQ(InputMode() & 0x1F, DWORD{ENABLE_MOUSE_INPUT});
  console::SetMouseReporting(0xF0007);
  Feed({Key(true, 0, 42, SHIFT_PRESSED), Key(false, 0, 42), Key(true, 27, 1), Key(false, 27, 1),
        Key(true, 0, 1, CAPSLOCK_ON), Key(true, 0, 72, ENHANCED_KEY),
        Key(true, 'p', 25, LEFT_ALT_PRESSED), Mouse(28, 7, FROM_LEFT_1ST_BUTTON_PRESSED),
        Mouse(28, 7, 0), Mouse(28, 7, FROM_LEFT_1ST_BUTTON_PRESSED, DOUBLE_CLICK), Mouse(28, 7, 0),
        Mouse(3, 4, RIGHTMOST_BUTTON_PRESSED), Mouse(5, 6, RIGHTMOST_BUTTON_PRESSED, MOUSE_MOVED)});
  EXPECT_EQ(console::PollInput(), "\x1b") << "Shift alone is passed over";
  EXPECT_EQ(console::PollInput(), "\x1b") << "Esc with character 0, Caps Lock on";
  EXPECT_EQ(console::PollInput(), "\0\x48"s);
  EXPECT_EQ(console::PollInput(), "\0\x19"s) << "Alt+P";
  EXPECT_EQ(console::PollInput(), "\xff\xff\x04\x01"s);
  EXPECT_EQ(console::MouseColumn(), 29);
  EXPECT_EQ(console::MouseRow(), 8);
  EXPECT_EQ(console::PollInput(), "\xff\xff\x08\x01"s);
  EXPECT_EQ(console::PollInput(), "\xff\xff\x02\x01"s);
  EXPECT_EQ(console::PollInput(), "\xff\xff\x08\x01"s);
  EXPECT_EQ(console::PollInput(), "\xff\xff\x04\x02"s);
  EXPECT_EQ(console::PollInput(), "\xff\xff\x01\x00"s);
  EXPECT_EQ(console::MouseColumn(), 6);
  EXPECT_EQ(console::MouseRow(), 7);
  EXPECT_EQ(console::PollInput(), "");
  EXPECT_EQ(console::PollInput(), "");
}

TEST_F(WindowsConsoleTest, PollInputDropsMouseRecordsWhileReportingIsOff) {
  console::ResetConsole(*platform_);
  console::SetMouseReporting(0);
  EXPECT_EQ(InputMode() & 0x1F, 0u);
  Feed({Mouse(10, 10, FROM_LEFT_1ST_BUTTON_PRESSED), Mouse(10, 10, 0), Key(true, '\r', 28)});
  EXPECT_EQ(console::PollInput(), "\r");
  EXPECT_EQ(console::MouseColumn(), 0);
  EXPECT_EQ(console::MouseRow(), 0);
  EXPECT_EQ(console::PollInput(), "");
}

TEST_F(WindowsConsoleTest, ScreenServicesWrapAndDeferTheScrollOnTheRealConsole) {
  console::ResetConsole(*platform_);
  console::MoveTo(1, width_ - 2);
  console::WriteText("abcd");
  EXPECT_EQ(Text(width_ - 3, 0, 3), "abc");
  EXPECT_EQ(Text(0, 1, 1), "d");
  BufferInfo info;
  ASSERT_TRUE(platform_->GetBufferInfo(info));
  EXPECT_EQ(info.cursorX, 1);
  EXPECT_EQ(info.cursorY, 1);

  // Filling the bottom row scrolls nothing until more output follows.
  console::MoveTo(height_, width_ - 1);
  console::WriteText("yz");
  EXPECT_EQ(Text(width_ - 2, height_ - 1, 2), "yz");
  console::WriteText("!");
  EXPECT_EQ(Text(width_ - 2, height_ - 2, 2), "yz");
  EXPECT_EQ(Text(0, height_ - 1, 2), "! ");
  EXPECT_EQ(Text(width_ - 3, 0, 3), "   ") << "the top row scrolled away";
}

TEST_F(WindowsConsoleTest, ClearScreenAndTextCursorOnTheRealConsole) {
  console::ResetConsole(*platform_);
  console::WriteText("junk");
  console::SetTextCursor(5);
  console::SetColour(7, 1, 0);
  console::ClearScreen();
  for (int y = 0; y < height_; y += height_ - 1)
    for (int x = 0; x < width_; ++x) {
      Cell cell = CellAt(x, y);
      ASSERT_EQ(cell.character, ' ') << x << "," << y;
      ASSERT_EQ(cell.attribute, 0x17) << x << "," << y;
    }
  CONSOLE_CURSOR_INFO cursor;
  ASSERT_TRUE(GetConsoleCursorInfo(console_.output, &cursor));
  EXPECT_EQ(cursor.dwSize, 10u);
  EXPECT_TRUE(cursor.bVisible);
}

TEST_F(WindowsConsoleTest, OutputRedirectedWhileStandardErrorIsAConsole) {
  HANDLE file = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  WindowsPlatform platform({console_.input, file, console_.output});
  EXPECT_FALSE(platform.IsConsole(Handle::kStandardOutput));
  EXPECT_TRUE(platform.IsConsole(Handle::kStandardError));
  BufferInfo info;
  EXPECT_FALSE(platform.GetBufferInfo(info)) << "standard output is the output until chosen";
  platform.SelectConsoleOutput(Handle::kStandardError);
  ASSERT_TRUE(platform.GetBufferInfo(info));
  const Cell cell{'E', 0x0C};
  platform.WriteCells(0, 5, &cell, 1);
  EXPECT_EQ(CellAt(0, 5).character, 'E');
  CloseHandle(file);
}

TEST_F(WindowsConsoleTest, StartInformationHandlesReplaceTheStandardOnesButNotTheOutput) {
  // This program runs with the handles its launcher passed in its start
  // information: its output and error are a pipe, not the console.
  if ((platform_->GetStartInfo().flags & StartInfo::kUseStdHandles) == 0)
    GTEST_SKIP() << "started without standard handles in the start information";
  ASSERT_TRUE(platform_->IsConsole(Handle::kStandardOutput));
  platform_->UseStartInfoHandles();
  STARTUPINFOA start = {};
  start.cb = sizeof start;
  GetStartupInfoA(&start);
  EXPECT_EQ(platform_->Standard().input, start.hStdInput);
  EXPECT_EQ(platform_->Standard().output, start.hStdOutput);
  EXPECT_EQ(platform_->Standard().error, start.hStdError);
  EXPECT_FALSE(platform_->IsConsole(Handle::kStandardOutput));
  BufferInfo info;
  EXPECT_TRUE(platform_->GetBufferInfo(info)) << "the console output handle stays as chosen";
}

std::uint16_t X87ControlWord() {
  std::uint16_t control = 0;
  __asm__ __volatile__("fnstcw %0" : "=m"(control));
  return control;
}

TEST(WindowsFloatingPoint, ModeGivesA64BitSignificandEvenFromA53BitStart) {
  // Windows' own start value: 53-bit significand, round to nearest, masked.
  std::uint16_t windowsDefault = 0x027F;
  __asm__ __volatile__("fldcw %0" : : "m"(windowsDefault));
  WindowsPlatform platform;
  platform.SetFloatingPointMode();
  std::uint16_t control = X87ControlWord();
  EXPECT_EQ(control & 0x0300, 0x0300) << "precision control: 64 bits";
  EXPECT_EQ(control & 0x0C00, 0) << "rounding control: nearest";
  EXPECT_EQ(control & 0x003F, 0x003F) << "all exceptions masked";
  volatile long double one = 1.0L;
  volatile long double tiny = std::ldexp(1.0L, -60);
  EXPECT_EQ((one + tiny) - one, tiny) << "a 53-bit significand would lose 2^-60 next to 1";
  volatile long double zero = 0.0L;
  EXPECT_TRUE(std::isinf(one / zero)) << "division by zero gives infinity, no trap";
}

// Runs this program again in a console of its own, with no window, passing
// its report back through a pipe. A console is needed (wine's, under ctest,
// has none for a program whose output is a pipe), and the tests write cells
// and input records that must not land in the console of whoever runs them.
int RunInOwnConsole() {
  SetEnvironmentVariableA(kInOwnConsole, "1");
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE reader = nullptr;
  HANDLE writer = nullptr;
  if (!CreatePipe(&reader, &writer, &inheritable, 0)) return 2;
  SetHandleInformation(reader, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA start = {};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = nullptr;
  start.hStdOutput = writer;
  start.hStdError = writer;
  std::string commandLine = GetCommandLineA();
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &start, &process)) {
    std::fprintf(stderr, "cannot start the tests in a console of their own: error %lu\n",
                 GetLastError());
    return 2;
  }
  CloseHandle(writer);
  char buffer[4096];
  DWORD count = 0;
  while (ReadFile(reader, buffer, sizeof buffer, &count, nullptr) && count > 0) {
    std::fwrite(buffer, 1, count, stdout);
    std::fflush(stdout);
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 2;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CloseHandle(reader);
  return static_cast<int>(exitCode);
}

}  // namespace
}  // namespace kippfeld::platform

int main(int argc, char** argv) {
  if (GetEnvironmentVariableA(kippfeld::platform::kInOwnConsole, nullptr, 0) == 0)
    return kippfeld::platform::RunInOwnConsole();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
