// A console program started from Explorer or a shortcut gets a console
// window of its own, which closes the moment the program ends: the text of
// --help, --history or a usage error would be gone before it could be read.
// Such a program is the only one attached to its console (one opened by hand
// also holds cmd or PowerShell), so only then does it wait for a key before
// it ends. A game ends through ExitProcess, which runs no exit handler: its
// results table already waits for a key of its own.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/backend.h"
#include "words/words.h"

// Last, so that its macros cannot reach the declarations above.
#include "platform/windows/windows_api.h"

namespace kippfeld::platform {

namespace {

// The one sentence this wait adds to what the program says, in the
// program's language; WriteConsoleW takes it as UTF-16.
std::wstring CloseLine() {
  const std::string line = std::string("\r\n") + _("Press any key to close this window.");
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(), size);
  return wide;
}

bool IsConsoleHandle(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

// Shift, Ctrl, Alt and the lock keys alone do not count as "any key".
bool ClosesWindow(const INPUT_RECORD& record) {
  if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) return false;
  switch (record.Event.KeyEvent.wVirtualKeyCode) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL:
    case VK_LWIN:
    case VK_RWIN:
      return false;
    default:
      return true;
  }
}

void WaitForKeyBeforeClosing() {
  std::fflush(nullptr);
  // Only when what was said is on this console: output sent to a file or a
  // pipe leaves nothing on the screen to read.
  if (!IsConsoleHandle(GetStdHandle(STD_OUTPUT_HANDLE)) &&
      !IsConsoleHandle(GetStdHandle(STD_ERROR_HANDLE))) {
    return;
  }
  HANDLE output =
      CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE input =
      CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (output != INVALID_HANDLE_VALUE && input != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    const std::wstring line = CloseLine();
    WriteConsoleW(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    // Keys typed before the text was there (the Enter that started it) do
    // not close it unread.
    FlushConsoleInputBuffer(input);
    INPUT_RECORD record;
    DWORD read = 0;
    while (ReadConsoleInputW(input, &record, 1, &read) && read == 1 && !ClosesWindow(record)) {
    }
  }
  if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
  if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
}

// wine's ntdll, and only wine's, exports wine_get_version.
bool RunsUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

void KeepOwnConsoleOpen() {
  // Under wine the program is alone on the console of the Unix terminal it
  // was started from, which stays open after it: nothing to wait for there.
  if (RunsUnderWine()) return;
  DWORD processes[2] = {};
  if (GetConsoleProcessList(processes, 2) != 1) return;
  std::atexit(&WaitForKeyBeforeClosing);
}

}  // namespace kippfeld::platform
