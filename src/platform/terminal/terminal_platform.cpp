#include "platform/terminal/terminal_platform.h"

#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/backend.h"
#include "platform/history_file.h"
#include "platform/terminal/terminal_keys.h"
#include "platform/terminal/terminal_lifecycle.h"
#include "words/words.h"

namespace kippfeld::platform {

namespace {

// CAN, first in what a signal handler writes: it ends any sequence that the
// signal cut off mid-way.
const std::string kCancel = "\x18";

// The exit handler's way to the one platform of the process.
TerminalPlatform* gLivePlatform = nullptr;

void ShutdownAtExit() {
  if (gLivePlatform != nullptr) gLivePlatform->Shutdown();
}

// Why there is nothing to play on, in the player's language.
void PutError(const std::string& text) {
  std::string line = "kippfeld: " + text + "\n";
  PutText(stderr, words::ForOutput(line, StreamTakesUtf8(stderr)));
}

}  // namespace

std::string CommandLineOf(int argc, const char* const* argv) {
  if (argc < 1 || argv == nullptr || argv[0] == nullptr) return "kippfeld";
  // A name with a blank in quotes, as a command line shows it, so that the
  // command tail starts after all of it.
  const std::string name = argv[0];
  std::string line = name.find(' ') != std::string::npos ? '"' + name + '"' : name;
  for (int i = 1; i < argc && argv[i] != nullptr; ++i) line.append(" ").append(argv[i]);
  return line;
}

// A terminal outlives the program: nothing vanishes when it ends.
void KeepOwnConsoleOpen() {}

std::unique_ptr<Platform> OpenConsolePlatform(int argc, const char* const* argv) {
  int fd = OpenTerminal();
  if (fd < 0) {
    PutError(
        _("no terminal to play on (/dev/tty cannot be opened and neither standard "
          "output nor standard error is a terminal)"));
    return nullptr;
  }
  std::string error;
  std::unique_ptr<TerminalPlatform> platform =
      TerminalPlatform::Open(fd, CommandLineOf(argc, argv), error);
  if (!platform) {
    PutError(error);
    return nullptr;
  }
  return platform;
}

std::unique_ptr<TerminalPlatform> TerminalPlatform::Open(int fd, std::string commandLine,
                                                         std::string& error) {
  // Saved and guarded before curses changes anything, so that even a crash
  // inside newterm gives the settings back.
  SaveTerminalSettings(fd);
  InstallSignalHandlers();
  std::unique_ptr<TerminalPlatform> platform(new TerminalPlatform(fd));
  platform->commandLine_ = std::move(commandLine);
  if (!platform->screen_.Open(fd, error)) {
    close(fd);
    platform->fd_ = -1;
    platform->shutDown_ = true;
    return nullptr;
  }
  platform->ArmReset();
  ArmJobControl(kCancel + platform->screen_.TakeString());
  platform->reader_.Decoder().SetTerminalKeys(TerminalKeys(std::getenv("TERM"), fd));
  platform->FitBuffer();
  gLivePlatform = platform.get();
  std::atexit(ShutdownAtExit);
  return platform;
}

void TerminalPlatform::ArmReset() {
  ArmEmergencyReset(kCancel + std::string(kMouseReportingOff) + screen_.ResetString());
}

TerminalPlatform::TerminalPlatform(int fd) : fd_(fd), reader_(fd) {}

TerminalPlatform::~TerminalPlatform() {
  Shutdown();
  if (gLivePlatform == this) gLivePlatform = nullptr;
}

void TerminalPlatform::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  EndJobControl();
  if (!closed_) {
    Present();
    SetMouseModes(false);
  }
  screen_.Close();
  RestoreTerminalSettings();
  DisarmEmergencyReset();
  close(fd_);
  fd_ = -1;
}

