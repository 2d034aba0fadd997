#include "game/history_store.h"

#include <string>

#include "game/flow.h"
#include "game/history.h"

namespace kippfeld::game {

std::string TestStartStamp(const GameSession& session) {
  HistoryStore* store = session.setting.history;
  return store != nullptr ? store->LocalDateTime() : std::string();
}

void RecordTest(const GameSession& session) {
  HistoryStore* store = session.setting.history;
  // A game ended in practice took no test.
  if (store == nullptr || session.testRunning != 1) return;
  std::string record = HistoryLine(RecordOfTest(session, session.testStarted));
  std::string reason = store->Append(HistoryHeader(), record);
  GameReport* report = session.setting.report;
  if (report == nullptr) return;
  if (reason.empty()) {
    report->keptRecord = std::move(record);
    return;
  }
  std::string place = store->Place();
  report->historyFailure = "the test was not recorded";
  if (!place.empty()) report->historyFailure.append(" in ").append(place);
  report->historyFailure.append(": ").append(reason);
}

}  // namespace kippfeld::game
