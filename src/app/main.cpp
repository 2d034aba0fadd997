#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/file_history_store.h"
#include "app/game_end.h"
#include "app/history_report.h"
#include "console/startup.h"
#include "game/flow.h"
#include "game/history.h"
#include "game/history_store.h"
#include "platform/backend.h"
#include "platform/history_file.h"

namespace {

using namespace kippfeld;

// A failed write (a full disk, a closed pipe) must not pass for an answer.
int Print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fputs("kippfeld: cannot write to standard output\n", stderr);
    return 1;
  }
  return 0;
}

// The history file the game records in, and what the game leaves behind.
// Made before the action below is registered, so they outlive it.
std::optional<app::FileHistoryStore> theStore;
game::GameReport theReport;

// Runs once the console is given back, so that it is read after the game
// rather than inside its screen: after a game ended by its final input, the
// table and the line saying the test was kept; why a test was not recorded.
// An end by a signal never comes here, and a terminal that went away leaves
// no table.
void TellGameReport() {
  std::string after = app::AfterGameText(theReport, theStore ? &*theStore : nullptr,
                                         platform::StreamTakesUtf8(stdout));
  if (!after.empty()) {
    std::fputs(after.c_str(), stdout);
    std::fflush(stdout);
  }
  const std::string& failure = theReport.historyFailure;
  if (failure.empty()) return;
  bool utf8 = platform::StreamTakesUtf8(stderr);
  std::fprintf(stderr, "kippfeld: %s\n", game::PrintableText(failure, utf8).c_str());
}

}  // namespace

int main(int argc, char** argv) {
  platform::KeepOwnConsoleOpen();
  // Everything but playing is answered here, before the terminal is opened.
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const app::CommandLine commandLine = app::ParseCommandLine(arguments);
  switch (commandLine.action) {
    case app::Action::kShowHelp:
      return Print(app::UsageText());
    case app::Action::kShowVersion:
      return Print(app::VersionText());
    case app::Action::kUsageError:
      std::fputs(app::UsageErrorLine(commandLine).c_str(), stderr);
      return 2;
    case app::Action::kShowHistory: {
      app::FileHistoryStore store;
      return app::RunHistoryCommand(store, {platform::StreamTakesUtf8(stdout)}, stdout, stderr);
    }
    case app::Action::kPlay:
      break;
  }
  game::GameSetting setting;
  setting.report = &theReport;
  if (!commandLine.noHistory) {
    setting.history = &theStore.emplace();
  }
  platform::AtProcessEnd(&TellGameReport);
  std::unique_ptr<platform::Platform> platform = platform::OpenConsolePlatform(argc, argv);
  if (!platform) return 1;
  console::StartUp(*platform, [&setting](const console::StartParameters& start) {
    return game::GameMain(start, setting);
  });
}