void TerminalPlatform::Sync(bool askSize) {
  if (shutDown_) return;
  // After a stop the terminal was someone else's: it gets everything again.
  if (TerminalGivenBack()) TakeTerminalBack();
  if (TakeRepaint()) {
    screen_.RepaintAll();
    dirty_ = true;
  }
  bool signalled = TakeResize();
  if (!signalled && !askSize) return;
  winsize size{};
  if (ioctl(fd_, TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0) return;
  // Without a resize signal (no controlling terminal) a changed size is the
  // only sign; with one, the terminal may have rearranged what it shows
  // even at the same size, so it is painted again all the same.
  const ScreenSize fitted = CursesSize(size.ws_col, size.ws_row);
  if (!signalled && fitted == ScreenSize{screen_.Width(), screen_.Height()}) return;
  screen_.Resize(fitted.width, fitted.height);
  // The reset ends on the new bottom line.
  ArmReset();
  FitBuffer();
  dirty_ = true;
}

void TerminalPlatform::FitBuffer() {
  // Curses may refuse a size; the buffer follows what curses took. It never
  // gets smaller than the screens the game draws, whatever the window: like
  // a console window on a larger buffer, a small terminal shows the top-left
  // part, and growing it again shows every cell that was drawn meanwhile.
  buffer_.Resize(std::max(kMinimumWidth, screen_.Width()),
                 std::max(kMinimumHeight, screen_.Height()));
  reader_.Decoder().SetScreenSize(buffer_.Width(), buffer_.Height());
  cursorX_ = std::min(cursorX_, buffer_.Width() - 1);
  cursorY_ = std::min(cursorY_, buffer_.Height() - 1);
}

void TerminalPlatform::Present() {
  if (!dirty_ || shutDown_ || closed_ || TerminalGivenBack()) return;
  screen_.Present(buffer_, cursorX_, cursorY_, shape_);
  dirty_ = false;
}

bool TerminalPlatform::GetBufferInfo(BufferInfo& info) {
  Sync();
  // The window is what the terminal shows of the buffer.
  info = {buffer_.Width(),
          buffer_.Height(),
          cursorX_,
          cursorY_,
          std::min(screen_.Width(), buffer_.Width()),
          std::min(screen_.Height(), buffer_.Height())};
  return true;
}

void TerminalPlatform::WriteCells(int x, int y, const Cell* cells, int count) {
  Sync();
  buffer_.Write(x, y, cells, count);
  dirty_ = true;
}

void TerminalPlatform::ScrollUp(Cell fill) {
  Sync();
  buffer_.ScrollUp(fill);
  dirty_ = true;
}

void TerminalPlatform::FillCharacter(int x, int y, std::uint8_t character, int count) {
  Sync();
  buffer_.FillCharacter(x, y, character, count);
  dirty_ = true;
}

void TerminalPlatform::FillAttribute(int x, int y, std::uint8_t attribute, int count) {
  Sync();
  buffer_.FillAttribute(x, y, attribute, count);
  dirty_ = true;
}

void TerminalPlatform::SetCursorPosition(int x, int y) {
  Sync();
  // As the console does, a position outside the buffer is refused.
  if (x < 0 || y < 0 || x >= buffer_.Width() || y >= buffer_.Height()) return;
  cursorX_ = x;
  cursorY_ = y;
  dirty_ = true;
}

bool TerminalPlatform::GetCursorShape(Handle handle, CursorShape& shape) {
  if (!IsConsole(handle)) return false;
  shape = shape_;
  return true;
}

void TerminalPlatform::SetCursorShape(Handle handle, const CursorShape& shape) {
  if (!IsConsole(handle)) return;
  shape_ = shape;
  dirty_ = true;
}

// Only for output by other means, which this program has none of.
void TerminalPlatform::SetTextAttribute(std::uint8_t attribute) {
  textAttribute_ = attribute;
}

bool TerminalPlatform::ReadCells(int x, int y, Cell* cells, int count) {
  // Without an alternate screen (TERM=vt100) the game's picture stays in
  // the terminal at the end, and the cells need never be printed again.
  if (screen_.TakeString().empty()) return false;
  if (x < 0 || y < 0 || count < 0 || y >= buffer_.Height() || x + count > buffer_.Width()) {
    return false;
  }
  for (int i = 0; i < count; ++i) cells[i] = buffer_.At(x + i, y);
  return true;
}

// Processed output and wrapping concern stream output; the cells never go
// through the terminal's stream rules.
void TerminalPlatform::SetOutputMode(std::uint32_t mode) {
  outputMode_ = mode;
}

TimeOfDay TerminalPlatform::LocalTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  return {local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(now.tv_nsec / 1'000'000)};
}

bool TerminalPlatform::IsConsole(Handle handle) {
  switch (handle) {
    case Handle::kStandardInput:
      return isatty(STDIN_FILENO) != 0;
    case Handle::kStandardOutput:
      return isatty(STDOUT_FILENO) != 0;
    case Handle::kStandardError:
      return isatty(STDERR_FILENO) != 0;
    case Handle::kConsoleOutput:
      // Whatever start-up selects, the screen is drawn on the terminal.
      return true;
  }
  return false;
}

void TerminalPlatform::SelectConsoleOutput(Handle handle) {
  selectedOutput_ = handle;
}

// The terminal was opened before start-up; the console input is that.
bool TerminalPlatform::OpenConsoleInput() {
  inputOpen_ = fd_ >= 0;
  return inputOpen_;
}

void TerminalPlatform::CloseConsoleInput() {
  inputOpen_ = false;
}

StartInfo TerminalPlatform::GetStartInfo() {
  return {};
}

void TerminalPlatform::UseStartInfoHandles() {}

std::string TerminalPlatform::CommandLine() {
  return commandLine_;
}

// The address of something in the program's own image stands for the
// module handle; nothing uses its value.
std::uintptr_t TerminalPlatform::ModuleHandle() {
  return reinterpret_cast<std::uintptr_t>(&gLivePlatform);
}

void TerminalPlatform::SetFloatingPointMode() {
#if defined(__x86_64__) || defined(__i386__)
  // The extended type (long double) runs on the x87. Its control word 0x037F
  // masks all six exceptions (bits 0-5: overflow and division by zero give
  // infinities), selects the 64-bit significand (precision control, bits 8-9
  // = 11) and rounds to nearest even (bits 10-11 = 00). It is the power-on
  // value, set again because a library loaded before us may have changed it.
  const unsigned short controlWord = 0x037F;
  __asm__ volatile("fldcw %0" : : "m"(controlWord));
#endif
}

void TerminalPlatform::ExitProcess(int exitCode) {
  Shutdown();
  std::exit(exitCode);
}

}  // namespace kippfeld::platform
