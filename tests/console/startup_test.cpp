#include "console/startup.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "console/errors.h"
#include "console/screen.h"
#include "console/state.h"
#include "platform/memory/memory_platform.h"

namespace kippfeld::console {
namespace {

using platform::CursorShape;
using platform::Handle;
using platform::MemoryPlatform;
using platform::ProcessExit;
using platform::StartInfo;

// What a main procedure saw on entry.
struct Entry {
  bool called = false;
  StartParameters start;
  ConsoleState state;
  std::uint32_t inputMode = 0;
  std::uint32_t outputMode = 0;
  Handle output = Handle::kStandardInput;
  bool consoleInputOpen = false;
};

Entry entry;
MemoryPlatform* running = nullptr;
int mainResult = 0;

int RecordingMain(const StartParameters& start) {
  entry.called = true;
  entry.start = start;
  entry.state = Console();
  entry.inputMode = running->InputModeValue();
  entry.outputMode = running->OutputModeValue();
  entry.output = running->SelectedOutput();
  entry.consoleInputOpen = running->ConsoleInputOpen();
  return mainResult;
}

// Runs StartUp to the end of the process and returns the exit code.
int RunProgram(MemoryPlatform& platform, MainProcedure main = &RecordingMain) {
  entry = Entry{};
  running = &platform;
  try {
    StartUp(platform, main);
  } catch (const ProcessExit& exit) {
    return exit.exitCode;
  }
  ADD_FAILURE() << "StartUp came back";
  return -1;
}

TEST(StartUpTest, ConsoleOutputIsStandardOutputWhenThatIsAConsoleElseStandardError) {
  struct Case {
    bool outputIsConsole;
    bool errorIsConsole;
    Handle expected;
  };
  for (Case c :
       {Case{true, true, Handle::kStandardOutput}, Case{true, false, Handle::kStandardOutput},
        Case{false, true, Handle::kStandardError}, Case{false, false, Handle::kStandardError}}) {
    MemoryPlatform platform;
    platform.standardOutputIsConsole = c.outputIsConsole;
    platform.standardErrorIsConsole = c.errorIsConsole;
    RunProgram(platform);
    EXPECT_EQ(entry.output, c.expected) << c.outputIsConsole << c.errorIsConsole;
  }
}

TEST(StartUpTest, SetsOutputMode3AndInputMode0BeforeMain) {
  MemoryPlatform platform;
  platform.SetOutputMode(0);
  platform.SetInputMode(0x1F7);
  RunProgram(platform);
  EXPECT_EQ(entry.outputMode, 3u);
  EXPECT_EQ(entry.inputMode, 0u);
}

TEST(StartUpTest, ConsoleInputIsOpenDuringMainAndClosedAtTheEnd) {
  MemoryPlatform platform;
  RunProgram(platform);
  EXPECT_TRUE(entry.consoleInputOpen);
  EXPECT_FALSE(platform.ConsoleInputOpen());
}

TEST(StartUpTest, MainSeesTheInitialConsoleState) {
  MemoryPlatform platform;
  // Leftovers of an earlier run must not survive start-up.
  ResetConsole(platform);
  Console().screen.foreground = 12;
  Console().screen.mouse = {true, 0xF0007};
  Console().screen.mouseColumn = 5;
  Console().input.buttonMemory = 3;
  RaiseError(7);
  RunProgram(platform);
  const ConsoleState& state = entry.state;
  EXPECT_EQ(state.platform, &platform);
  EXPECT_EQ(state.screen.foreground, 7);
  EXPECT_EQ(state.screen.background, 0);
  EXPECT_FALSE(state.screen.pendingScroll);
  EXPECT_FALSE(state.screen.mouse.on);
  EXPECT_EQ(state.screen.mouse.selection, 0u);
  EXPECT_EQ(state.screen.mouseColumn, 0);
  EXPECT_EQ(state.screen.mouseRow, 0);
  EXPECT_EQ(state.input.buttonMemory, 0u);
  EXPECT_EQ(state.error.number, 0);
  EXPECT_FALSE(state.error.pending);
  EXPECT_EQ(state.error.handler, nullptr);
}

TEST(StartUpTest, MainResultIsTheExitCode) {
  MemoryPlatform platform;
  mainResult = 3;
  EXPECT_EQ(RunProgram(platform), 3);
  mainResult = 0;
  EXPECT_EQ(RunProgram(platform), 0);
}

// A console whose handles report their cursor shapes separately.
class ShapeConsole : public MemoryPlatform {
 public:
  std::map<Handle, std::optional<CursorShape>> shapes;
  std::vector<std::pair<Handle, CursorShape>> shapesSet;

