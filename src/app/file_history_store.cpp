#include "app/file_history_store.h"

#include <cstdio>

#include "app/history_report.h"
#include "game/history.h"
#include "platform/backend.h"
#include "platform/history_file.h"

namespace kippfeld::app {

namespace {

// Runs once the terminal is given back: the game still ends with its own
// status, and the player learns why the test was not kept.
void ReportHistoryFailure() {
  const std::string& failure = game::HistoryFailure();
  if (failure.empty()) return;
  bool utf8 = platform::StreamTakesUtf8(stderr);
  std::fprintf(stderr, "kippfeld: %s\n", game::PrintableText(failure, utf8).c_str());
}

}  // namespace

FileHistoryStore::FileHistoryStore() : path_(platform::HistoryFilePath(noPathReason_)) {}

std::string FileHistoryStore::LocalDateTime() {
  return platform::LocalDateTimeNow();
}

std::string FileHistoryStore::Append(std::string_view header, std::string_view record) {
  if (path_.empty()) return noPathReason_;
  return platform::AppendToHistoryFile(path_, header, record);
}

game::HistoryRead FileHistoryStore::Read(const std::function<void(std::string_view)>& take,
                                         std::string& reason) {
  if (path_.empty()) {
    reason = noPathReason_;
    return game::HistoryRead::kFailed;
  }
  switch (platform::ReadHistoryFile(path_, take, reason)) {
    case platform::HistoryFileRead::kRead:
      return game::HistoryRead::kRead;
    case platform::HistoryFileRead::kMissing:
      return game::HistoryRead::kMissing;
    case platform::HistoryFileRead::kFailed:
      break;
  }
  return game::HistoryRead::kFailed;
}

void KeepHistory() {
  // Made before the action is registered, so it outlives the action.
  static FileHistoryStore store;
  game::SetHistoryStore(&store);
  platform::AtProcessEnd(&ReportHistoryFailure);
}

int ShowHistory() {
  FileHistoryStore store;
  return RunHistoryCommand(store, {platform::StreamTakesUtf8(stdout)}, stdout, stderr);
}

}  // namespace kippfeld::app
