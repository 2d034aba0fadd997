// `kippfeld --history`: the most recent tests, each task's best time and
// fewest moves beside the fewest a perfect player needs, the best complete
// test, the averages of the latest complete tests and a chart of their total
// times, as plain text for standard output. It never changes the terminal's
// modes and writes no colour or other escape sequence, so the same text
// reads right in a terminal, a pipe or a file.
#pragma once

#include <cstddef>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "game/history.h"
#include "history/drill.h"
#include "history/figures.h"
#include "history/source.h"

namespace kippfeld::history {

// Skipped lines are named one by one up to this many; the rest are counted.
inline constexpr std::size_t kNamedProblems = 20;

struct ReportStyle {
  // The output takes UTF-8: the chart is drawn with block characters, and
  // non-ASCII characters of the file's name are shown as they are.
  bool utf8 = false;
  // The page, where a drill starts from its Drill button, not --drill.
  bool drillButton = false;
  // How text reaches a stream, when not as its bytes: a Windows console
  // takes it as UTF-16.
  bool (*put)(std::FILE* stream, std::string_view text) = nullptr;
};

struct HistoryReport {
  std::string out;                  // for standard output
  std::vector<std::string> errors;  // lines for standard error, without line ends
};

// The skipped lines of a file: the first ones named by line, the rest
// counted by kind.
class SkippedLines {
 public:
  SkippedLines(std::string_view place, const ReportStyle& style);
  void Add(const game::HistoryProblem& problem);
  // The lines for standard error, as the output takes them.
  std::vector<std::string> Finish();

 private:
  std::string place_;  // as it is shown
  ReportStyle style_;
  std::vector<std::string> named_;
  std::map<std::string, long long> unnamed_;  // by kind; there are few kinds
};

// The report on a history file read piece by piece: it keeps what the
// report shows and no more, however long the file.
class HistoryReportReader {
 public:
  HistoryReportReader(std::string_view place, const ReportStyle& style);
  // Its reader hands records and problems back to this very object.
  HistoryReportReader(const HistoryReportReader&) = delete;
  HistoryReportReader& operator=(const HistoryReportReader&) = delete;

  void Read(std::string_view piece) { reader_.Read(piece); }
  HistoryReport Finish();
  // What the tests read say the next drill picks.
  DrillPick NextDrill() const { return picker_.Pick(); }

 private:
  std::string place_;  // as it is shown
  ReportStyle style_;
  HistoryFigures figures_;
  DrillPicker picker_;
  SkippedLines skipped_;
  game::HistoryReader reader_;
};

// The drill section on a drill file read piece by piece, its skipped lines
// named as the history's are.
class DrillReportReader {
 public:
  DrillReportReader(std::string_view place, const ReportStyle& style);
  DrillReportReader(const DrillReportReader&) = delete;
  DrillReportReader& operator=(const DrillReportReader&) = delete;

  void Read(std::string_view piece) { reader_.Read(piece); }
  // The section, led by an empty line, with the pick the tests made.
  HistoryReport Finish(const DrillPick& pick);

 private:
  std::string place_;
  ReportStyle style_;
  DrillFigures figures_;
  SkippedLines skipped_;
  game::HistoryReader reader_;
};

// The report on the whole content of the history file that `place` names.
HistoryReport ReportHistory(std::string_view place, std::string_view content,
                            const ReportStyle& style);

// The drill section: each drilled task's rounds, the best and the mean of
// its last rounds, and the tasks the next drill picks with their losses.
std::string DrillSectionText(std::string_view place, const DrillFigures& figures,
                             const DrillPick& pick, const ReportStyle& style);

// Reads the source's file and prints its report, and with a drill file the
// drill section after it. Returns the exit status: 0,
// also when there is no history yet or lines had to be skipped; 1 when the
// file cannot be read at all or the report cannot be written.
int RunHistoryCommand(HistorySource& source, const ReportStyle& style, std::FILE* out,
                      std::FILE* err, HistorySource* drills = nullptr);

}  // namespace kippfeld::history
