#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "console/startup.h"
#include "game/flow.h"
#include "game/history.h"
#include "game/history_report.h"
#include "game/history_store.h"
#include "platform/backend.h"
#include "platform/history_file.h"

namespace {

// --- The training history: the game's store on the real file ---

namespace game = kippfeld::game;
namespace platform = kippfeld::platform;

class FileHistoryStore : public game::HistoryStore {
 public:
  FileHistoryStore() : path_(platform::HistoryFilePath(noPathReason_)) {}

  std::string Place() override { return path_; }
  std::string LocalDateTime() override { return platform::LocalDateTimeNow(); }
  std::string Append(std::string_view header, std::string_view record) override {
    if (path_.empty()) return noPathReason_;
    return platform::AppendToHistoryFile(path_, header, record);
  }
  game::HistoryRead Read(std::string& content, std::string& reason) override {
    if (path_.empty()) {
      reason = noPathReason_;
      return game::HistoryRead::kFailed;
    }
    switch (platform::ReadHistoryFile(path_, content, reason)) {
      case platform::HistoryFileRead::kRead:
        return game::HistoryRead::kRead;
      case platform::HistoryFileRead::kMissing:
        return game::HistoryRead::kMissing;
      case platform::HistoryFileRead::kFailed:
        break;
    }
    return game::HistoryRead::kFailed;
  }

 private:
  std::string noPathReason_;
  std::string path_;
};

// Run once the terminal is given back: a record that could not be kept is
// said on standard error, and the game still ends with its own status.
void ReportHistoryFailure() {
  const std::string& failure = game::HistoryFailure();
  if (failure.empty()) return;
  bool utf8 = platform::StreamTakesUtf8(stderr);
  std::fprintf(stderr, "kippfeld: %s\n", game::PrintableText(failure, utf8).c_str());
}

// Has every test the player takes recorded in the history file.
void KeepHistory() {
  // Made before the action is registered, so it outlives the action.
  static FileHistoryStore store;
  game::SetHistoryStore(&store);
  platform::AtProcessEnd(&ReportHistoryFailure);
}

// `kippfeld --history`: the report on standard output; the terminal's modes
// are never touched.
int ShowHistory() {
  FileHistoryStore store;
  return game::RunHistoryCommand(store, {platform::StreamTakesUtf8(stdout)}, stdout, stderr);
}

}  // namespace

int main(int argc, char** argv) {
  // Until the command line has its parser, a lone --history or --no-history
  // is understood here.
  std::string_view option = argc == 2 ? argv[1] : "";
  if (option == "--history") return ShowHistory();
  if (option != "--no-history") KeepHistory();

  std::unique_ptr<kippfeld::platform::Platform> platform =
      kippfeld::platform::OpenConsolePlatform();
  if (!platform) return 1;
  kippfeld::console::StartUp(*platform, &kippfeld::game::GameMain);
}
