#include "history/import.h"

#include <set>

#include "game/history.h"
#include "history/report.h"
#include "words/words.h"

namespace kippfeld::history {

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
  auto count = [](int n) { return static_cast<unsigned long>(n); };
  std::string summary =
      game::PrintableText(name, true) + ": " +
      words::Fill(words::NGettext("{1} test added", "{1} tests added", count(import.added)),
                  {std::to_string(import.added)});
  if (import.alreadyKept > 0) {
    // TRANSLATORS: follows "{1} tests added": so many of the file's tests
    // were in the history already.
    summary += ", " + words::Fill(words::NGettext("{1} was already kept", "{1} were already kept",
                                                  count(import.alreadyKept)),
                                  {std::to_string(import.alreadyKept)});
  }
  if (import.skipped > 0) {
    summary += ", " + words::Fill(words::NGettext("{1} line skipped", "{1} lines skipped",
                                                  count(import.skipped)),
                                  {std::to_string(import.skipped)});
  }
  return summary + ".";
}

}  // namespace kippfeld::history
