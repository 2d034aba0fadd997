#include "game/flow.h"

#include <array>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

#include "console/clock.h"
#include "console/errors.h"
#include "console/input.h"
#include "console/numbers.h"
#include "console/screen.h"
#include "console/text.h"
#include "game/history_store.h"
#include "game/results.h"
#include "game/screens.h"

namespace kippfeld::game {

namespace {

constexpr int kEnter = 13;
constexpr int kEscape = 27;

// Mouse strings: 255, 255, event kind, button.
constexpr int kMouseStringLength = 4;
constexpr int kKindDoubleClick = 2;
constexpr int kKindReleased = 8;
constexpr std::int16_t kLeftButton = 1;
constexpr std::int16_t kRightButton = 2;

// Reporting on (any negative value), then every kind of event (moved, double
// click, pressed, released in bits 16..19) for the left, right and middle
// buttons.
constexpr std::int32_t kMouseOn = -1;
constexpr std::int32_t kMouseSelection = 0xF0007;

constexpr std::int32_t kPollMilliseconds = 100;
constexpr std::int32_t kHideCursor = 0;

// The run-time error report: its number as a computed value, and the time
// the player has to read it before the program ends.
constexpr int kErrorNumberDigits = 15;
constexpr std::int32_t kErrorPauseMs = 2000;

// A task that spans midnight sees the clock start again from 0.
constexpr long double kSecondsPerDay = 86400;

struct CursorStep {
  int scanCode;
  int rowChange;
  int columnChange;
};

// One cell is two rows or ten columns. Keypad 5 (76) is left out on purpose.
constexpr std::array<CursorStep, 8> kCursorSteps = {{
    {71, -2, -10},  // Home: up and left
    {72, -2, 0},    // Up
    {73, -2, +10},  // PgUp: up and right
    {75, 0, -10},   // Left
    {77, 0, +10},   // Right
    {79, +2, -10},  // End: down and left
    {80, +2, 0},    // Down
    {81, +2, +10},  // PgDn: down and right
}};

// The field's digits: rows 6..10 and columns 9..29.
constexpr float kTopRow = 6;
constexpr float kBottomRow = 10;
constexpr float kLeftColumn = 9;
constexpr float kRightColumn = 29;

// The one session of the run. The error transfer leaves through
// RunWithErrorHandler, whose body takes no argument, so the body finds the
// session here.
GameSession theSession;

int TaskIndex(const GameSession& session) {
  return static_cast<int>(session.currentTask);
}

bool IsKey(const std::string& key, int code) {
  return key.size() == 1 && console::CodeAt(key) == code;
}

// The cell whose digit the mouse event is exactly on, 0 beside the digits.
// Rows and columns are checked one by one: the position code alone would
// give false hits on a screen of 80 rows or more.
int CellUnderMouse(const InputEvent& input) {
  bool onRow = input.mouseRow == 6 || input.mouseRow == 8 || input.mouseRow == 10;
  bool onColumn = input.mouseColumn == 9 || input.mouseColumn == 19 || input.mouseColumn == 29;
  if (!onRow || !onColumn) return 0;
  return CellOfPositionCode(PositionCode(input.mouseRow, input.mouseColumn));
}

void StepCursor(Cursor& cursor, int scanCode) {
  for (const CursorStep& step : kCursorSteps) {
    if (step.scanCode != scanCode) continue;
    float row = static_cast<float>(cursor.row + step.rowChange);
    float column = static_cast<float>(cursor.column + step.columnChange);
    // In this order; a diagonal step at an edge keeps the part that stays
    // inside, and nothing ever wraps.
    if (column < kLeftColumn) column = kLeftColumn;
    if (column > kRightColumn) column = kRightColumn;
    if (row < kTopRow) row = kTopRow;
    if (row > kBottomRow) row = kBottomRow;
    cursor.row = row;
    cursor.column = column;
    cursor.positionCode = PositionCode(row, column);
    return;
  }
}

float Increment(float value) {
  return static_cast<float>(static_cast<long double>(value) + 1);
}

// Counts a move when the board differs from how the last check left it.
// Every move toggles four or five cells, so a move counts exactly once and
// an input that applied none counts nothing.
void CheckForMove(GameSession& session) {
  bool changed = false;
  for (int cell = 1; cell <= 9; ++cell) {
    if (session.board.cells[cell] != session.boardCopy.cells[cell]) changed = true;
  }
  if (!changed) return;
  session.boardCopy = session.board;
  int task = TaskIndex(session);
  session.taskMoves[task] = Increment(session.taskMoves[task]);
  session.moveTotal = Increment(session.moveTotal);
}

void StartTest(GameSession& session) {
  // The cursor stays. Task 1 is timed from P: the practice before it is no
  // part of the test.
  session.taskStart = static_cast<float>(ClockReading());
  session.testRunning = 1;
  session.moveTotal = 0;
  ClearBoard(session.board);
  ClearBoard(session.boardCopy);
  session.taskMoves[1] = 0;
  session.currentTask = 1;
  session.testStarted = TestStartStamp(session);
}

// Acts on the input the last wait left; the first rule that applies decides.
void Dispatch(GameSession& session) {
  InputEvent& input = session.input;
  if (IsKey(input.key, kEscape)) {
    if (session.drill.plan != nullptr) ShowDrillTable(session);
    ShowResults(session);
  }
  if (session.testRunning == 0) {
    std::string lower = console::LowerCase(input.key);
    console::CheckError();
    if (lower == "p") {
      StartTest(session);
      return;
    }
  }
  if (IsKey(input.key, kEnter)) {
    if (input.mouseKind == 2) {
      int cell = CellUnderMouse(input);
      if (cell == 0) return;
      session.cursor = CursorOnCell(cell);
      input.key.clear();
    }
    ApplyMove(session.board, session.cursor.positionCode);
  }
  CheckForMove(session);
  if (input.mouseKind > 0) {
    // A release selects; a double click that got here was not a left or
    // right one, so the middle button only selects as well.
    if (int cell = CellUnderMouse(input); cell != 0) {
      session.cursor = CursorOnCell(cell);
      input.key.clear();
    }
    return;
  }
  if (!input.key.empty() && console::CodeAt(input.key) == 0) {
    StepCursor(session.cursor, console::CodeAt(input.key, -1));
  }
  input.key.clear();
}

}  // namespace

// The difference of two clock readings. The subtraction runs in long double
// and is rounded to float only when stored, as taskStart itself was; late in
// the day that rounding can leave the time a few milliseconds short.
float TaskTime(long double now, float start) {
  long double seconds = now - start;
  // The clock starts again from 0 at midnight; without the correction a task
  // that spans midnight would list a negative time.
  if (seconds < -kSecondsPerDay / 2) seconds += kSecondsPerDay;
  // A task solved within the tenth its start was read in (the keys typed
  // ahead during the OK signal) differs from the start mark only by the
  // mark's rounding to float, which may have gone up: that is no time at
  // all, not a time that spans midnight or one below zero.
  if (seconds < 0) seconds = 0;
  return static_cast<float>(seconds);
}

namespace {

void CompleteTask(GameSession& session) {
  int task = TaskIndex(session);
  session.taskTimes[task] = TaskTime(ClockReading(), session.taskStart);
  ShowOkSignal(session.setting.language);
  console::CheckError();
  session.currentTask = Increment(session.currentTask);
  if (session.currentTask > kTaskCount) ShowResults(session);
  // Read after the pause, so the two seconds of the signal belong to no task.
  session.taskStart = static_cast<float>(ClockReading());
}

[[noreturn]] void PlayingLoop(GameSession& session) {
  for (;;) {
    DrawPlayingScreen(session.board, session.cursor);
    console::CheckError();
    // Completion is found in the redraw right after the completing move,
    // before the next input is awaited.
    if (session.testRunning == 1 &&
        BoardShowsEntry(session.board, session.catalogue, TaskIndex(session))) {
      if (session.drill.plan != nullptr) {
        CompleteDrillRound(session);
      } else {
        CompleteTask(session);
      }
    }
    int task = TaskIndex(session);
    WriteStatusLines(session.currentTask, session.catalogue.names[task], session.moveTotal,
                     session.taskMoves[task], session.setting.language);
    console::CheckError();
    if (session.drill.plan != nullptr) WriteDrillLine(session);
    PlaceCursor(session.cursor);
    WaitForInput(session, false);
    Dispatch(session);
  }
}

void RunGame() {
  GameSession& session = theSession;
  // A single poll: it hides the cursor, switches the mouse on and takes away
  // at most one input that was waiting before the game began.
  WaitForInput(session, true);
  session.input.key.clear();
  LoadTaskCatalogue(session.catalogue, session.setting.language);
  console::CheckError();
  // A drill has no introduction and no practice: its first round starts
  // at once.
  if (session.setting.drill != nullptr && !session.setting.drill->tasks.empty()) {
    session.drill.plan = session.setting.drill;
    StartDrillRound(session);
    PlayingLoop(session);
  }
  DrawIntroduction(session.setting.language);
  console::CheckError();
  // Whatever ends this wait, ESC and P included, only leaves the introduction.
  // Practice is not timed: the clock is first read when P starts the test.
  WaitForInput(session, false);
  PlayingLoop(session);
}

// The run-time error report of English screens: the console's own handler
// says " fehler  ..."; this one is the same but for the word, which takes
// the same cells, so the error number stands where it stands in German.
constexpr std::string_view kEnglishErrorText = " error   ...";
static_assert(kEnglishErrorText.size() == std::string_view(" fehler  ...").size());

[[noreturn]] void ReportRunTimeErrorInEnglish() {
  try {
    console::WriteText(kEnglishErrorText);
    console::WriteNumber(console::ErrorNumber(), kErrorNumberDigits);
    console::NewLine();
  } catch (const std::exception&) {
    // As in the console's handler: the report is a courtesy, and the
    // program ends with 0 whether or not it could be written.
  }
  console::Pause(kErrorPauseMs);
  console::EndProgram(0);
}

}  // namespace

void WaitForInput(GameSession& session, bool singlePoll) {
  InputEvent& input = session.input;
  console::SetTextCursor(kHideCursor);
  console::SetMouseReporting(kMouseOn);
  console::SetMouseReporting(kMouseSelection);
  for (;;) {
    input = InputEvent{};
    // The pause ends the moment a record is waiting, and at once for one
    // already queued: a burst is worked through without any wait between
    // its records, and a key is answered when it comes, not at the next
    // tick. The time limit only keeps an idle wait waking now and then.
    console::PauseUntilInput(kPollMilliseconds);
    std::string polled = console::PollInput();
    console::CheckError();
    if (console::Length(polled) == kMouseStringLength) {
      // Moves and presses leave mouseKind 0 and so never end the wait.
      int kind = console::CodeAt(polled, 3);
      input.mouseButton = static_cast<std::int16_t>(console::CodeAt(polled, 4));
      if (kind == kKindDoubleClick) input.mouseKind = 2;
      if (kind == kKindReleased) input.mouseKind = 1;
      input.mouseColumn = static_cast<std::int16_t>(console::MouseColumn());
      input.mouseRow = static_cast<std::int16_t>(console::MouseRow());
    } else if (!polled.empty()) {
      input.key = polled;
      console::CheckError();
    }
    if (input.mouseKind == 2 && input.mouseButton == kLeftButton) {
      input.key = console::CharText(kEnter);
      console::CheckError();
      break;
    }
    if (input.mouseKind == 2 && input.mouseButton == kRightButton) {
      input.key = console::CharText(kEscape);
      console::CheckError();
      break;
    }
    if (!input.key.empty() || singlePoll || input.mouseKind > 0) break;
  }
  console::SetTextCursor(kHideCursor);
}

long double ClockReading() {
  return console::Floor(10 * console::SecondsSinceMidnight()) / 10;
}

int GameMain(const console::StartParameters&, const GameSetting& setting) {
  console::SetErrorHandler(setting.language == Language::English ? &ReportRunTimeErrorInEnglish
                                                                 : &console::ReportRunTimeError);
  // Every number starts at 0 and the board and cursor at their start values,
  // also when a second game runs in the same process.
  theSession = GameSession{};
  theSession.setting = setting;
  console::RunWithErrorHandler(&RunGame);
  return 0;
}

}  // namespace kippfeld::game
