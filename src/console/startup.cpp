#include "console/startup.h"

#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <string_view>

#include "console/clock.h"
#include "console/errors.h"
#include "console/screen.h"
#include "console/state.h"

namespace kippfeld::console {

namespace {

using platform::CursorShape;
using platform::Handle;
using platform::Platform;
using platform::StartInfo;

// Output mode: processed output and wrap at the end of line.
constexpr std::uint32_t kOutputMode = 0x0003;
// Input mode 0: no line editing, echo, processed input, mouse or window
// records. Without processed input Ctrl+C reaches the key reader as a key.
constexpr std::uint32_t kInputMode = 0;
constexpr int kDefaultShowMode = 10;
constexpr CursorShape kDefaultCursor{10, true};

// What the run-time keeps for the running thread from start-up to the end of
// the process. It holds the start information, so the main procedure's
// argument lives as long as the procedure may look at it.
struct RunTimeStorage {
  StartParameters start;
};

std::unique_ptr<RunTimeStorage> theStorage;

bool Usable(bool read, const CursorShape& shape) {
  return read && shape.size != 0;
}

// The console output handle first; a console that cannot say (or says 0)
// leaves it to standard output, and with neither the cursor gets a shape we
// know, so that hiding and showing it later restores something visible.
CursorShape ReadCursorShape(Platform& platform) {
  CursorShape shape;
  if (Usable(platform.GetCursorShape(Handle::kConsoleOutput, shape), shape)) return shape;
  if (Usable(platform.GetCursorShape(Handle::kStandardOutput, shape), shape)) return shape;
  platform.SetCursorShape(Handle::kConsoleOutput, kDefaultCursor);
  return kDefaultCursor;
}

// The command line without the program name and the blanks after it.
std::string CommandTail(std::string_view commandLine) {
  std::size_t i = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    // A quoted name may hold blanks; it ends at the closing quote, or with
    // the line when the quote is never closed.
    std::size_t close = commandLine.find('"', 1);
    i = close == std::string_view::npos ? commandLine.size() : close + 1;
  } else {
    while (i < commandLine.size() && static_cast<unsigned char>(commandLine[i]) > ' ') ++i;
  }
  while (i < commandLine.size() && commandLine[i] == ' ') ++i;
  return std::string(commandLine.substr(i));
}

}  // namespace

void StartUp(Platform& platform, const MainProcedure& main) {
  // The standard handles are the platform's from the start; the console input
  // device is opened here and closed by EndProgram.
  platform.OpenConsoleInput();
  // With output redirected to a file the screen goes to the console through
  // standard error.
  platform.SelectConsoleOutput(platform.IsConsole(Handle::kStandardOutput)
                                   ? Handle::kStandardOutput
                                   : Handle::kStandardError);
  platform.SetOutputMode(kOutputMode);
  platform.SetInputMode(kInputMode);
  CursorShape cursor = ReadCursorShape(platform);

  // Only after the output handle and the modes are settled: replacement
  // handles change where later mode switches go, not what was chosen above.
  StartInfo info = platform.GetStartInfo();
  if ((info.flags & StartInfo::kUseStdHandles) != 0) platform.UseStartInfoHandles();
  int showMode = (info.flags & StartInfo::kUseShowWindow) != 0 ? info.showWindow : kDefaultShowMode;
  std::string tail = CommandTail(platform.CommandLine());
  std::uintptr_t instance = platform.ModuleHandle();

  try {
    theStorage = std::make_unique<RunTimeStorage>();
  } catch (const std::bad_alloc&) {
    // Nothing can be shown without the run-time's storage.
    platform.ExitProcess(255);
  }
  theStorage->start = StartParameters{instance, 0, std::move(tail), showMode};

  // The reset clears the whole console state, so the cursor shape read above
  // is stored only afterwards.
  ResetConsole(platform);
  Console().screen.cursor = cursor;
  platform.SetFloatingPointMode();

  int result = main(theStorage->start);
  EndProgram(result);
}

void EndProgram(int exitCode) {
  Platform& platform = CurrentPlatform();
  platform.CloseConsoleInput();
  theStorage.reset();
  platform.ExitProcess(exitCode);
  // The compiler does not carry noreturn through a virtual call; a backend
  // whose ExitProcess came back would be broken, and going on is worse.
  std::abort();
}

void ReportRunTimeError() {
  try {
    WriteText(" fehler  ...");
    WriteNumber(ErrorNumber(), 15);
    NewLine();
  } catch (const std::exception&) {
    // The report is a courtesy; the program ends with 0 whether or not it
    // could be written, and an error of the report itself is not reported.
  }
  Pause(2000);
  EndProgram(0);
}

}  // namespace kippfeld::console
