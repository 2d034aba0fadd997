// The game's history store on the real file, and the two ways the program
// uses it: keeping every test the player takes, and the report that
// `kippfeld --history` prints.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "game/history_store.h"

namespace kippfeld::app {

class FileHistoryStore : public game::HistoryStore {
 public:
  FileHistoryStore();

  std::string Place() override { return path_; }
  std::string LocalDateTime() override;
  std::string Append(std::string_view header, std::string_view record) override;
  game::HistoryRead Read(const std::function<void(std::string_view)>& take,
                         std::string& reason) override;

 private:
  std::string noPathReason_;
  std::string path_;
};

// Has every test the player takes recorded in the history file; a record
// that cannot be kept is said on standard error once the terminal is given
// back.
void KeepHistory();

// The report on standard output; the terminal's modes are never touched.
// The exit status: 0, or 1 when the file cannot be read.
int ShowHistory();

}  // namespace kippfeld::app
