#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "console/startup.h"
#include "game/flow.h"
#include "game/history.h"
#include "game/history_store.h"
#include "history/after_game.h"
#include "history/drill.h"
#include "history/file/file_store.h"
#include "history/report.h"
#include "platform/backend.h"
#include "platform/history_file.h"
#include "words/choice.h"
#include "words/words.h"

namespace {

using namespace kippfeld;

// The text as the stream takes it: UTF-8, or ASCII with a translation's
// letters written out.
void Put(const std::string& text, std::FILE* stream) {
  platform::PutText(stream, words::ForOutput(text, platform::StreamTakesUtf8(stream)));
}

// A failed write (a full disk, a closed pipe) must not pass for an answer.
int Print(const std::string& text) {
  Put(text, stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    Put(std::string("kippfeld: ") + _("cannot write to standard output") + "\n", stderr);
    return 1;
  }
  return 0;
}

// The history file the game records in, and what the game leaves behind.
// Made before the action below is registered, so they outlive it.
std::optional<history::FileHistoryStore> theStore;
game::GameReport theReport;
// A drill's plan and the file its rounds are kept in.
game::DrillPlan thePlan;
std::optional<history::FileHistoryStore> theDrills;

// The drill file beside the history; without a place for the history, a
// store that says why when a round is to be kept.
history::FileHistoryStore& DrillStore(std::optional<history::FileHistoryStore>& drills,
                                      history::FileHistoryStore& tests) {
  if (tests.Place().empty()) return drills.emplace();
  return drills.emplace(history::DrillFilePath(tests.Place()));
}

// Runs once the console is given back, so that it is read after the game
// rather than inside its screen: after a game ended by its final input, the
// table and the line saying the test was kept; why a test was not recorded.
// An end by a signal never comes here, and a terminal that went away leaves
// no table.
void TellGameReport() {
  std::string after = history::AfterGameText(theReport, theStore ? &*theStore : nullptr,
                                             platform::StreamTakesUtf8(stdout));
  if (!after.empty()) {
    platform::PutText(stdout, after);
    std::fflush(stdout);
  }
  const std::string& failure = theReport.historyFailure;
  if (!failure.empty()) Put("kippfeld: " + game::PrintableText(failure, true) + "\n", stderr);
}

}  // namespace

int main(int argc, char** argv) {
  platform::KeepOwnConsoleOpen();
  // Everything but playing is answered here, before the terminal is opened.
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const app::CommandLine commandLine = app::ParseCommandLine(arguments);
  // Read from the environment, never from the C library's locale: the
  // process stays in the C locale, whatever the player's is.
  const words::Language language = commandLine.language.value_or(
      words::ChooseLanguage(words::ProcessEnvironment(platform::UserInterfaceLanguage())));
  words::UseLanguage(language);
  switch (commandLine.action) {
    case app::Action::kShowHelp:
      return Print(app::UsageText());
    case app::Action::kShowVersion:
      return Print(app::VersionText());
    case app::Action::kUsageError:
      Put(app::UsageErrorLine(commandLine), stderr);
      return 2;
    case app::Action::kShowHistory: {
      history::FileHistoryStore store;
      std::optional<history::FileHistoryStore> drills;
      if (!store.Place().empty()) drills.emplace(history::DrillFilePath(store.Place()));
      history::ReportStyle style;
      style.utf8 = platform::StreamTakesUtf8(stdout);
      style.put = platform::PutText;
      return history::RunHistoryCommand(store, style, stdout, stderr, drills ? &*drills : nullptr);
    }
    case app::Action::kPlay:
      break;
  }
  game::GameSetting setting;
  setting.report = &theReport;
  // The screens are German in every locale; only --lang en asks for others.
  setting.language = commandLine.language.value_or(words::Language::German);
  if (commandLine.drill) {
    // Read before the terminal is opened; a drill never touches the tests'
    // history, and with --no-history keeps nothing either.
    history::FileHistoryStore tests;
    std::optional<history::FileHistoryStore> drills;
    history::FileHistoryStore& drillFile = DrillStore(drills, tests);
    thePlan = history::PlanDrill(tests, &drillFile, commandLine.drillTasks);
    setting.drill = &thePlan;
    if (!commandLine.noHistory) setting.drills = &DrillStore(theDrills, tests);
  } else if (!commandLine.noHistory) {
    setting.history = &theStore.emplace();
  }
  platform::AtProcessEnd(&TellGameReport);
  std::unique_ptr<platform::Platform> platform = platform::OpenConsolePlatform(argc, argv);
  if (!platform) return 1;
  console::StartUp(*platform, [&setting](const console::StartParameters& start) {
    return game::GameMain(start, setting);
  });
}
