// Where the training history is read from, for the report and for the line
// that names a test's new personal bests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/history_file.h"

namespace kippfeld::history {

// Far more than a lifetime of tests (a record is about 150 bytes). The
// reader refuses a longer file, so that whatever a regular file holds the
// report is done in bounded time, and so the writer never makes one.
inline constexpr std::uint64_t kLongestHistory = 64 * 1024 * 1024;

class HistorySource {
 public:
  virtual ~HistorySource() = default;
  // The file's name as messages show it; empty when there is none.
  virtual std::string Place() = 0;
  // Hands the content to take piece by piece, until the end or until take
  // returns false. kMissing when there is no history yet; kFailed with the
  // reason when it cannot be read (or is longer than kLongestHistory).
  virtual platform::HistoryRead Read(const std::function<bool(std::string_view)>& take,
                                     std::string& reason) = 0;
};

// Hands every piece of the source to reader.Read, to the end: the way each
// reader of the history takes a file.
template <typename Reader>
platform::HistoryRead ReadInto(HistorySource& source, Reader& reader, std::string& reason) {
  return source.Read(
      [&reader](std::string_view piece) {
        reader.Read(piece);
        return true;
      },
      reason);
}

// The whole content of the source, for a reader that wants it at once;
// empty unless it was read.
platform::HistoryRead ReadWhole(HistorySource& source, std::string& content, std::string& reason);

}  // namespace kippfeld::history
