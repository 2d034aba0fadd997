#include "history/file/file_store.h"

#include <cstdint>
#include <string>

#include "platform/history_file.h"
#include "words/words.h"

namespace kippfeld::history {

namespace {

// The record at the end of the open file: the header first when the file is
// new, a line end first when its last line was cut short.
std::string AppendRecord(platform::AppendingFile& file, std::string_view header,
                         std::string_view record) {
  platform::HistoryEnd end;
  if (std::string reason = platform::ReadHistoryEnd(file, end); !reason.empty()) return reason;
  std::string text;
  if (end.size == 0) {
    text.append(header);
  } else if (end.last != '\n') {
    // A crash cut the last record short; this one starts a line of its own.
    text.push_back('\n');
  }
  text.append(record);
  // A history the reader would refuse is not made: the file stays readable
  // as it is.
  if (end.size + text.size() > kLongestHistory) {
    return _("the history is full: it would grow past 64 MiB");
  }
  // What does go out of a short write stays as a cut line, which the next
  // record steps over.
  if (std::string reason = platform::AppendInOneWrite(file, text); !reason.empty()) return reason;
  return platform::FlushHistoryFile(file);
}

}  // namespace

FileHistoryStore::FileHistoryStore() : path_(platform::HistoryFilePath(noPathReason_)) {}

std::string FileHistoryStore::LocalDateTime() {
  return platform::LocalDateTimeNow();
}

std::string FileHistoryStore::Append(std::string_view header, std::string_view record) {
  if (path_.empty()) return noPathReason_;
  platform::AppendingFile file;
  if (std::string reason = platform::OpenHistoryToAppend(path_, file); !reason.empty()) {
    return reason;
  }
  std::string reason = AppendRecord(file, header, record);
  std::string closing = platform::CloseHistoryFile(file);
  return reason.empty() ? closing : reason;
}

platform::HistoryRead FileHistoryStore::Read(const std::function<bool(std::string_view)>& take,
                                             std::string& reason) {
  reason.clear();
  if (path_.empty()) {
    reason = noPathReason_;
    return platform::HistoryRead::kFailed;
  }
  std::uint64_t total = 0;
  bool tooLong = false;
  platform::HistoryRead read = platform::ReadHistoryFile(
      path_,
      [&](std::string_view piece) {
        total += piece.size();
        tooLong = total > kLongestHistory;
        return !tooLong && take(piece);
      },
      reason);
  if (read == platform::HistoryRead::kRead && tooLong) {
    reason = _("it is longer than 64 MiB, far too long for a history");
    return platform::HistoryRead::kFailed;
  }
  return read;
}

}  // namespace kippfeld::history
