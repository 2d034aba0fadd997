// The training history on the real file, as the game keeps every test the
// player takes in it and `kippfeld --history` reads it. The rules of the
// file are kept here, once for every platform: the header only in a new
// file, a record on a line of its own after a last line a crash cut short,
// and the size no history grows past. The platform only opens, locks, looks
// at the end, appends in one write, flushes and reads.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "game/history_store.h"
#include "history/source.h"
#include "platform/history_file.h"

namespace kippfeld::history {

class FileHistoryStore : public game::HistoryStore, public HistorySource {
 public:
  // The file the environment names (see platform::HistoryFilePath).
  FileHistoryStore();
  explicit FileHistoryStore(std::string path) : path_(std::move(path)) {}

  std::string Place() override { return path_; }
  std::string LocalDateTime() override;
  std::string Append(std::string_view header, std::string_view record) override;
  platform::HistoryRead Read(const std::function<bool(std::string_view)>& take,
                             std::string& reason) override;

 private:
  std::string noPathReason_;
  std::string path_;
};

}  // namespace kippfeld::history
