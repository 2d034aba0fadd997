#include "game/history_store.h"

#include <string>
#include <string_view>

#include "game/history.h"

namespace kippfeld::game {

namespace {

HistoryStore* theStore = nullptr;
std::string theFailure;

}  // namespace

void SetHistoryStore(HistoryStore* store) {
  theStore = store;
  theFailure.clear();
}

std::string TestStartStamp() {
  return theStore != nullptr ? theStore->LocalDateTime() : std::string();
}

void RecordTest(const GameSession& session) {
  // A game ended in practice took no test.
  if (theStore == nullptr || session.testRunning != 1) return;
  std::string line = HistoryLine(RecordOfTest(session, session.testStarted));
  // What the reader would skip is not written: a clock that gives no date.
  std::string reason = HistoryLineFault(std::string_view(line).substr(0, line.size() - 1));
  if (reason.empty()) reason = theStore->Append(HistoryHeader(), line);
  if (reason.empty()) return;
  std::string place = theStore->Place();
  theFailure = "the test was not recorded";
  if (!place.empty()) theFailure.append(" in ").append(place);
  theFailure.append(": ").append(reason);
}

const std::string& HistoryFailure() {
  return theFailure;
}

}  // namespace kippfeld::game
