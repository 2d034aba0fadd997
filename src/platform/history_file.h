// The training history's file on the machine's own file system, and what the
// history command needs to know about its output. Each real backend defines
// these once for its operating system; the executable puts them behind the
// game's history store. Nothing here is used while the game draws: the
// record is appended once the results table is on the screen.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace kippfeld::platform {

// The file named by KIPPFELD_HISTORY, else history.tsv in the user's folder
// for program state. Empty, with the reason, when the user has none.
std::string HistoryFilePath(std::string& reason);

// The local date and time now, ISO 8601 with the UTC offset:
// 2025-03-14T09:26:53+01:00.
std::string LocalDateTimeNow();

// Appends the record in a single append write and flushes it to disk, so
// that records of games ending at the same moment never mix. Missing folders
// and the file are created. A new (empty) file gets the header first, in the
// same write; a file whose last line was cut short gets a line end first, so
// that the record stands on a line of its own. Nothing already in the file
// is ever written over. Empty when the record is kept, else why not.
std::string AppendToHistoryFile(const std::string& path, std::string_view header,
                                std::string_view record);

enum class HistoryFileRead { kRead, kMissing, kFailed };

// The file piece by piece, in order, to `take`; kMissing when it does not
// exist, kFailed with the reason when it cannot be read (or is far too long
// to be a history).
HistoryFileRead ReadHistoryFile(const std::string& path,
                                const std::function<void(std::string_view)>& take,
                                std::string& reason);

// True when text written to the stream may be UTF-8.
bool StreamTakesUtf8(std::FILE* stream);

}  // namespace kippfeld::platform
