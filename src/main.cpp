#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "console/startup.h"
#include "file_history_store.h"
#include "game/command_line.h"
#include "game/flow.h"
#include "platform/backend.h"

namespace {

// A failed write (a full disk, a closed pipe) must not pass for an answer.
int Print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fputs("kippfeld: cannot write to standard output\n", stderr);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kippfeld;
  // Everything but playing is answered here, before the terminal is opened.
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const game::CommandLine commandLine = game::ParseCommandLine(arguments);
  switch (commandLine.action) {
    case game::Action::kShowHelp:
      return Print(game::UsageText());
    case game::Action::kShowVersion:
      return Print(game::VersionText());
    case game::Action::kUsageError:
      std::fputs(game::UsageErrorLine(commandLine).c_str(), stderr);
      return 2;
    case game::Action::kShowHistory:
      return ShowHistory();
    case game::Action::kPlay:
      break;
  }
  if (!commandLine.noHistory) KeepHistory();
  std::unique_ptr<platform::Platform> platform = platform::OpenConsolePlatform();
  if (!platform) return 1;
  console::StartUp(*platform, &game::GameMain);
}
