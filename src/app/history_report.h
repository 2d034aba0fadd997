// `kippfeld --history`: the recorded tests, the best time and the fewest
// moves of every task, the best complete test and a chart of the complete
// tests' total times, as plain text for standard output. It never changes
// the terminal's modes and writes no colour or other escape sequence, so
// the same text reads right in a terminal, a pipe or a file.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "app/history_source.h"

namespace kippfeld::app {

struct ReportStyle {
  // The output takes UTF-8: the chart is drawn with block characters, and
  // non-ASCII characters of the file's name are shown as they are.
  bool utf8 = false;
};

struct HistoryReport {
  std::string out;                  // for standard output
  std::vector<std::string> errors;  // lines for standard error, without line ends
};

// The report on the content of the history file that `place` names.
HistoryReport ReportHistory(std::string_view place, std::string_view content,
                            const ReportStyle& style);

// Reads the source's file and prints its report. Returns the exit status: 0,
// also when there is no history yet or lines had to be skipped; 1 when the
// file cannot be read at all or the report cannot be written.
int RunHistoryCommand(HistorySource& source, const ReportStyle& style, std::FILE* out,
                      std::FILE* err);

}  // namespace kippfeld::app
