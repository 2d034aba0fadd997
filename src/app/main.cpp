#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/file_history_store.h"
#include "console/startup.h"
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
  const app::CommandLine commandLine = app::ParseCommandLine(arguments);
  switch (commandLine.action) {
    case app::Action::kShowHelp:
      return Print(app::UsageText());
    case app::Action::kShowVersion:
      return Print(app::VersionText());
    case app::Action::kUsageError:
      std::fputs(app::UsageErrorLine(commandLine).c_str(), stderr);
      return 2;
    case app::Action::kShowHistory:
      return app::ShowHistory();
    case app::Action::kPlay:
      break;
  }
  if (!commandLine.noHistory) app::KeepHistory();
  std::unique_ptr<platform::Platform> platform = platform::OpenConsolePlatform(argc, argv);
  if (!platform) return 1;
  console::StartUp(*platform, &game::GameMain);
}
