// The training history's file on the machine's own file system: only what a
// platform must do itself. Where the file is, opening it without ever
// blocking, the lock that keeps other games out during an append, a look at
// its end, one append write and the flush to disk, and reading it whole.
// What goes into the file (the header of a new file, the line end after a
// cut last line, the size cap) is decided once, above, by the program's
// file store. Each real backend defines these once for its operating
// system. Nothing here is used while the game draws: the record is
// appended once the results table is on the screen.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace kippfeld::platform {

// How opening or reading the file went; the one set of outcomes for every
// platform and the program above.
enum class HistoryRead { kRead, kMissing, kFailed };

// The file named by KIPPFELD_HISTORY, else history.tsv in the user's folder
// for program state. Empty, with the reason, when the user has none.
std::string HistoryFilePath(std::string& reason);

// The local date and time now, ISO 8601 with the UTC offset:
// 2025-03-14T09:26:53+01:00.
std::string LocalDateTimeNow();

// The history file, open for one append and locked against other games'
// appends until it is closed.
struct AppendingFile {
  std::intptr_t handle = -1;
  bool readable = false;  // the end can be looked at
  bool locked = false;
};

// What ReadHistoryEnd finds: the file's size and its last byte, a line end
// when the file is empty or cannot be read back.
struct HistoryEnd {
  std::uint64_t size = 0;
  char last = '\n';
};

// Opens the file for appending, creating missing folders and the file.
// Anything that is not a regular file is refused, and the open never waits
// for another process (a FIFO with no reader). Then takes the lock, or goes
// on without where the file system has none. Empty when the file is open,
// else why not; the file is then closed.
std::string OpenHistoryToAppend(const std::string& path, AppendingFile& file);

std::string ReadHistoryEnd(AppendingFile& file, HistoryEnd& end);

// All of text at the end of the file in a single write, so that records of
// games ending at the same moment never mix. Empty when it all went out.
std::string AppendInOneWrite(AppendingFile& file, std::string_view text);

// Puts what was written on disk.
std::string FlushHistoryFile(AppendingFile& file);

// Gives the lock up and closes; a file system on the network may report a
// failed write only here.
std::string CloseHistoryFile(AppendingFile& file);

// Reads the file from the start, handing each piece read to take until the
// end or until take returns false. kMissing when it does not exist; kFailed
// with the reason when it cannot be opened or read, or is not a regular
// file (refused at once, never waited on).
HistoryRead ReadHistoryFile(const std::string& path,
                            const std::function<bool(std::string_view)>& take, std::string& reason);

// True when text written to the stream with PutText may be UTF-8.
bool StreamTakesUtf8(std::FILE* stream);

// Writes text, UTF-8 where StreamTakesUtf8 allows it, to the stream, after
// what the stream holds already. False when it could not be written.
bool PutText(std::FILE* stream, std::string_view text);

}  // namespace kippfeld::platform
