// The training history: one line per test, with the times and moves its
// results table listed, in tab-separated columns that a spreadsheet opens as
// they are. Reading it back is strict: a line is taken only when every column
// is sound, because whatever the file holds may end up on a terminal.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "game/catalogue.h"
#include "game/flow.h"

namespace kippfeld::game {

// started, tasks, time_s, moves, then t1_s, t1_moves ... t12_s, t12_moves.
inline constexpr int kHistoryColumns = 4 + 2 * kTaskCount;

// One test as its results table listed it.
struct TestRecord {
  std::string started;  // local date and time at P, e.g. 2025-03-14T09:26:53+01:00
  int tasks = 0;        // completed tasks, 0..12
  float time = 0;       // total seconds, the sum the table shows as minutes and seconds
  long long moves = 0;  // total moves
  // Index 1..12; a task not completed lists time 0, and a task not reached
  // moves 0 as well. Entry 0 (practice) is never recorded.
  std::array<long double, kEntryCount> taskTime{};
  std::array<long long, kEntryCount> taskMoves{};
};

// The record of the test the session ran (or is running) and that began at
// `started`.
TestRecord RecordOfTest(const GameSession& session, std::string started);

// The line of column names, with its line end.
std::string HistoryHeader();

// The record as one line, with its line end. Times are written with the
// digits the table lists (12.2 stays 12.2), with a 0 before the point of a
// time under a second so that every reader takes it for a number.
std::string HistoryLine(const TestRecord& record);

struct HistoryProblem {
  long long line = 0;  // 1-based
  std::string reason;  // printable ASCII
};

struct History {
  std::vector<TestRecord> records;  // in the order of the file
  std::vector<HistoryProblem> problems;
};

// Reads the content of a history file. The header line is passed over
// wherever it stands; every other line that is not one whole, sound record
// is left out and named with the reason.
History ParseHistory(std::string_view content);

// The text with every byte a terminal could act on shown as \xNN instead:
// control characters (C0, DEL and the C1 range) and bytes that are not
// UTF-8. Other non-ASCII characters are kept only when the output takes
// UTF-8; an 8-bit terminal would read some of their bytes as C1 controls.
std::string PrintableText(std::string_view text, bool utf8);

}  // namespace kippfeld::game
