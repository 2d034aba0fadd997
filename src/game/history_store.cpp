#include "game/history_store.h"

#include <string>

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
  std::string reason =
      theStore->Append(HistoryHeader(), HistoryLine(RecordOfTest(session, session.testStarted)));
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
