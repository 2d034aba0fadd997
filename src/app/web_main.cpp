// The program in a browser page: the game on the page's console with its
// history in the browser's storage, the functions the page calls (keys,
// pointer events) and the jobs it hands over (the history view and its file
// buttons). The page loads one instance per game; main runs the game in it
// and never returns.
#include <emscripten/emscripten.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "console/startup.h"
#include "game/drill.h"
#include "game/flow.h"
#include "game/history.h"
#include "game/history_store.h"
#include "history/drill.h"
#include "history/file/file_store.h"
#include "history/import.h"
#include "history/report.h"
#include "history/source.h"
#include "platform/history_file.h"
#include "platform/web/web_host.h"
#include "platform/web/web_keys.h"
#include "platform/web/web_mouse.h"
#include "platform/web/web_platform.h"
#include "words/choice.h"
#include "words/words.h"

// web_library.js
extern "C" {
int kippfeld_next_job(char** name, char** bytes, int* length);
void kippfeld_job_done(const char* text, int length, const char* problems);
}

namespace {

using namespace kippfeld;

bool RunPageJobs();

// Made on first use: the page may push input before main runs.
platform::WebPlatform& ThePlatform() {
  static platform::BrowserHost host(RunPageJobs);
  static platform::WebPlatform console(host);
  return console;
}

platform::MouseRecords& TheMouse() {
  static platform::MouseRecords mouse;
  return mouse;
}

// The history in the browser's storage, kept by the same rules as the file.
// Its name is in the words' language of the moment: the page may change it
// after the store is made.
class PageHistoryStore final : public history::FileHistoryStore {
 public:
  std::string Place() override {
    std::string unused;
    return platform::HistoryFilePath(unused);
  }
};

history::FileHistoryStore& TheStore() {
  static PageHistoryStore store;
  return store;
}

// The drill rounds beside it, as drills.tsv beside history.tsv: shown as
// the history's place with the file's name changed, and kept in the
// storage history_file_web.cpp keeps under that name.
class PageDrillStore final : public history::FileHistoryStore {
 public:
  PageDrillStore() : FileHistoryStore("kippfeld/drills.tsv") {}
  std::string Place() override {
    std::string place = TheStore().Place();
    const std::string file = "history.tsv";
    if (std::size_t at = place.rfind(file); at != std::string::npos) {
      place.replace(at, file.size(), "drills.tsv");
    }
    return place;
  }
};

history::FileHistoryStore& TheDrills() {
  static PageDrillStore store;
  return store;
}

game::GameReport theReport;
game::GameSetting theSetting{&TheStore(), &theReport};
// A drill asked for before the game started, and its plan once main made it.
bool theDrill = false;
game::DrillPlan thePlan;

// The texts last handed to the page; each lives until the next call.
std::string theText;
std::string theProblems;

// The kinds of the page's history jobs (page.js: JOBS).
enum class PageJob { kNone = 0, kReport = 1, kContent = 2, kAdd = 3 };

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text.append(line).append("\n");
  return text;
}

// The whole of a stored file; false, with the line the history command
// gives, when the browser refuses its storage. `what` names the file as
// that line does.
bool ReadStored(history::HistorySource& source, const char* what, std::string& content,
                platform::HistoryRead* read = nullptr) {
  std::string reason;
  platform::HistoryRead result = history::ReadWhole(source, content, reason);
  if (read != nullptr) *read = result;
  if (result != platform::HistoryRead::kFailed) return true;
  theProblems +=
      "kippfeld: " + game::PrintableText(words::Fill(what, {source.Place(), reason}), true) + "\n";
  return false;
}

bool ReadStored(std::string& content) {
  return ReadStored(TheStore(), _("cannot read the history {1}: {2}"), content);
}

// The report `kippfeld --history` prints, on the stored history, with the
// drill section once a drill round was kept; the lines it names as
// skipped, or why the storage cannot be read, in theProblems. Both are
// read whole and reported on afterwards, so that no part of the report
// runs while the program waits for the storage.
void HistoryReport() {
  theProblems.clear();
  theText.clear();
  std::string content;
  if (!ReadStored(content)) return;
  const history::ReportStyle style{true, true};
  history::HistoryReportReader reader(TheStore().Place(), style);
  reader.Read(content);
  history::HistoryReport report = reader.Finish();
  theProblems = Lines(report.errors);
  theText = std::move(report.out);
  std::string drills;
  platform::HistoryRead read = platform::HistoryRead::kMissing;
  // TRANSLATORS: {1} is the drill file's name, {2} why it cannot be read.
  if (!ReadStored(TheDrills(), _("cannot read the drills {1}: {2}"), drills, &read) ||
      read == platform::HistoryRead::kMissing) {
    return;
  }
  history::DrillReportReader drillReader(TheDrills().Place(), style);
  drillReader.Read(drills);
  history::HistoryReport section = drillReader.Finish(reader.NextDrill());
  theProblems += Lines(section.errors);
  theText += section.out;
}

// The stored history as the file history.tsv holds it.
void HistoryContent() {
  theProblems.clear();
  if (!ReadStored(theText)) theText.clear();
}

// Adds the records of a history file the player chose: one line saying what
// came of it, with the skipped lines in theProblems.
void HistoryAdd(const char* name, std::string_view content) {
  theProblems.clear();
  std::string kept;
  if (!ReadStored(kept)) {
    theText = _("Nothing added.");
    return;
  }
  history::HistoryImport import = history::PlanHistoryImport(kept, name, content);
  theProblems = Lines(import.errors);
  theText = history::ImportSummary(import, name);
  if (import.added > 0) {
    std::string reason = TheStore().Append(game::HistoryHeader(), import.records);
    if (!reason.empty()) {
      theText = words::Fill(_("Nothing added: {1}"), {game::PrintableText(reason, true)});
    }
  }
}

