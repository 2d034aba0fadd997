// The English screens against the German ones: every screen is drawn, and
// every game played, in both languages, and the English must keep the
// field, the numbers, the names' columns and the colours exactly where the
// German has them. The German screens themselves are pinned by the other
// game tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/errors.h"
#include "console/state.h"
#include "game/history.h"
#include "game/history_store.h"
#include "game/results.h"
#include "game/screens.h"
#include "game_script.h"

namespace kippfeld::game {
namespace {

using namespace testing;
using platform::MemoryPlatform;
using Via = GameScript::Via;

TaskCatalogue CatalogueIn(Language language) {
  TaskCatalogue catalogue;
  LoadTaskCatalogue(catalogue, language);
  return catalogue;
}

std::string Trimmed(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// Where texts start on a row: its first text and every text after a gap of
// two blanks or more. Words run with single blanks; columns stand apart.
std::vector<int> TextStarts(const std::string& row) {
  std::vector<int> starts;
  int blanks = 2;
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (row[i] != ' ' && (blanks >= 2 || starts.empty())) starts.push_back(static_cast<int>(i) + 1);
    blanks = row[i] == ' ' ? blanks + 1 : 0;
  }
  return starts;
}

// The row with every task name of the catalogue blanked out, so that only
// the screen's own numbers are left as numbers ("alles 1" holds a digit).
std::string WithoutNames(std::string row, const TaskCatalogue& catalogue) {
  for (const std::string& name : catalogue.names) {
    for (std::size_t at = row.find(name); at != std::string::npos; at = row.find(name, at)) {
      row.replace(at, name.size(), name.size(), ' ');
    }
  }
  return row;
}

struct Number {
  int column;
  std::string text;
  bool operator==(const Number&) const = default;
};

// The numbers on a row: the blank-separated tokens of digits and points.
std::vector<Number> Numbers(const std::string& row) {
  std::vector<Number> numbers;
  for (std::size_t start = row.find_first_not_of(' '); start != std::string::npos;) {
    std::size_t end = std::min(row.find(' ', start), row.size());
    std::string token = row.substr(start, end - start);
    bool numeric = token.find_first_not_of("0123456789.") == std::string::npos;
    if (numeric && token.find_first_of("0123456789") != std::string::npos) {
      numbers.push_back({static_cast<int>(start) + 1, token});
    }
    start = row.find_first_not_of(' ', end);
  }
  return numbers;
}

// The column each task name starts at on the row, 0 where it is not.
std::vector<int> NameColumns(const std::string& row, const TaskCatalogue& catalogue) {
  std::vector<int> columns;
  for (const std::string& name : catalogue.names) {
    std::size_t at = row.find(name);
    columns.push_back(at == std::string::npos ? 0 : static_cast<int>(at) + 1);
  }
  return columns;
}

void PrintTo(const Number& number, std::ostream* out) {
  *out << number.column << ":" << number.text;
}

// The English screen shows the German one's numbers, names and colours in
// the same cells, and its cursor in the same place.
void ExpectSameLayout(const Snapshot& german, const Snapshot& english) {
  static const TaskCatalogue de = CatalogueIn(Language::German);
  static const TaskCatalogue en = CatalogueIn(Language::English);
  ASSERT_TRUE(german.taken && english.taken);
  ASSERT_EQ(german.rows.size(), english.rows.size());
  for (std::size_t y = 0; y < german.rows.size(); ++y) {
    SCOPED_TRACE("row " + std::to_string(y + 1) + "\n" + german.rows[y] + "\n" + english.rows[y]);
    EXPECT_EQ(Numbers(WithoutNames(german.rows[y], de)),
              Numbers(WithoutNames(english.rows[y], en)));
    EXPECT_EQ(NameColumns(german.rows[y], de), NameColumns(english.rows[y], en));
  }
  EXPECT_EQ(german.colour, english.colour);
  EXPECT_EQ(german.cursorCell, english.cursorCell);
}

bool Ascii(const Snapshot& screen) {
  for (const std::string& row : screen.rows) {
    for (char c : row) {
      if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
  }
  return true;
}

// --- Each screen drawn alone ---

struct Drawing {
  Snapshot screen;
  int cursorRow;  // where the print position was left, 1-based
  int cursorColumn;
};

// Draws on a fresh console.
template <typename Draw>
Drawing Drawn(Draw draw) {
  MemoryPlatform platform;
  console::ResetConsole(platform);
  draw();
  return {SnapshotOf(platform), platform.CursorY() + 1, platform.CursorX() + 1};
}

TEST(EnglishScreens, IntroductionKeepsTheGermanColumnsAndWidth) {
  const Drawing germanDrawing = Drawn([] { DrawIntroduction(Language::German); });
  const Drawing englishDrawing = Drawn([] { DrawIntroduction(Language::English); });
  const Snapshot& german = germanDrawing.screen;
  const Snapshot& english = englishDrawing.screen;
  std::size_t widest = 0;
  for (const std::string& row : german.rows) widest = std::max(widest, Trimmed(row).size());
  for (std::size_t y = 0; y < german.rows.size(); ++y) {
    SCOPED_TRACE(english.rows[y]);
    // The example picture's digits, the column of what each move does, and
    // every other text's start stay; an empty row stays empty.
    EXPECT_EQ(TextStarts(german.rows[y]), TextStarts(english.rows[y]));
    EXPECT_LE(Trimmed(english.rows[y]).size(), widest);
  }
  for (int row : {5, 7, 9}) EXPECT_EQ(german.rows[row - 1], english.rows[row - 1]);
  EXPECT_EQ(german.colour, english.colour);
  EXPECT_EQ(englishDrawing.cursorRow, germanDrawing.cursorRow);
  EXPECT_EQ(englishDrawing.cursorColumn, germanDrawing.cursorColumn);
  EXPECT_TRUE(Ascii(english));
  EXPECT_EQ(Trimmed(english.rows[1]), "        Playing field:");
  EXPECT_EQ(Trimmed(english.rows[22]), "  Press ESC to stop at any time");
}

TEST(EnglishScreens, PlayingScreenKeepsTheGermanColumns) {
  struct Case {
    int task;
    float total;
    float taskMoves;
    int cell;
  };
  std::vector<Case> cases;
  for (int task = 0; task <= kTaskCount; ++task) cases.push_back({task, 14, 3, 1 + task % 9});
  for (float total : {0.0f, 9.0f, 100.0f, 9999999.0f}) cases.push_back({12, total, 7, 5});
  const TaskCatalogue de = CatalogueIn(Language::German);
  const TaskCatalogue en = CatalogueIn(Language::English);
  for (const Case& c : cases) {
    SCOPED_TRACE("task " + std::to_string(c.task) + ", total " + std::to_string(c.total));
    Board board;
    ApplyMove(board, CursorOnCell(c.cell).positionCode);
    auto draw = [&c, &board](Language language, const TaskCatalogue* catalogue) {
      return [&c, &board, language, catalogue] {
        DrawPlayingScreen(board, CursorOnCell(c.cell));
        WriteStatusLines(static_cast<float>(c.task), catalogue->names[c.task], c.total, c.taskMoves,
                         language);
        PlaceCursor(CursorOnCell(c.cell));
      };
    };
    const Drawing german = Drawn(draw(Language::German, &de));
    const Drawing english = Drawn(draw(Language::English, &en));
    ExpectSameLayout(german.screen, english.screen);
    for (int row : {6, 8, 10}) EXPECT_EQ(german.screen.rows[row - 1], english.screen.rows[row - 1]);
    EXPECT_EQ(english.cursorRow, german.cursorRow);
    EXPECT_EQ(english.cursorColumn, german.cursorColumn);
    EXPECT_TRUE(Ascii(english.screen));
  }
}

TEST(EnglishScreens, StatusLinesReadAsEnglish) {
  const TaskCatalogue en = CatalogueIn(Language::English);
  const Snapshot screen =
      Drawn([&] { WriteStatusLines(0, en.names[0], 14, 3, Language::English); }).screen;
  EXPECT_EQ(Trimmed(screen.rows[15]), "        Task  0  : Practice");
  EXPECT_EQ(Trimmed(screen.rows[17]), "       Moves  14" + std::string(13, ' ') + "3");
}

TEST(EnglishOkSignal, IsTheGermanOne) {
  MemoryPlatform platform;
  console::ResetConsole(platform);
  std::string during;
  platform.At(1000, [&during](MemoryPlatform& p) { during = p.TextAt(16, 1, 80); });
  ShowOkSignal(Language::English);
  EXPECT_EQ(during, " OK" + std::string(77, ' '));
  EXPECT_EQ(platform.Now(), 2000u);
  EXPECT_EQ(platform.TextAt(16, 1, 3), "   ");
  EXPECT_EQ(platform.CursorY(), 15);
  EXPECT_EQ(platform.CursorX(), 3);
}

// --- The results table ---

// Draws the table for the session in the language and ends it with a key.
Snapshot ResultsIn(GameSession session, Language language) {
  session.setting.language = language;
  LoadTaskCatalogue(session.catalogue, language);
  MemoryPlatform platform;
  console::ResetConsole(platform);
  platform::InputScript(platform).Key('x', 1000);
  platform.SetTimeLimit(10'000);
  try {
    ShowResults(session);
  } catch (const platform::ProcessExit& exit) {
    EXPECT_EQ(exit.exitCode, 0);
    EXPECT_EQ(platform.Now(), 1000u);
  }
  return SnapshotOf(platform);
}

TEST(EnglishResults, TableKeepsTheGermanColumns) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, float>> times;  // task, seconds
    float practiceMoves;
  };
  // Long times push the count of entries 9 to 12 onto the next row, and
  // every later row down with it: in English exactly as in German.
  const std::vector<Case> cases = {
      {"practice only", {}, 3},
      {"two tasks", {{1, 12.25f}, {2, 30.5f}}, 0},
      {"long times", {{9, 10000.5f}, {11, 10.5f}, {12, 100.5f}}, 1},
      {"all twelve",
       {{1, 1},
        {2, 2},
        {3, 3},
        {4, 4},
        {5, 5},
        {6, 6},
        {7, 7},
        {8, 80},
        {9, 9.5f},
        {10, 1.1f},
        {11, 9},
        {12, 119.6f}},
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameSession session;
    session.taskMoves[0] = c.practiceMoves;
    session.moveTotal = c.practiceMoves;
    for (auto [task, seconds] : c.times) {
      session.taskTimes[task] = seconds;
      session.taskMoves[task] = static_cast<float>(task + 3);
      session.moveTotal += static_cast<float>(task + 3);
    }
    Snapshot german = ResultsIn(session, Language::German);
    Snapshot english = ResultsIn(session, Language::English);
    ExpectSameLayout(german, english);
    // The columns' headings over the same columns.
    EXPECT_EQ(TextStarts(german.rows[1]), TextStarts(english.rows[1]));
    EXPECT_TRUE(Ascii(english));
  }
}

TEST(EnglishResults, TableReadsAsEnglish) {
  GameSession session;
  session.taskTimes[1] = 12.25f;
  session.taskMoves[1] = 5;
  session.moveTotal = 5;
  Snapshot english = ResultsIn(session, Language::English);
  EXPECT_EQ(Trimmed(english.rows[1]), "    Task                     Time (sec.)       Moves");
  EXPECT_EQ(Trimmed(english.rows[4]), " 1 . Task    all 1       12.2" + std::string(20, ' ') + "5");
  EXPECT_EQ(Trimmed(english.rows[17]), "  Total   :" + std::string(38, ' ') + "5");
  EXPECT_EQ(Trimmed(english.rows[18]), std::string(35, ' ') + "0  min.  12  sec.");
}

// --- Whole games ---

struct PlayedGame {
  GameEnd end;
  std::shared_ptr<Snapshot> introduction;
  std::vector<std::shared_ptr<Snapshot>> screens;
  Snapshot last;
  std::string history;
  GameReport report;
};

// Practice, a test of `tasks` tasks (then ESC when fewer than twelve) and
// the results: the same inputs at the same moments in either language, with
// the screen taken at every step that shows something new.
PlayedGame Play(Language language, int tasks, Via via) {
  MemoryPlatform platform;
  MemoryHistoryStore store(platform);
  PlayedGame game;
  GameScript s(platform);
  game.introduction = SnapshotAt(platform, 950);
  s.At(1000).Key('x');
  game.screens.push_back(SnapshotAt(platform, s.time() - 50));
  s.Apply(1, via);
  game.screens.push_back(SnapshotAt(platform, s.time() - 50));
  s.At((s.time() + 999) / 1000 * 1000).StartTest();
  game.screens.push_back(SnapshotAt(platform, s.time() - 50));
  for (int k = 1; k <= tasks; ++k) {
    std::uint64_t completed = s.SolveTask(k, via);
    game.screens.push_back(SnapshotAt(platform, completed + 1000));  // the OK signal
    game.screens.push_back(SnapshotAt(platform, completed + kOkPause + 50));
  }
  if (tasks < kTaskCount) s.Key(kEnterKey).Key(kEscKey);
  game.screens.push_back(SnapshotAt(platform, s.time() + 200));  // the results
  s.Wait(1000).Key('x');
  game.end = RunGame(platform, 600'000, {&store, &game.report, language});
  game.last = SnapshotOf(platform);
  game.history = store.file;
  return game;
}

void ExpectSameGame(const PlayedGame& german, const PlayedGame& english) {
  EXPECT_EQ(german.end.exitCode, 0);
  EXPECT_EQ(english.end.exitCode, german.end.exitCode);
  EXPECT_EQ(english.end.atMs, german.end.atMs);
  // The introduction is prose: its texts start where the German ones do.
  ASSERT_TRUE(german.introduction->taken && english.introduction->taken);
  for (std::size_t y = 0; y < german.introduction->rows.size(); ++y) {
    EXPECT_EQ(TextStarts(german.introduction->rows[y]), TextStarts(english.introduction->rows[y]));
  }
  EXPECT_EQ(german.introduction->colour, english.introduction->colour);
  ASSERT_EQ(german.screens.size(), english.screens.size());
  for (std::size_t i = 0; i < german.screens.size(); ++i) {
    SCOPED_TRACE("screen " + std::to_string(i));
    ExpectSameLayout(*german.screens[i], *english.screens[i]);
    EXPECT_EQ(german.screens[i]->Board(), english.screens[i]->Board());
    EXPECT_TRUE(Ascii(*english.screens[i]));
  }
  ExpectSameLayout(german.last, english.last);
}

TEST(EnglishGame, WholeTestPlaysAsInGermanByKeysAndByMouse) {
  for (Via via : {Via::kKeys, Via::kDoubleClicks}) {
    SCOPED_TRACE(via == Via::kKeys ? "keys" : "double clicks");
    PlayedGame german = Play(Language::German, kTaskCount, via);
    PlayedGame english = Play(Language::English, kTaskCount, via);
    ExpectSameGame(german, english);
    // What the English player saw: the practice line, the first task, the
    // OK signal and the table's heading.
    EXPECT_EQ(Trimmed(english.introduction->rows[1]), "        Playing field:");
    EXPECT_EQ(Trimmed(english.screens[0]->rows[15]), "        Task  0  : Practice");
    EXPECT_EQ(Trimmed(english.screens[2]->rows[15]), "        Task  1  : all 1");
    EXPECT_EQ(Trimmed(english.screens[3]->rows[15]), " OK");
    EXPECT_EQ(english.last.rows[1].substr(0, 8), "    Task");
  }
}

TEST(EnglishGame, HistoryKeepsTheSameLineInEitherLanguage) {
  for (int tasks : {kTaskCount, 3}) {
    SCOPED_TRACE(tasks);
    PlayedGame german = Play(Language::German, tasks, Via::kKeys);
    PlayedGame english = Play(Language::English, tasks, Via::kKeys);
    ExpectSameGame(german, english);
    History history = ParseHistory(english.history);
    ASSERT_EQ(history.records.size(), 1u);
    EXPECT_TRUE(history.problems.empty());
    EXPECT_EQ(history.records[0].tasks, tasks);
    EXPECT_EQ(english.history, german.history);
    EXPECT_EQ(english.report.keptRecord, german.report.keptRecord);
    // The table the program prints afterwards is the English screen's.
    ASSERT_FALSE(english.report.table.empty());
    EXPECT_EQ(english.report.table[1], Trimmed(english.last.rows[1]));
    EXPECT_EQ(english.report.table.size(), german.report.table.size());
  }
}

TEST(EnglishGame, RunTimeErrorReportKeepsItsNumberInPlace) {
  auto run = [](Language language) {
    MemoryPlatform platform;
    GameScript s(platform);
    s.At(1000).Key('x');
    platform.At(1250, [](MemoryPlatform&) { console::RaiseError(7); });
    GameEnd end = RunGame(platform, 600'000, {nullptr, nullptr, language});
    return std::make_pair(end, SnapshotOf(platform));
  };
  auto [germanEnd, german] = run(Language::German);
  auto [englishEnd, english] = run(Language::English);
  EXPECT_EQ(englishEnd.exitCode, 0);
  EXPECT_EQ(englishEnd.atMs, germanEnd.atMs);
  ExpectSameLayout(german, english);
  EXPECT_EQ(german.Text(10, 9, 15), " fehler  ... 7 ");
  EXPECT_EQ(english.Text(10, 9, 15), " error   ... 7 ");
}

TEST(EnglishCatalogue, SamePatternsAndNamesInTheGermanNamesRoom) {
  const TaskCatalogue de = CatalogueIn(Language::German);
  const TaskCatalogue en = CatalogueIn(Language::English);
  EXPECT_EQ(en.patterns, de.patterns);
  for (int k = 0; k < kEntryCount; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(en.names[k].size(), de.names[k].size());
    EXPECT_NE(en.names[k], de.names[k]);
    EXPECT_NE(en.names[k].front(), ' ');
  }
}

}  // namespace
}  // namespace kippfeld::game
