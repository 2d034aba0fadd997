// The training history: one line per test, with the times and moves its
// results table listed, in tab-separated columns that a spreadsheet opens as
// they are. Reading it back is strict: a line is taken only when every column
// is sound, because whatever the file holds may end up on a terminal.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "game/catalogue.h"
#include "game/flow.h"

namespace kippfeld::game {

// started, tasks, time_s, moves, then t1_s, t1_moves ... t12_s, t12_moves.
inline constexpr int kHistoryColumns = 4 + 2 * kTaskCount;

// The bounds of what a results table can list, which the writer keeps to
// and the reader checks: every line the game writes reads back.
//
// A task is timed from two readings of a clock that counts seconds since
// midnight in tenths, and a time that spans midnight is corrected by a day:
// the longest task time is the day's last tenth.
inline constexpr long double kMostTaskSeconds = 86399.9L;
// The total adds the twelve listed times in float; its rounding may lift
// the sum of twelve longest tasks by a fraction of a second, never to twelve
// whole days.
inline constexpr long double kMostTotalSeconds = kTaskCount * 86400.0L;
// Moves are counted in floats, which count exactly up to 2^24: one added
// there gives 2^24 again. A task's count and the total both stop there, so
// the total is the sum of the task moves only up to this bound.
inline constexpr long long kMostMoves = 1LL << 24;

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

// Why the line (without its line end) is not one sound record, as the
// reader judges it; empty when it is. The writer asks this of every line
// before it appends it.
std::string HistoryLineFault(std::string_view line);

struct HistoryProblem {
  long long line = 0;  // 1-based
  // In the words' language; what it quotes of the line is printable ASCII.
  std::string reason;
  // The reason without what is particular to the line ("t3_s: not a number
  // of seconds"): problems of one kind have the same text, to be counted.
  std::string kind;
};

// A drill round as the drill file keeps it, one line per finished round:
// started, task, time_s, moves. The time is the listed one, as a test's.
inline constexpr int kDrillColumns = 4;

struct DrillRecord {
  std::string started;  // local date and time the round began at
  int task = 0;         // 1..12
  long double time = 0;
  long long moves = 0;
};

std::string DrillHeader();
std::string DrillLine(const DrillRecord& record);
std::string DrillLineFault(std::string_view line);

// Reads a history file piece by piece as it comes, so that a file of any
// size costs the memory of one line: each line is judged as soon as its line
// end arrives, and a line longer than any record is skipped without being
// kept. The header line is passed over wherever it stands; every other line
// that is not one whole, sound record is named with the reason.
class HistoryReader {
 public:
  using RecordSink = std::function<void(const TestRecord&)>;
  using ProblemSink = std::function<void(const HistoryProblem&)>;

  using DrillSink = std::function<void(const DrillRecord&)>;

  HistoryReader(RecordSink record, ProblemSink problem);
  // Reads the drill file by the same rules, with its own header and lines.
  HistoryReader(DrillSink drill, ProblemSink problem);

  void Read(std::string_view piece);
  // The end of the file: a last line without its line end is named.
  void Finish();

 private:
  void TakeLine(std::string_view line);

  RecordSink record_;
  DrillSink drill_;  // set instead of record_ for the drill file
  ProblemSink problem_;
  std::string header_;
  std::string pending_;  // the start of a line whose end has not come yet
  bool overlong_ = false;
  long long number_ = 0;  // lines ended so far
};

struct History {
  std::vector<TestRecord> records;  // in the order of the file
  std::vector<HistoryProblem> problems;
};

// The whole content of a history file read at once: every record and every
// problem, for callers that hold the content anyway.
History ParseHistory(std::string_view content);

struct Drills {
  std::vector<DrillRecord> records;  // in the order of the file
  std::vector<HistoryProblem> problems;
};

Drills ParseDrills(std::string_view content);

// The text with every byte a terminal could act on shown as \xNN instead:
// control characters (C0, DEL and the C1 range) and bytes that are not
// UTF-8. Other non-ASCII characters are kept only when the output takes
// UTF-8; an 8-bit terminal would read some of their bytes as C1 controls.
std::string PrintableText(std::string_view text, bool utf8);

}  // namespace kippfeld::game