// Does the page's history jobs, one after the other, each answered with
// theText and theProblems; true when there were any.
bool RunPageJobs() {
  for (bool ran = false;; ran = true) {
    char* name = nullptr;
    char* bytes = nullptr;
    int length = 0;
    const auto job = static_cast<PageJob>(kippfeld_next_job(&name, &bytes, &length));
    if (job == PageJob::kNone) return ran;
    theText.clear();
    theProblems.clear();
    if (name == nullptr || bytes == nullptr) {
      theProblems =
          "kippfeld: " + std::string(_("the page has no memory left for the history")) + "\n";
    } else if (job == PageJob::kReport) {
      HistoryReport();
    } else if (job == PageJob::kContent) {
      HistoryContent();
    } else if (job == PageJob::kAdd) {
      HistoryAdd(name, std::string_view(bytes, static_cast<std::size_t>(length)));
    }
    std::free(name);
    std::free(bytes);
    kippfeld_job_done(theText.data(), static_cast<int>(theText.size()), theProblems.c_str());
  }
}

// What kippfeld_key and kippfeld_pointer answer.
constexpr int kNothingQueued = 0;
constexpr int kQueued = 1;

// The page's side of what passes between it and the program, as JSON.
std::string Protocol() {
  using platform::PointerAction;
  auto number = [](auto value) { return std::to_string(static_cast<int>(value)); };
  return "{\"width\":" + number(platform::WebPlatform::kWidth) +
         ",\"height\":" + number(platform::WebPlatform::kHeight) +
         ",\"modifiers\":{\"shift\":" + number(platform::kBrowserShift) +
         ",\"ctrl\":" + number(platform::kBrowserCtrl) +
         ",\"alt\":" + number(platform::kBrowserAlt) +
         ",\"meta\":" + number(platform::kBrowserMeta) +
         ",\"altGraph\":" + number(platform::kBrowserAltGraph) +
         ",\"capsLock\":" + number(platform::kBrowserCapsLock) +
         ",\"numLock\":" + number(platform::kBrowserNumLock) +
         ",\"scrollLock\":" + number(platform::kBrowserScrollLock) +
         ",\"composing\":" + number(platform::kBrowserComposing) +
         "},\"pointer\":{\"down\":" + number(PointerAction::kDown) +
         ",\"up\":" + number(PointerAction::kUp) + ",\"move\":" + number(PointerAction::kMove) +
         ",\"wheel\":" + number(PointerAction::kWheel) + "},\"queued\":" + number(kQueued) + "}";
}

}  // namespace

extern "C" {

// What the page needs to know to talk to the program (Protocol), the one
// definition of it: the console's size, the modifier bits of a key, the
// pointer actions and what a push answers when it queued a record.
EMSCRIPTEN_KEEPALIVE const char* kippfeld_protocol() {
  static const std::string protocol = Protocol();
  return protocol.c_str();
}

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

// A drill instead of the practice and the test, for a game not yet
// started: the tasks the stored history picks, as `kippfeld --drill` drills.
EMSCRIPTEN_KEEPALIVE void kippfeld_drill() {
  theDrill = true;
}

// A key pressed in the page: kQueued when a record was queued.
EMSCRIPTEN_KEEPALIVE int kippfeld_key(const char* code, const char* key, int modifiers) {
  platform::BrowserKey browserKey{code, key, static_cast<std::uint32_t>(modifiers)};
  if (platform::MovesFocus(browserKey)) return kNothingQueued;
  std::optional<platform::InputRecord> record = platform::KeyDownRecord(browserKey);
  return record && ThePlatform().Push(*record) ? kQueued : kNothingQueued;
}

// 1 when the browser is to act on the key itself.
EMSCRIPTEN_KEEPALIVE int kippfeld_browser_keeps(const char* code, const char* key, int modifiers) {
  return platform::BrowserKeepsKey({code, key, static_cast<std::uint32_t>(modifiers)}) ? 1 : 0;
}

// A pointer event on a cell (a PointerAction; an unknown one is a move):
// kQueued when a record was queued.
EMSCRIPTEN_KEEPALIVE int kippfeld_pointer(int action, int x, int y, int button, double timeMs) {
  platform::PointerEvent event;
  const int wheel = static_cast<int>(platform::PointerAction::kWheel);
  event.action = action < 0 || action > wheel ? platform::PointerAction::kMove
                                              : static_cast<platform::PointerAction>(action);
  event.x = x;
  event.y = y;
  event.button = button;
  event.timeMs = timeMs;
  bool pushed = false;
  for (const platform::InputRecord& record : TheMouse().On(event)) {
    pushed = ThePlatform().Push(record) || pushed;
  }
  return pushed ? kQueued : kNothingQueued;
}

// Why the game's test could not be kept, as one line; empty when it was.
EMSCRIPTEN_KEEPALIVE const char* kippfeld_history_failure() {
  static std::string line;
  const std::string& failure = theReport.historyFailure;
  line = failure.empty() ? "" : "kippfeld: " + game::PrintableText(failure, true);
  return line.c_str();
}

}  // extern "C"

int main() {
  if (theDrill) {
    // Read here, where the program may wait for the storage; a drill
    // leaves the tests' history as it is.
    thePlan = history::PlanDrill(TheStore(), &TheDrills(), {});
    theSetting.drill = &thePlan;
    theSetting.drills = &TheDrills();
    theSetting.history = nullptr;
  }
  console::StartUp(ThePlatform(), [](const console::StartParameters& start) {
    return game::GameMain(start, theSetting);
  });
}
