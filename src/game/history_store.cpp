#include "game/history_store.h"

#include <string>
#include <string_view>
#include <utility>

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
  // What the reader would skip is not written: a clock that gives no date.
  std::string reason = HistoryLineFault(std::string_view(record).substr(0, record.size() - 1));
  if (reason.empty()) reason = store->Append(HistoryHeader(), record);
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
