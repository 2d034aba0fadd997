// The console on a POSIX terminal. The screen is a cell buffer of the
// terminal's size, but at least 80 x 25, whose top-left part curses shows whenever the program is
// about to wait (before each sleep and each look at the input) and before it ends; the input is
// read from the terminal by this backend and turned into console records by the InputDecoder.
// Curses' own input (getch, getmouse) is never used: it merges presses and releases, reorders
// bursts and depends on TERM.
//
// Ways out: ExitProcess (the game's end and its error path), the ending and
// crash signals (see terminal_lifecycle.h), and a closed terminal. Each gives
// the terminal back as it was: settings, mouse modes off, cursor visible,
// colours reset, alternate screen left.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "console/platform.h"
#include "platform/cell_buffer.h"
#include "platform/terminal/terminal_reader.h"
#include "platform/terminal/terminal_screen.h"

namespace kippfeld::platform {

// The command line of a program started with main's arguments: the words
// joined with blanks, the program's name first (in quotes when it holds a
// blank, as a command line shows it).
std::string CommandLineOf(int argc, const char* const* argv);

class TerminalPlatform : public Platform {
 public:
  // The exit status when the terminal goes away under the game (hang-up with
  // SIGHUP ignored, read returning end of file or EIO): 128 + SIGHUP, what a
  // shell reports for a job that a hang-up ended.
  static constexpr int kTerminalClosedExitCode = 129;
  // The smallest screen buffer: the size of the screens the game draws.
  static constexpr int kMinimumWidth = 80;
  static constexpr int kMinimumHeight = 25;

  // Starts on an open terminal fd (which it then owns), for a program whose
  // command line is commandLine; nullptr and a reason in error when curses
  // cannot run there.
  static std::unique_ptr<TerminalPlatform> Open(int fd, std::string commandLine,
                                                std::string& error);
  ~TerminalPlatform() override;

  // --- Platform ---
  bool GetBufferInfo(BufferInfo& info) override;
  void WriteCells(int x, int y, const Cell* cells, int count) override;
  void ScrollUp(Cell fill) override;
  void FillCharacter(int x, int y, std::uint8_t character, int count) override;
  void FillAttribute(int x, int y, std::uint8_t attribute, int count) override;
  void SetCursorPosition(int x, int y) override;
  bool GetCursorShape(Handle handle, CursorShape& shape) override;
  void SetCursorShape(Handle handle, const CursorShape& shape) override;
  void SetTextAttribute(std::uint8_t attribute) override;
  // The alternate screen goes when the terminal is given back, so what the
  // game showed last can be printed after it; a terminal without one keeps
  // the picture and gives nothing.
  bool ReadCells(int x, int y, Cell* cells, int count) override;
  void SetOutputMode(std::uint32_t mode) override;
  bool GetInputMode(std::uint32_t& mode) override;
  void SetInputMode(std::uint32_t mode) override;
  bool PeekInput(InputRecord& record) override;
  void RemoveInput() override;
  TimeOfDay LocalTime() override;
  void Sleep(std::uint32_t milliseconds) override;
  bool SleepUntilInput(std::uint32_t milliseconds) override;
  bool IsConsole(Handle handle) override;
  void SelectConsoleOutput(Handle handle) override;
  bool OpenConsoleInput() override;
  void CloseConsoleInput() override;
  StartInfo GetStartInfo() override;
  void UseStartInfoHandles() override;
  std::string CommandLine() override;
  std::uintptr_t ModuleHandle() override;
  void SetFloatingPointMode() override;
  [[noreturn]] void ExitProcess(int exitCode) override;

  // Gives the terminal back; afterwards nothing is drawn or read. Runs at
  // most once, from ExitProcess, the destructor or the exit handlers.
  void Shutdown();

 private:
  explicit TerminalPlatform(int fd);

  // Takes a pending resize (with askSize, also one that came without a
  // signal): the buffer gets the terminal's new size, never less than the
  // minimum, keeping its top-left cells. Every operation starts with it.
  void Sync(bool askSize = false);
  void FitBuffer();
  // Shows what changed since the last call.
  void Present();
  // Reads what the terminal has ready into the decoder (see TerminalReader)
  // and settles what has timed out; ends the program when the terminal has
  // gone away.
  void Pump();
  // Makes front_ the next record if there is one; true when there is.
  bool TakeRecord();
  // Sleep and SleepUntilInput: shows the screen, then waits, reading input
  // as it comes and repainting on a resize.
  bool Wait(std::uint32_t milliseconds, bool untilInput);
  // Handles the terminal being gone; does not return.
  [[noreturn]] void TerminalClosed();
  void SetMouseModes(bool on);
  // Arms the reset a signal handler writes, for the screen's size now.
  void ArmReset();
  void WriteToTerminal(const std::string& bytes);

  int fd_;
  CursesScreen screen_;
  CellBuffer buffer_{80, 25};
  int cursorX_ = 0;
  int cursorY_ = 0;
  CursorShape shape_{25, true};
  bool dirty_ = true;
  std::uint8_t textAttribute_ = 7;
  std::uint32_t outputMode_ = 3;
  std::uint32_t inputMode_ = kProcessedInput | kLineInput | kEchoInput;
  bool mouseOn_ = false;
  TerminalReader reader_;
  std::optional<InputRecord> front_;  // the record PeekInput showed
  bool inputOpen_ = true;
  bool closed_ = false;  // the terminal has gone away
  bool shutDown_ = false;
  Handle selectedOutput_ = Handle::kStandardOutput;
  std::string commandLine_;
};

}  // namespace kippfeld::platform
