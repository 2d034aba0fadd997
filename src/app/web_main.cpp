// The program in a browser page: the game on the page's console with its
// history in the browser's storage, and the functions the page calls (keys,
// pointer events, the history view and its file buttons). The page loads
// one instance per game; main runs the game in it and never returns.
#include <emscripten/emscripten.h>

#include <optional>
#include <string>
#include <vector>

#include "console/startup.h"
#include "game/flow.h"
#include "game/history.h"
#include "game/history_store.h"
#include "history/file/file_store.h"
#include "history/import.h"
#include "history/report.h"
#include "history/source.h"
#include "platform/web/web_host.h"
#include "platform/web/web_keys.h"
#include "platform/web/web_mouse.h"
#include "platform/web/web_platform.h"
#include "words/choice.h"
#include "words/words.h"

namespace {

using namespace kippfeld;

// Made on first use: the page may push input before main runs.
platform::WebPlatform& ThePlatform() {
  static platform::BrowserHost host;
  static platform::WebPlatform console(host);
  return console;
}

platform::MouseRecords& TheMouse() {
  static platform::MouseRecords mouse;
  return mouse;
}

// The history in the browser's storage, kept by the same rules as the file.
history::FileHistoryStore& TheStore() {
  static history::FileHistoryStore store;
  return store;
}

game::GameReport theReport;
game::GameSetting theSetting{&TheStore(), &theReport};

// The texts last handed to the page; each lives until the next call.
std::string theText;
std::string theProblems;

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text.append(line).append("\n");
  return text;
}

// The stored history; false, with the line the history command gives, when
// the browser refuses its storage.
bool ReadStored(std::string& content) {
  std::string reason;
  if (history::ReadWhole(TheStore(), content, reason) != platform::HistoryRead::kFailed)
    return true;
  theProblems =
      "kippfeld: " +
      game::PrintableText(
          words::Fill(_("cannot read the history {1}: {2}"), {TheStore().Place(), reason}), true) +
      "\n";
  return false;
}

}  // namespace

extern "C" {

// The language of the program's words (the history's report, its
// messages) from now on: languages is a list as LANGUAGE holds one
// ("de-AT:en", the browser's languages or the player's choice), read the
// same way; English when it names neither German nor English. Returns 1 for
// German, 0 for English.
EMSCRIPTEN_KEEPALIVE int kippfeld_language(const char* languages) {
  words::LanguageEnvironment environment;
  environment.language = languages != nullptr ? languages : "";
  // The page has no locale variables: its list stands alone.
  environment.system = "en";
  words::Language language = words::ChooseLanguage(environment);
  words::UseLanguage(language);
  return language == words::Language::German ? 1 : 0;
}

// The language of the game's screens, "de" or "en", as --lang gives it: for
// a game not yet started (the page loads one instance per game). German
// unless the player chose English; returns 0 for any other code, which
// changes nothing.
EMSCRIPTEN_KEEPALIVE int kippfeld_screens_language(const char* code) {
  std::optional<words::Language> language = words::LanguageNamed(code != nullptr ? code : "");
  if (!language) return 0;
  theSetting.language = *language;
  return 1;
}

// A key pressed in the page. Returns 2 when a record was queued.
EMSCRIPTEN_KEEPALIVE int kippfeld_key(const char* code, const char* key, int modifiers) {
  platform::BrowserKey browserKey{code, key, static_cast<std::uint32_t>(modifiers)};
  std::optional<platform::InputRecord> record = platform::KeyDownRecord(browserKey);
  return record && ThePlatform().Push(*record) ? 2 : 0;
}

// 1 when the browser is to act on the key itself.
EMSCRIPTEN_KEEPALIVE int kippfeld_browser_keeps(const char* code, const char* key, int modifiers) {
  return platform::BrowserKeepsKey({code, key, static_cast<std::uint32_t>(modifiers)}) ? 1 : 0;
}

// A pointer event on a cell: action 0 down, 1 up, 2 move, 3 wheel. Returns
// 1 when a record was queued.
EMSCRIPTEN_KEEPALIVE int kippfeld_pointer(int action, int x, int y, int button, double timeMs) {
  platform::PointerEvent event;
  event.action = static_cast<platform::PointerAction>(action < 0 || action > 3 ? 2 : action);
  event.x = x;
  event.y = y;
  event.button = button;
  event.timeMs = timeMs;
  bool pushed = false;
  for (const platform::InputRecord& record : TheMouse().On(event)) {
    pushed = ThePlatform().Push(record) || pushed;
  }
  return pushed ? 1 : 0;
}

// Why the game's test could not be kept, as one line; empty when it was.
EMSCRIPTEN_KEEPALIVE const char* kippfeld_history_failure() {
  const std::string& failure = theReport.historyFailure;
  theText = failure.empty() ? "" : "kippfeld: " + game::PrintableText(failure, true);
  return theText.c_str();
}

// The report `kippfeld --history` prints, on the stored history. The lines
// it names as skipped, or why the history cannot be read, are then in
// kippfeld_history_problems.
EMSCRIPTEN_KEEPALIVE const char* kippfeld_history_report() {
  theProblems.clear();
  theText.clear();
  std::string content;
  if (ReadStored(content)) {
    history::HistoryReport report = history::ReportHistory(TheStore().Place(), content, {true});
    theProblems = Lines(report.errors);
    theText = std::move(report.out);
  }
  return theText.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* kippfeld_history_problems() {
  return theProblems.c_str();
}

// The stored history as the file history.tsv holds it.
EMSCRIPTEN_KEEPALIVE const char* kippfeld_history_content() {
  theProblems.clear();
  if (!ReadStored(theText)) theText.clear();
  return theText.c_str();
}

// Adds the records of a history file the player chose; returns one line
// saying what came of it, with the skipped lines in kippfeld_history_problems.
EMSCRIPTEN_KEEPALIVE const char* kippfeld_history_add(const char* name, const char* bytes,
                                                      int length) {
  theProblems.clear();
  std::string kept;
  if (!ReadStored(kept)) {
    theText = _("Nothing added.");
    return theText.c_str();
  }
  std::string_view content(bytes, length > 0 ? static_cast<std::size_t>(length) : 0);
  history::HistoryImport import = history::PlanHistoryImport(kept, name, content);
  theProblems = Lines(import.errors);
  theText = history::ImportSummary(import, name);
  if (import.added > 0) {
    std::string reason = TheStore().Append(game::HistoryHeader(), import.records);
    if (!reason.empty()) {
      theText = words::Fill(_("Nothing added: {1}"), {game::PrintableText(reason, true)});
    }
  }
  return theText.c_str();
}

}  // extern "C"

int main() {
  console::StartUp(ThePlatform(), [](const console::StartParameters& start) {
    return game::GameMain(start, theSetting);
  });
}
