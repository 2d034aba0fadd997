#include "platform/windows/windows_platform.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/cp850.h"
#include "platform/history_file.h"
#include "words/words.h"

// Last, so that its macros cannot reach the declarations above.
#include "platform/windows/windows_api.h"

namespace kippfeld::platform {

namespace {

// The console's own limit for one WriteConsoleOutputA; callers send one row
// segment of at most this many cells.
constexpr int kMaxSegment = 256;

HANDLE Native(void* handle) {
  return static_cast<HANDLE>(handle);
}

// Console coordinates are SHORTs: anything outside cannot be a buffer cell,
// and casting it would wrap onto a cell that is.
bool FitsCoordinate(int value) {
  return value >= 0 && value <= SHRT_MAX;
}

COORD Coordinate(int x, int y) {
  return COORD{static_cast<SHORT>(x), static_cast<SHORT>(y)};
}

// Cells and key records go through the console's wide-character functions
// and the code page 850 table: the console's own code page (437 under wine,
// 1252 or 65001 elsewhere) then changes nothing of what is shown or typed.
WCHAR WideOf(std::uint8_t byte) {
  // Every glyph of code page 850 lies in the Basic Multilingual Plane.
  return static_cast<WCHAR>(Cp850ToUnicode(byte));
}

// A character code page 850 does not have (the euro sign, half of a
// character beyond the Basic Multilingual Plane) arrives as "?", as it does
// from a terminal.
std::uint8_t TypedByte(WCHAR character) {
  const int byte = TypedCp850(character);
  return static_cast<std::uint8_t>(byte >= 0 ? byte : '?');
}

InputRecord FromNative(const INPUT_RECORD& native) {
  InputRecord record;
  record.eventType = native.EventType;
  if (native.EventType == KEY_EVENT) {
    const KEY_EVENT_RECORD& key = native.Event.KeyEvent;
    record.keyDown = key.bKeyDown != 0;
    record.repeatCount = key.wRepeatCount;
    record.virtualKeyCode = key.wVirtualKeyCode;
    record.virtualScanCode = key.wVirtualScanCode;
    record.character = TypedByte(key.uChar.UnicodeChar);
    record.controlKeyState = key.dwControlKeyState;
  } else if (native.EventType == MOUSE_EVENT) {
    const MOUSE_EVENT_RECORD& mouse = native.Event.MouseEvent;
    record.mouseX = mouse.dwMousePosition.X;
    record.mouseY = mouse.dwMousePosition.Y;
    record.buttonState = mouse.dwButtonState;
    record.eventFlags = mouse.dwEventFlags;
    record.controlKeyState = mouse.dwControlKeyState;
  }
  return record;
}

// What AtProcessEnd was given, in order.
std::vector<void (*)()>& ProcessEndActions() {
  static std::vector<void (*)()> actions;
  return actions;
}

}  // namespace

StandardHandles CurrentStandardHandles() {
  // Error first, then input and output: the order start-up asks for them in.
  StandardHandles handles;
  handles.error = GetStdHandle(STD_ERROR_HANDLE);
  handles.input = GetStdHandle(STD_INPUT_HANDLE);
  handles.output = GetStdHandle(STD_OUTPUT_HANDLE);
  return handles;
}

WindowsPlatform::WindowsPlatform(const StandardHandles& handles)
    : standard_(handles), consoleOutput_(handles.output) {}

WindowsPlatform::~WindowsPlatform() {
  CloseConsoleInput();
}

void* WindowsPlatform::HandleOf(Handle handle) const {
  switch (handle) {
    case Handle::kStandardInput:
      return standard_.input;
    case Handle::kStandardOutput:
      return standard_.output;
    case Handle::kStandardError:
      return standard_.error;
    case Handle::kConsoleOutput:
      return consoleOutput_;
  }
  return nullptr;
}

bool WindowsPlatform::GetBufferInfo(BufferInfo& info) {
  CONSOLE_SCREEN_BUFFER_INFO native;
  if (!GetConsoleScreenBufferInfo(Native(consoleOutput_), &native)) return false;
  info.width = native.dwSize.X;
  info.height = native.dwSize.Y;
  info.cursorX = native.dwCursorPosition.X;
  info.cursorY = native.dwCursorPosition.Y;
  info.windowWidth = native.srWindow.Right - native.srWindow.Left + 1;
  info.windowHeight = native.srWindow.Bottom - native.srWindow.Top + 1;
  return true;
}

void WindowsPlatform::WriteCells(int x, int y, const Cell* cells, int count) {
  if (!FitsCoordinate(y)) return;
  CHAR_INFO segment[kMaxSegment] = {};
  // A longer run than one segment is not what callers send, but it is still
  // written whole rather than cut; the console clips at the right edge.
  while (count > 0 && FitsCoordinate(x)) {
    int n = std::min({count, kMaxSegment, SHRT_MAX - x + 1});
    for (int i = 0; i < n; ++i) {
      segment[i].Char.UnicodeChar = WideOf(cells[i].character);
      segment[i].Attributes = cells[i].attribute;
    }
    SMALL_RECT rectangle{static_cast<SHORT>(x), static_cast<SHORT>(y),
                         static_cast<SHORT>(x + n - 1), static_cast<SHORT>(y)};
    WriteConsoleOutputW(Native(consoleOutput_), segment, Coordinate(n, 1), Coordinate(0, 0),
                        &rectangle);
    x += n;
    cells += n;
    count -= n;
  }
}

void WindowsPlatform::ScrollUp(Cell fill) {
  BufferInfo info;
  if (!GetBufferInfo(info) || info.width <= 0 || info.height <= 0) return;
  if (info.height == 1) {
    // No rows below row 0 to move: the console would refuse an empty
    // rectangle, yet the one row must still come out blank.
    FillCharacter(0, 0, fill.character, info.width);
    FillAttribute(0, 0, fill.attribute, info.width);
    return;
  }
  SMALL_RECT rows{0, 1, static_cast<SHORT>(info.width - 1), static_cast<SHORT>(info.height - 1)};
  CHAR_INFO blank = {};
  blank.Char.UnicodeChar = WideOf(fill.character);
  blank.Attributes = fill.attribute;
  ScrollConsoleScreenBufferW(Native(consoleOutput_), &rows, nullptr, Coordinate(0, 0), &blank);
}

void WindowsPlatform::FillCharacter(int x, int y, std::uint8_t character, int count) {
  if (!FitsCoordinate(x) || !FitsCoordinate(y) || count <= 0) return;
  DWORD written = 0;
  FillConsoleOutputCharacterW(Native(consoleOutput_), WideOf(character), static_cast<DWORD>(count),
                              Coordinate(x, y), &written);
}

void WindowsPlatform::FillAttribute(int x, int y, std::uint8_t attribute, int count) {
  if (!FitsCoordinate(x) || !FitsCoordinate(y) || count <= 0) return;
  DWORD written = 0;
  FillConsoleOutputAttribute(Native(consoleOutput_), attribute, static_cast<DWORD>(count),
                             Coordinate(x, y), &written);
}

void WindowsPlatform::SetCursorPosition(int x, int y) {
  // The console itself refuses a cell outside the buffer and keeps the old
  // one; it also scrolls its window to show the new cell.
  if (!FitsCoordinate(x) || !FitsCoordinate(y)) return;
  SetConsoleCursorPosition(Native(consoleOutput_), Coordinate(x, y));
}

bool WindowsPlatform::GetCursorShape(Handle handle, CursorShape& shape) {
  CONSOLE_CURSOR_INFO native;
  if (!GetConsoleCursorInfo(Native(HandleOf(handle)), &native)) return false;
  shape.size = static_cast<int>(native.dwSize);
  shape.visible = native.bVisible != 0;
  return true;
}

void WindowsPlatform::SetCursorShape(Handle handle, const CursorShape& shape) {
  CONSOLE_CURSOR_INFO native{static_cast<DWORD>(std::max(shape.size, 0)),
                             shape.visible ? TRUE : FALSE};
  SetConsoleCursorInfo(Native(HandleOf(handle)), &native);
}

void WindowsPlatform::SetTextAttribute(std::uint8_t attribute) {
  SetConsoleTextAttribute(Native(consoleOutput_), attribute);
}

void WindowsPlatform::SetOutputMode(std::uint32_t mode) {
  SetConsoleMode(Native(consoleOutput_), mode);
}

bool WindowsPlatform::GetInputMode(std::uint32_t& mode) {
  DWORD native = 0;
  if (!GetConsoleMode(Native(standard_.input), &native)) return false;
  mode = native;
  return true;
}

void WindowsPlatform::SetInputMode(std::uint32_t mode) {
  // Standard input, not "CONIN$": after start-up took the start
  // information's handles, mode changes go to the replacement.
  // With Quick Edit on (the default since Windows 10) a click selects text
  // and no mouse record reaches the program; the extended flags with Quick
  // Edit clear switch it off while the mouse is wanted.
  if ((mode & ENABLE_MOUSE_INPUT) != 0) mode |= ENABLE_EXTENDED_FLAGS;
  SetConsoleMode(Native(standard_.input), mode);
}

bool WindowsPlatform::PeekInput(InputRecord& record) {
  if (consoleInput_ == nullptr) return false;
  INPUT_RECORD native;
  DWORD count = 0;
  if (!PeekConsoleInputW(Native(consoleInput_), &native, 1, &count) || count == 0) return false;
  record = FromNative(native);
  return true;
}

void WindowsPlatform::RemoveInput() {
  if (consoleInput_ == nullptr) return;
  INPUT_RECORD native;
  DWORD count = 0;
  // ReadConsoleInputW waits for a record when the queue is empty: read only
  // what a look has just shown to be there, so that removing never blocks.
  if (!PeekConsoleInputW(Native(consoleInput_), &native, 1, &count) || count == 0) return;
  ReadConsoleInputW(Native(consoleInput_), &native, 1, &count);
}

TimeOfDay WindowsPlatform::LocalTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return {now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

void WindowsPlatform::Sleep(std::uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

// The console input handle is signalled while its queue holds a record.
bool WindowsPlatform::SleepUntilInput(std::uint32_t milliseconds) {
  if (consoleInput_ != nullptr) {
    DWORD result = WaitForSingleObject(Native(consoleInput_), milliseconds);
    if (result == WAIT_OBJECT_0) return true;
    if (result == WAIT_TIMEOUT) return false;
  }
  // No input to wait on, or the wait failed: sleep, so that a caller that
  // waits in a loop does not spin.
  ::Sleep(milliseconds);
  return false;
}

bool WindowsPlatform::IsConsole(Handle handle) {
  DWORD mode = 0;
  return GetConsoleMode(Native(HandleOf(handle)), &mode) != 0;
}

void WindowsPlatform::SelectConsoleOutput(Handle handle) {
  consoleOutput_ = HandleOf(handle);
}

bool WindowsPlatform::OpenConsoleInput() {
  CloseConsoleInput();
  HANDLE input =
      CreateFileA("CONIN$", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (input == INVALID_HANDLE_VALUE) return false;
  consoleInput_ = input;
  return true;
}

void WindowsPlatform::CloseConsoleInput() {
  if (consoleInput_ == nullptr) return;
  CloseHandle(Native(consoleInput_));
  consoleInput_ = nullptr;
}

StartInfo WindowsPlatform::GetStartInfo() {
  STARTUPINFOA native = {};
  native.cb = sizeof native;
  GetStartupInfoA(&native);
  StartInfo info;
  info.flags = native.dwFlags;
  info.showWindow = native.wShowWindow;
  return info;
}

void WindowsPlatform::UseStartInfoHandles() {
  STARTUPINFOA native = {};
  native.cb = sizeof native;
  GetStartupInfoA(&native);
  // Without the flag the handle fields hold nothing meaningful.
  if ((native.dwFlags & STARTF_USESTDHANDLES) == 0) return;
  standard_ = {native.hStdInput, native.hStdOutput, native.hStdError};
}

std::string WindowsPlatform::CommandLine() {
  const char* line = GetCommandLineA();
  return line != nullptr ? std::string(line) : std::string();
}

std::uintptr_t WindowsPlatform::ModuleHandle() {
  return reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr));
}

void WindowsPlatform::SetFloatingPointMode() {
  // long double lives in the x87 unit, and Windows starts a process with its
  // significand cut to 53 bits, which would quietly round every extended
  // result to double. So the control word is set whole, not trusted: all six
  // exceptions masked, 64-bit significand, round to nearest even. Pending
  // exception flags are cleared first, so that nothing traps on the load.
  constexpr std::uint16_t kExtendedNearestMasked = 0x037F;
  std::uint16_t control = kExtendedNearestMasked;
  __asm__ __volatile__("fnclex\n\tfldcw %0" : : "m"(control));
  // float and double run on SSE: exceptions masked, round to nearest, no
  // flushing of denormals (bits 15 and 6) so stored results stay IEEE.
  std::uint32_t status = 0;
  __asm__ __volatile__("stmxcsr %0" : "=m"(status));
  constexpr std::uint32_t kAllMasked = 0x1F80;
  constexpr std::uint32_t kRoundingAndFlush = 0x6000 | 0x8000 | 0x0040;
  status = (status | kAllMasked) & ~kRoundingAndFlush;
  __asm__ __volatile__("ldmxcsr %0" : : "m"(status));
}

void WindowsPlatform::ExitProcess(int exitCode) {
  // The system's ExitProcess runs none of the C library's exit handlers, so
  // the actions are run here, latest first, as std::exit would run them.
  for (auto action = ProcessEndActions().rbegin(); action != ProcessEndActions().rend(); ++action) {
    (*action)();
  }
  std::fflush(nullptr);
  RestoreConsoleWindowName();
  ::ExitProcess(static_cast<UINT>(exitCode));
}

void WindowsPlatform::NameConsoleWindow() {
  // A title is at most 64 KiB; a longer one than this buffer comes back cut.
  std::vector<wchar_t> title(1024, L'\0');
  const DWORD length = GetConsoleTitleW(title.data(), static_cast<DWORD>(title.size()));
  earlierTitle_.assign(title.data(), std::min<std::size_t>(length, title.size() - 1));
  titleNamed_ = SetConsoleTitleW(L"kippfeld") != 0;
}

// The console a player opened by hand is theirs again, title and all.
void WindowsPlatform::RestoreConsoleWindowName() {
  if (!titleNamed_) return;
  SetConsoleTitleW(earlierTitle_.c_str());
  titleNamed_ = false;
}

void AtProcessEnd(void (*action)()) {
  ProcessEndActions().push_back(action);
}

// The console keeps the command line as it was typed (GetCommandLineA);
// main's arguments are only a reading of it.
std::unique_ptr<Platform> OpenConsolePlatform(int, const char* const*) {
  auto platform = std::make_unique<WindowsPlatform>();
  // With neither output handle a console, every screen call would fail
  // unseen while the game sat waiting for keys: refuse rather than play blind.
  if (!platform->IsConsole(Handle::kStandardOutput) &&
      !platform->IsConsole(Handle::kStandardError)) {
    std::string line = std::string("kippfeld: ") +
                       _("needs a console: neither standard output nor standard error is one") +
                       "\n";
    PutText(stderr, words::ForOutput(line, StreamTakesUtf8(stderr)));
    return nullptr;
  }
  platform->NameConsoleWindow();
  return platform;
}

}  // namespace kippfeld::platform
