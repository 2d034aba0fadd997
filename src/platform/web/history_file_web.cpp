// The history "file" of the browser page: the bytes history.tsv would hold,
// kept by history_storage.js in the browser's database (or, where a page
// has none, in its local storage). The program's file store lays down the
// rules (the header of a new history, a line of its own for every record,
// the size cap) on these few operations, as it does on the file systems of
// the other platforms. Each call that waits for the browser suspends the
// program until it answers; the page meanwhile runs on.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/history_file.h"
#include "words/words.h"

// web_library.js: each returns null, or why not (malloc'ed; -1 when even
// that found no memory).
// which: the history's storage (0) or the drill rounds' (1).
extern "C" {
char* kippfeld_storage_lock(int which, int* locked);
void kippfeld_storage_unlock(int which);
char* kippfeld_storage_end(int which, double* size, int* last);
char* kippfeld_storage_append(int which, const char* bytes, int length);
char* kippfeld_storage_read(int which, char** bytes, int* length, int* missing);
void kippfeld_local_date_time(char* text, int size);
}

namespace kippfeld::platform {

namespace {

// How the storage and the report name the history.
constexpr const char* kPlace = N_("this browser's storage (kippfeld/history.tsv)");
constexpr std::size_t kPiece = std::size_t{64} << 10;

// The drill file beside the history is named drills.tsv here too (the
// place is the history's with its file's name changed); it has a storage
// of its own.
constexpr int kHistoryStorage = 0;
constexpr int kDrillStorage = 1;
constexpr std::string_view kDrillFile = "kippfeld/drills.tsv";

int StorageOf(std::string_view path) {
  return path.find(kDrillFile) != std::string_view::npos ? kDrillStorage : kHistoryStorage;
}

int StorageOf(const AppendingFile& file) {
  return file.handle == kDrillStorage ? kDrillStorage : kHistoryStorage;
}

std::string Reason(char* reason) {
  if (reason == nullptr) return {};
  if (reason == reinterpret_cast<char*>(-1)) return _("the page has no memory left");
  std::string text(reason);
  std::free(reason);
  return text;
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

std::string OpenHistoryToAppend(const std::string& path, AppendingFile& file) {
  file = AppendingFile{};
  // Held across tabs until CloseHistoryFile: the look at the end and the
  // append are one step for every other page of the game.
  const int storage = StorageOf(path);
  int locked = 0;
  if (std::string reason = Reason(kippfeld_storage_lock(storage, &locked)); !reason.empty()) {
    return reason;
  }
  file.handle = storage;
  file.readable = true;
  file.locked = locked != 0;
  return {};
}

std::string ReadHistoryEnd(AppendingFile& file, HistoryEnd& end) {
  end = HistoryEnd{};
  double size = 0;
  int last = '\n';
  if (std::string reason = Reason(kippfeld_storage_end(StorageOf(file), &size, &last));
      !reason.empty()) {
    return reason;
  }
  end.size = static_cast<std::uint64_t>(size);
  end.last = static_cast<char>(last);
  return {};
}

std::string AppendInOneWrite(AppendingFile& file, std::string_view text) {
  // Committed to disk before it returns: the browser's strict durability.
  return Reason(
      kippfeld_storage_append(StorageOf(file), text.data(), static_cast<int>(text.size())));
}

std::string FlushHistoryFile(AppendingFile&) {
  // The append was on disk before it returned.
  return {};
}

std::string CloseHistoryFile(AppendingFile& file) {
  if (file.locked) kippfeld_storage_unlock(StorageOf(file));
  file = AppendingFile{};
  return {};
}

HistoryRead ReadHistoryFile(const std::string& path,
                            const std::function<bool(std::string_view)>& take,
                            std::string& reason) {
  char* bytes = nullptr;
  int length = 0;
  int missing = 0;
  reason = Reason(kippfeld_storage_read(StorageOf(path), &bytes, &length, &missing));
  if (!reason.empty()) return HistoryRead::kFailed;
  if (missing != 0) return HistoryRead::kMissing;
  // In pieces, as a file is read, so that the reader's rules on pieces
  // hold here too.
  const std::string_view whole(bytes, static_cast<std::size_t>(length));
  for (std::size_t at = 0; at < whole.size(); at += kPiece) {
    if (!take(whole.substr(at, kPiece))) break;
  }
  std::free(bytes);
  return HistoryRead::kRead;
}

bool StreamTakesUtf8(std::FILE*) {
  return true;
}

bool PutText(std::FILE* stream, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

}  // namespace kippfeld::platform
