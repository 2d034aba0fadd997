// The history "file" of the browser page: one entry of the browser's local
// storage, holding exactly what the history file holds. The program's file
// store lays down the rules (the header of a new history, a line of its own
// for every record, the size cap) on these few operations, as it does on
// the file systems of the other platforms. There is no lock to take: the
// look at the end and the append are each one call into the page, which
// runs nothing else meanwhile.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/history_file.h"
#include "words/words.h"

// web_library.js
extern "C" {
int kippfeld_storage_get(const char* key, char** text, int* length);
char* kippfeld_storage_append(const char* key, const char* text, int length);
void kippfeld_local_date_time(char* text, int size);
}

namespace kippfeld::platform {

namespace {

// The storage entry, and how messages and the report name it.
constexpr const char* kKey = "kippfeld/history.tsv";
constexpr const char* kPlace = N_("this browser's storage (kippfeld/history.tsv)");

std::string Owned(char* text, int length) {
  std::string owned = text != nullptr ? std::string(text, static_cast<std::size_t>(length)) : "";
  std::free(text);
  return owned;
}

// The entry's content; kFailed with the browser's reason.
HistoryRead Get(std::string& content, std::string& reason) {
  char* text = nullptr;
  int length = 0;
  int result = kippfeld_storage_get(kKey, &text, &length);
  std::string got = Owned(text, length);
  if (result == 0) {
    content = std::move(got);
    return HistoryRead::kRead;
  }
  if (result == 1) return HistoryRead::kMissing;
  reason = std::move(got);
  return HistoryRead::kFailed;
}

}  // namespace

std::string HistoryFilePath(std::string&) {
  return _(kPlace);
}

std::string LocalDateTimeNow() {
  char text[64] = {};
  kippfeld_local_date_time(text, sizeof text);
  return text;
}

std::string OpenHistoryToAppend(const std::string&, AppendingFile& file) {
  file = AppendingFile{};
  std::string content;
  std::string reason;
  if (Get(content, reason) == HistoryRead::kFailed) return reason;
  file.handle = 0;
  file.readable = true;
  file.locked = true;
  return {};
}

std::string ReadHistoryEnd(AppendingFile&, HistoryEnd& end) {
  end = HistoryEnd{};
  std::string content;
  std::string reason;
  if (Get(content, reason) == HistoryRead::kFailed) return reason;
  end.size = content.size();
  if (!content.empty()) end.last = content.back();
  return {};
}

std::string AppendInOneWrite(AppendingFile&, std::string_view text) {
  char* reason = kippfeld_storage_append(kKey, text.data(), static_cast<int>(text.size()));
  return Owned(reason,
               reason != nullptr ? static_cast<int>(std::char_traits<char>::length(reason)) : 0);
}

std::string FlushHistoryFile(AppendingFile&) {
  // The browser keeps what it stored.
  return {};
}

std::string CloseHistoryFile(AppendingFile& file) {
  file = AppendingFile{};
  return {};
}

HistoryRead ReadHistoryFile(const std::string&, const std::function<bool(std::string_view)>& take,
                            std::string& reason) {
  std::string content;
  HistoryRead read = Get(content, reason);
  if (read == HistoryRead::kRead) take(content);
  return read;
}

bool StreamTakesUtf8(std::FILE*) {
  return true;
}

}  // namespace kippfeld::platform
