#include "game/drill.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "console/clock.h"
#include "console/errors.h"
#include "console/numbers.h"
#include "console/screen.h"
#include "console/startup.h"
#include "game/flow.h"
#include "game/history.h"
#include "game/history_store.h"
#include "game/results.h"
#include "game/screen_text.h"
#include "game/screens.h"
#include "game/solver.h"
#include "words/words.h"

namespace kippfeld::game {

namespace {

// The drill's words, code page 850: 0x81 is the small u umlaut. The line
// between rounds runs on from word to number; the table's headings stand
// over their columns in either language.
struct DrillTexts {
  ScreenText round;
  ScreenText task;
  ScreenText seconds;
  ScreenText moves;
  ScreenText best;
  ScreenText title;
  ScreenText entry;
  ScreenText rounds;
  ScreenText bestTime;
  ScreenText meanTime;
  ScreenText fewestMoves;
  ScreenText optimum;
  ScreenText total;
};

constexpr DrillTexts kTexts = {
    {" Runde", " Round"},
    {", Aufgabe", ", task"},
    {"Sek.,", "sec.,"},
    {"Z\x81ge (k\x81rzest", "moves (fewest"},
    {"), Bestzeit", "), best"},
    {" Drill (Zeiten in Sek.; Z\x81ge: die wenigsten einer Runde; Opt.: k\x81rzest m\x94glich)",
     " Drill (times in sec.; moves: the fewest of a round; opt.: the fewest possible)"},
    {". Aufgabe ", ". Task    "},
    {"Runden", "Rounds"},
    {"Beste", "Best"},
    {"Mittel", "Mean"},
    {"Z\x81ge", "Moves"},
    {"Opt.", "Opt."},
    {"  Runden gesamt :", "  Rounds in all :"},
};
static_assert(SameRoom(std::array{kTexts.entry, kTexts.total}));

constexpr int kStoredDigits = 7;
constexpr int kComputedDigits = 15;

// The line about the last round, under the field.
constexpr std::int32_t kLineRow = 12;

// The table's columns: each number starts here (its sign place first) and
// its heading one column on, so that both begin on the same cell. The
// longest name ends at column 42.
constexpr std::int32_t kRoundsColumn = 44;
constexpr std::int32_t kBestColumn = 51;
constexpr std::int32_t kMeanColumn = 59;
constexpr std::int32_t kMovesColumn = 67;
constexpr std::int32_t kOptimumColumn = 73;

std::string Number(long double value) {
  return console::FormatNumber(value, kComputedDigits);
}

// The round as the drill file keeps it; a failure costs the player
// nothing and is only left in the report.
void KeepRound(const GameSession& session, const DrillRecord& round) {
  HistoryStore* store = session.setting.drills;
  if (store == nullptr) return;
  std::string line = DrillLine(round);
  std::string reason = DrillLineFault(std::string_view(line).substr(0, line.size() - 1));
  if (reason.empty()) reason = store->Append(DrillHeader(), line);
  GameReport* report = session.setting.report;
  if (report == nullptr) return;
  if (reason.empty()) {
    ++report->drillRoundsKept;
    report->drillPlace = store->Place();
    return;
  }
  std::string place = store->Place();
  // TRANSLATORS: {1} is the drill file's name, {2} why it failed.
  report->historyFailure =
      place.empty()
          ? words::Fill(_("the drill round was not recorded: {1}"), {reason})
          : words::Fill(_("the drill round was not recorded in {1}: {2}"), {place, reason});
}

void WriteHeading(std::int32_t column, const ScreenText& text, Language language) {
  console::TabTo(column + 1);
  console::WriteText(text.In(language));
}

}  // namespace

void StartDrillRound(GameSession& session) {
  DrillProgress& drill = session.drill;
  if (drill.round == 0) drill.optima = TaskOptima(session.catalogue);
  const std::vector<int>& tasks = drill.plan->tasks;
  const int task = tasks[drill.round % tasks.size()];
  // The field as the test leaves it before this task: the previous task's
  // picture, for task 1 the empty field P starts with.
  ClearBoard(session.board);
  if (task > 1) {
    for (std::size_t j = 1; j <= 9; ++j) {
      session.board.cells[j] = session.catalogue.patterns[static_cast<std::size_t>(task - 1)][j];
    }
  }
  session.boardCopy = session.board;
  session.currentTask = static_cast<float>(task);
  session.taskMoves[static_cast<std::size_t>(task)] = 0;
  session.testRunning = 1;
  HistoryStore* store = session.setting.drills;
  drill.roundStarted = store != nullptr ? store->LocalDateTime() : std::string();
  session.taskStart = static_cast<float>(ClockReading());
}

void CompleteDrillRound(GameSession& session) {
  DrillProgress& drill = session.drill;
  const int task = static_cast<int>(session.currentTask);
  const auto entry = static_cast<std::size_t>(task);
  const long double time = ListedTime(TaskTime(ClockReading(), session.taskStart));
  const auto moves = static_cast<long long>(session.taskMoves[entry]);
  ShowOkSignal(session.setting.language);
  console::CheckError();
  // After the signal and before the next round's clock: a slow disk delays
  // neither the signal nor the next time.
  KeepRound(session, {drill.roundStarted, task, time, moves});

  DrillTally& tally = drill.tally[entry];
  if (tally.rounds == 0 || time < tally.bestTime) tally.bestTime = time;
  if (tally.rounds == 0 || moves < tally.fewestMoves) tally.fewestMoves = moves;
  tally.timeSum += time;
  ++tally.rounds;
  ++drill.round;

  long double best = tally.bestTime;
  if (drill.plan->anyBest[entry]) best = std::min(best, drill.plan->bestTime[entry]);
  const Language language = session.setting.language;
  drill.lastRound = std::string(kTexts.round.In(language))
                        .append(Number(static_cast<long double>(drill.round)))
                        .append(kTexts.task.In(language))
                        .append(Number(task))
                        .append(":")
                        .append(Number(time))
                        .append(kTexts.seconds.In(language))
                        .append(Number(static_cast<long double>(moves)))
                        .append(kTexts.moves.In(language))
                        .append(Number(drill.optima[entry]))
                        .append(kTexts.best.In(language))
                        .append(Number(best))
                        .append(kTexts.seconds.In(language).substr(0, 4));
  StartDrillRound(session);
  // The new round's field: the loop goes on to the status lines and the
  // wait, and the completed picture must not stay on the screen.
  DrawPlayingScreen(session.board, session.cursor);
}

void WriteDrillLine(const GameSession& session) {
  if (session.drill.lastRound.empty()) return;
  console::MoveTo(kLineRow, 1);
  console::WriteText(session.drill.lastRound);
}

void ShowDrillTable(GameSession& session) {
  const Language language = session.setting.language;
  const DrillProgress& drill = session.drill;
  console::ClearScreen();
  console::WriteText(kTexts.title.In(language));
  console::NewLine();
  console::NewLine();
  WriteHeading(kRoundsColumn, kTexts.rounds, language);
  WriteHeading(kBestColumn, kTexts.bestTime, language);
  WriteHeading(kMeanColumn, kTexts.meanTime, language);
  WriteHeading(kMovesColumn, kTexts.fewestMoves, language);
  WriteHeading(kOptimumColumn, kTexts.optimum, language);
  console::NewLine();
  console::NewLine();
  std::array<bool, kEntryCount> listed{};
  int rounds = 0;
  for (int task : drill.plan->tasks) {
    const auto entry = static_cast<std::size_t>(task);
    if (listed[entry]) continue;
    listed[entry] = true;
    const DrillTally& tally = drill.tally[entry];
    rounds += tally.rounds;
    console::WriteNumber(task, kStoredDigits);
    console::WriteText(kTexts.entry.In(language));
    console::WriteText(session.catalogue.names[entry]);
    console::TabTo(kRoundsColumn);
    console::WriteNumber(tally.rounds, kStoredDigits);
    if (tally.rounds > 0) {
      console::TabTo(kBestColumn);
      console::WriteNumber(tally.bestTime, kComputedDigits);
      console::TabTo(kMeanColumn);
      console::WriteNumber(console::RoundTo(tally.timeSum / tally.rounds, 1), kComputedDigits);
      console::TabTo(kMovesColumn);
      console::WriteNumber(static_cast<long double>(tally.fewestMoves), kStoredDigits);
    }
    console::TabTo(kOptimumColumn);
    console::WriteNumber(drill.optima[entry], kStoredDigits);
    console::NewLine();
    console::CheckError();
  }
  console::NewLine();
  console::WriteText(kTexts.total.In(language));
  console::TabTo(kRoundsColumn);
  console::WriteNumber(rounds, kStoredDigits);
  console::NewLine();
  console::CheckError();
  // As the results table: on the screen first, then the input of the last
  // moments thrown away, then the final input ends the drill.
  console::Pause(0);
  IgnoreInputBeforeTheEnd();
  WaitForInput(session, false);
  if (GameReport* report = session.setting.report) report->table = console::ScreenRows();
  console::EndProgram(0);
}

}  // namespace kippfeld::game
