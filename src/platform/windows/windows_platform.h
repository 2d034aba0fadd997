// The native Windows console: every platform operation is one or two calls
// of the console interface on the process's own handles, so the services
// above see the console's rules first hand (clipping, refused positions,
// code page bytes, input records as delivered). windows.h stays inside the
// .cpp; handles are carried as the void* that HANDLE is.
#pragma once

#include <cstdint>
#include <string>

#include "console/platform.h"

namespace kippfeld::platform {

// The three standard handles (HANDLE values).
struct StandardHandles {
  void* input = nullptr;
  void* output = nullptr;
  void* error = nullptr;
};

// What GetStdHandle gives now.
StandardHandles CurrentStandardHandles();

class WindowsPlatform : public Platform {
 public:
  // Tests pass the handles of a console of their own; the program takes the
  // standard handles it was started with.
  explicit WindowsPlatform(const StandardHandles& handles = CurrentStandardHandles());
  ~WindowsPlatform() override;
  WindowsPlatform(const WindowsPlatform&) = delete;
  WindowsPlatform& operator=(const WindowsPlatform&) = delete;

  bool GetBufferInfo(BufferInfo& info) override;
  void WriteCells(int x, int y, const Cell* cells, int count) override;
  void ScrollUp(Cell fill) override;
  void FillCharacter(int x, int y, std::uint8_t character, int count) override;
  void FillAttribute(int x, int y, std::uint8_t attribute, int count) override;
  void SetCursorPosition(int x, int y) override;
  bool GetCursorShape(Handle handle, CursorShape& shape) override;
  void SetCursorShape(Handle handle, const CursorShape& shape) override;
  void SetTextAttribute(std::uint8_t attribute) override;
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

  // Calls the console window kippfeld rather than by the path the program
  // was started from, until RestoreConsoleWindowName (which ExitProcess
  // calls) gives it its earlier title back.
  void NameConsoleWindow();
  void RestoreConsoleWindowName();

  // The handles now in use, for tests.
  const StandardHandles& Standard() const { return standard_; }
  void* ConsoleOutput() const { return consoleOutput_; }
  void* ConsoleInput() const { return consoleInput_; }

 private:
  void* HandleOf(Handle handle) const;

  StandardHandles standard_;
  void* consoleOutput_;
  void* consoleInput_ = nullptr;  // "CONIN$", null while not open
  std::wstring earlierTitle_;
  bool titleNamed_ = false;
};

}  // namespace kippfeld::platform
