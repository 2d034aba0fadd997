#include "history/source.h"

#include <string>

namespace kippfeld::history {

platform::HistoryRead ReadWhole(HistorySource& source, std::string& content, std::string& reason) {
  content.clear();
  platform::HistoryRead read = source.Read(
      [&content](std::string_view piece) {
        content.append(piece);
        return true;
      },
      reason);
  if (read != platform::HistoryRead::kRead) content.clear();
  return read;
}

}  // namespace kippfeld::history