  bool GetCursorShape(Handle handle, CursorShape& shape) override {
    auto it = shapes.find(handle);
    if (it == shapes.end() || !it->second) return false;
    shape = *it->second;
    return true;
  }
  void SetCursorShape(Handle handle, const CursorShape& shape) override {
    shapesSet.emplace_back(handle, shape);
    MemoryPlatform::SetCursorShape(handle, shape);
  }
};

TEST(StartUpTest, CursorShapeFallsBackToStandardOutputThenToSize10Visible) {
  using Shape = std::optional<CursorShape>;
  struct Case {
    const char* name;
    Shape consoleOutput;
    Shape standardOutput;
    CursorShape expected;
    bool applied;  // the default shape was set on the console
  };
  const std::vector<Case> cases = {
      {"console output readable", CursorShape{25, true}, CursorShape{50, true}, {25, true}, false},
      {"hidden cursor is still a shape", CursorShape{25, false}, std::nullopt, {25, false}, false},
      {"console output size 0", CursorShape{0, true}, CursorShape{50, false}, {50, false}, false},
      {"console output unreadable", std::nullopt, CursorShape{50, true}, {50, true}, false},
      {"both unreadable", std::nullopt, std::nullopt, {10, true}, true},
      {"unreadable, then size 0", std::nullopt, CursorShape{0, false}, {10, true}, true},
      {"both size 0", CursorShape{0, false}, CursorShape{0, true}, {10, true}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ShapeConsole platform;
    platform.shapes[Handle::kConsoleOutput] = c.consoleOutput;
    platform.shapes[Handle::kStandardOutput] = c.standardOutput;
    RunProgram(platform);
    EXPECT_EQ(entry.state.screen.cursor.size, c.expected.size);
    EXPECT_EQ(entry.state.screen.cursor.visible, c.expected.visible);
    if (c.applied) {
      ASSERT_EQ(platform.shapesSet.size(), 1u);
      EXPECT_EQ(platform.shapesSet[0].first, Handle::kConsoleOutput);
      EXPECT_EQ(platform.shapesSet[0].second.size, 10);
      EXPECT_TRUE(platform.shapesSet[0].second.visible);
    } else {
      EXPECT_TRUE(platform.shapesSet.empty());
    }
  }
}

TEST(StartUpTest, CommandTailLeavesOutTheProgramNameAndTheBlanksAfterIt) {
  struct Case {
    std::string commandLine;
    std::string tail;
  };
  const std::vector<Case> cases = {
      {"kippfeld.exe", ""},
      {"", ""},
      {"kippfeld.exe a b", "a b"},
      {"kippfeld.exe    a  b ", "a  b "},
      {"\"C:\\Program Files\\kippfeld.exe\" /x", "/x"},
      {"\"C:\\Program Files\\kippfeld.exe\"/x", "/x"},
      {"\"C:\\Program Files\\kippfeld.exe\"", ""},
      {"\"never closed a b", ""},
      // A control character ends an unquoted name, but only blanks are skipped.
      {"kippfeld.exe\targ", "\targ"},
      {"kippfeld.exe \targ", "\targ"},
      {std::string("kippfeld.exe\x01z", 14), "\x01z"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine);
    MemoryPlatform platform;
    platform.commandLine = c.commandLine;
    RunProgram(platform);
    EXPECT_EQ(entry.start.commandTail, c.tail);
  }
}

TEST(StartUpTest, StartInformationPassedToMain) {
  struct Case {
    std::uint32_t flags;
    int showWindow;
    int showMode;
    bool stdHandles;
  };
  for (Case c : {Case{0, 3, 10, false}, Case{StartInfo::kUseShowWindow, 3, 3, false},
                 Case{StartInfo::kUseStdHandles, 3, 10, true},
                 Case{StartInfo::kUseStdHandles | StartInfo::kUseShowWindow, 0, 0, true}}) {
    SCOPED_TRACE(c.flags);
    MemoryPlatform platform;
    platform.startInfo = {c.flags, c.showWindow};
    RunProgram(platform);
    EXPECT_EQ(entry.start.instance, platform.ModuleHandle());
    EXPECT_EQ(entry.start.previousInstance, 0);
    EXPECT_EQ(entry.start.showMode, c.showMode);
    EXPECT_EQ(platform.UsingStartInfoHandles(), c.stdHandles);
  }
}

TEST(StartUpTest, ReplacementHandlesDoNotUndoTheOutputChoice) {
  MemoryPlatform platform;
  platform.standardOutputIsConsole = false;
  platform.startInfo = {StartInfo::kUseStdHandles, 0};
  RunProgram(platform);
  EXPECT_EQ(entry.output, Handle::kStandardError);
  EXPECT_TRUE(platform.UsingStartInfoHandles());
}

// --- The main routine's error path ---

bool statementAfterCheckRan = false;

void FailingBody() {
  MoveTo(5, 10);
  SetColour(14, 1, 0);
  RaiseError(7);
  CheckError();
  statementAfterCheckRan = true;
}

int MainWithError(const StartParameters&) {
  SetErrorHandler(&ReportRunTimeError);
  RunWithErrorHandler(&FailingBody);
  statementAfterCheckRan = true;
  return 9;
}

TEST(RunTimeErrorTest, ReportsAtThePrintPositionInTheCurrentColoursPausesAndExitsWith0) {
  MemoryPlatform platform;
  statementAfterCheckRan = false;
  EXPECT_EQ(RunProgram(platform, &MainWithError), 0);
  EXPECT_FALSE(statementAfterCheckRan);
  EXPECT_EQ(platform.TextAt(5, 10, 16), " fehler  ... 7  ");
  for (int column = 10; column < 25; ++column) {
    SCOPED_TRACE(column);
    EXPECT_EQ(platform.CellAt(column - 1, 4).attribute, 14 + 16 * 1);
  }
  // NewLine: column 1 of the next row.
  EXPECT_EQ(platform.CursorX(), 0);
  EXPECT_EQ(platform.CursorY(), 5);
  ASSERT_FALSE(platform.Sleeps().empty());
  EXPECT_EQ(platform.Sleeps().back(), 2000u);
  EXPECT_TRUE(Console().error.inHandler);
  EXPECT_FALSE(platform.ConsoleInputOpen());
}

void FailingOnBottomRow() {
  MoveTo(25, 1);
  RaiseError(300);
  CheckError();
}

int MainWithErrorAtTheBottom(const StartParameters&) {
  SetErrorHandler(&ReportRunTimeError);
  RunWithErrorHandler(&FailingOnBottomRow);
  return 9;
}

TEST(RunTimeErrorTest, ReportOnTheBottomRowScrollsAndShowsTheReplacedNumber) {
  MemoryPlatform platform;
  EXPECT_EQ(RunProgram(platform, &MainWithErrorAtTheBottom), 0);
  EXPECT_EQ(platform.TextAt(24, 1, 15), " fehler  ... 5 ");
  EXPECT_EQ(platform.CursorY(), 24);
}

}  // namespace
}  // namespace kippfeld::console
