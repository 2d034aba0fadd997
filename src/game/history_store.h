// Where the game keeps its training history, behind a small seam: the
// program lends the game a store for the run (on the real file; the game's
// own tests use one in memory, so they stay on the memory console), and the
// game leaves behind what the program tells the player once the console is
// given back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "game/language.h"

namespace kippfeld::game {

struct GameSession;

class HistoryStore {
 public:
  virtual ~HistoryStore() = default;
  // The file's name as messages show it; empty when there is none to keep.
  virtual std::string Place() = 0;
  // The local date and time now, ISO 8601 with the UTC offset.
  virtual std::string LocalDateTime() = 0;
  // Keeps the record, a line of its own, and puts it on disk; the header
  // goes first when the history is new. Empty when the record is kept, else
  // why not.
  virtual std::string Append(std::string_view header, std::string_view record) = 0;
};

// What a game leaves for the program to tell the player after the end.
struct GameReport {
  // Why the test could not be recorded, as one raw line (the program makes
  // it printable); empty when nothing failed.
  std::string historyFailure;
  // The line the test was recorded as, line end included; empty when no
  // test was recorded.
  std::string keptRecord;
  // The results table's rows as they stood on the screen when the final
  // input ended the game, in code page 850, without trailing blanks or
  // trailing empty rows. Empty when the game ended any other way, or on a
  // console that keeps its screen.
  std::vector<std::string> table;
  // Drill rounds kept in the drill file, and its name as messages show it.
  long long drillRoundsKept = 0;
  std::string drillPlace;
};

struct DrillPlan;

// What the program lends the game for one run.
struct GameSetting {
  HistoryStore* history = nullptr;  // none: no test is recorded
  GameReport* report = nullptr;     // none: nothing is left behind
  // The language of the game's screens.
  Language language = Language::German;
  // A drill instead of the practice and the test, and where its rounds are
  // kept (none: nowhere).
  const DrillPlan* drill = nullptr;
  HistoryStore* drills = nullptr;
};

// The stamp for the test that P is starting now: the store's local date and
// time, empty without a store.
std::string TestStartStamp(const GameSession& session);

// Records the session's test, when a test was started. A failure costs the
// player nothing: it is only left in the report.
void RecordTest(const GameSession& session);

}  // namespace kippfeld::game
