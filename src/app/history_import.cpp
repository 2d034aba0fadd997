#include "app/history_import.h"

#include <set>

#include "app/history_report.h"
#include "game/history.h"

namespace kippfeld::app {

namespace {

std::string Count(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

HistoryImport PlanHistoryImport(std::string_view kept, std::string_view name,
                                std::string_view content) {
  HistoryImport import;
  // A record is the same record when it is written the same: the reader and
  // the writer agree on one form for every sound line.
  std::set<std::string> known;
  for (const game::TestRecord& record : game::ParseHistory(kept).records) {
    known.insert(game::HistoryLine(record));
  }
  const game::History other = game::ParseHistory(content);
  for (const game::TestRecord& record : other.records) {
    std::string line = game::HistoryLine(record);
    if (!known.insert(line).second) {
      ++import.alreadyKept;
      continue;
    }
    import.records += line;
    ++import.added;
  }
  // The report names only the first of many bad lines; the summary counts
  // them all.
  import.skipped = static_cast<int>(other.problems.size());
  import.errors = ReportHistory(name, content, {true}).errors;
  return import;
}

std::string ImportSummary(const HistoryImport& import, std::string_view name) {
  std::string summary =
      game::PrintableText(name, true) + ": " + Count(import.added, "test added", "tests added");
  if (import.alreadyKept > 0) {
    summary += ", " + Count(import.alreadyKept, "was", "were") + " already kept";
  }
  if (import.skipped > 0) {
    summary += ", " + Count(import.skipped, "line", "lines") + " skipped";
  }
  return summary + ".";
}

}  // namespace kippfeld::app
