#include "game/history_store.h"

#include <string>
#include <string_view>
#include <utility>

#include "game/flow.h"
#include "game/history.h"
#include "words/words.h"

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
  // TRANSLATORS: {1} is the history file's name, {2} why it failed.
  report->historyFailure =
      place.empty() ? words::Fill(_("the test was not recorded: {1}"), {reason})
                    : words::Fill(_("the test was not recorded in {1}: {2}"), {place, reason});
}

}  // namespace kippfeld::game
