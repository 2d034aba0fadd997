// Bringing two histories together: the records of another history file
// (the terminal's, or one saved from another browser) that this one does
// not hold yet. A record already kept is not added twice, and lines that are
// no sound record are named and left out, exactly as the report names them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kippfeld::history {

struct HistoryImport {
  std::string records;  // the lines to append, in the other file's order
  int added = 0;
  int alreadyKept = 0;
  int skipped = 0;                  // lines that are no sound record
  std::vector<std::string> errors;  // "kippfeld: NAME:LINE: skipped: REASON", the first 20
                                    // named and one line counting the rest
};

// What adding the history `content`, from the file called `name`, to the
// history `kept` comes to.
HistoryImport PlanHistoryImport(std::string_view kept, std::string_view name,
                                std::string_view content);

// One line for the player: what was added, what was there already, what
// was skipped.
std::string ImportSummary(const HistoryImport& import, std::string_view name);

}  // namespace kippfeld::history
