#include "game/results.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "console/clock.h"
#include "console/errors.h"
#include "console/input.h"
#include "console/numbers.h"
#include "console/screen.h"
#include "console/startup.h"
#include "game/history_store.h"
#include "game/screen_text.h"

namespace kippfeld::game {

namespace {

// The table's words. Code page 850: 0x9A is the capital U umlaut, 0xFC the
// superscript three and 0x81 the small u umlaut. The columns' headings start
// at columns 5, 30 and 48 in either language, and every word takes the
// German one's cells, so the names, times and counts after it stay in their
// columns.
struct ResultsTexts {
  ScreenText heading;
  ScreenText entry;
  ScreenText total;
  ScreenText minutes;
  ScreenText seconds;
};

constexpr ResultsTexts kTexts = {
    {"    \x9A"
     "bung                    Zeit (sec.)       Z\xFC\x81ge",
     "    Task                     Time (sec.)       Moves"},
    {". Aufgabe ", ". Task    "},
    {"  gesammt :", "  Total   :"},
    {" Min. ", " min. "},
    {" Sec.", " sec."},
};
static_assert(SameRoom(std::array{kTexts.heading, kTexts.entry, kTexts.total, kTexts.minutes,
                                  kTexts.seconds}));

using console::kComputedDigits;  // values computed on the spot
using console::kStoredDigits;    // values read from a float variable
constexpr int kMovesColumn = 49;
constexpr int kTimeColumn = 35;

// The player needs this long to see the table before an input may end the
// program.
constexpr int kGraceMilliseconds = 500;
constexpr int kGraceStep = 100;

void DrainInput() {
  while (!console::PollInput().empty()) {
  }
}

// Throws away what is already queued (the release of the double click that
// completed task 12, a second ESC, a key typed during the last OK signal) and
// whatever comes in the first half second. Without this the final wait takes
// such input at once and the table vanishes before it was ever seen.
void IgnoreEarlyInput() {
  DrainInput();
  for (int waited = 0; waited < kGraceMilliseconds; waited += kGraceStep) {
    console::Pause(kGraceStep);
    DrainInput();
  }
}

}  // namespace

// A float holds a whole number of tenths only approximately, often just below
// it (12.2 is stored as 12.1999998), and cutting that raw value would list
// most times one tenth short at any hour. So the cut is made at the float's
// own seven-digit value; a real shortfall, such as the start mark's coarse
// resolution late in the day, still shows. Rounded to float first, a listed
// 12.2 would be written as 12.1999998092651.
//
// Going through the number text is most of the cost of reading a history,
// whose every line's total is checked against these, and a history holds
// few different task times: the last ones worked out are kept in a small
// cache, found by the float's bits.
long double ListedTime(float seconds) {
  struct Entry {
    bool known = false;
    std::uint32_t bits = 0;
    long double listed = 0;
  };
  constexpr std::size_t kEntries = 4096;
  thread_local std::array<Entry, kEntries> cache;
  const auto bits = std::bit_cast<std::uint32_t>(seconds);
  Entry& entry = cache[(bits * 2654435761u >> 20) % kEntries];
  if (!entry.known || entry.bits != bits) {
    long double value = console::ParseNumber(console::FormatNumber(seconds, kStoredDigits));
    entry = {true, bits, console::Floor(10 * value) / 10};
  }
  return entry.listed;
}

float TotalTime(const std::array<float, kEntryCount>& taskTimes) {
  float total = 0;
  for (int k = 1; k <= kTaskCount; ++k) {
    total = static_cast<float>(total + ListedTime(taskTimes[k]));
  }
  return total;
}

void ShowResults(GameSession& session) {
  const Language language = session.setting.language;
  console::ClearScreen();
  console::NewLine();
  console::WriteText(kTexts.heading.In(language));
  console::NewLine();
  console::NewLine();
  for (int k = 0; k < kEntryCount; ++k) {
    console::WriteNumber(k, kStoredDigits);
    console::WriteText(kTexts.entry.In(language));
    console::WriteText(session.catalogue.names[k]);
    console::WriteNumber(ListedTime(session.taskTimes[k]), kComputedDigits);
    // A long name with a long time ends past this column: the count then
    // goes onto the next row and every later row moves down by one.
    console::TabTo(kMovesColumn);
    console::WriteNumber(session.taskMoves[k], kStoredDigits);
    console::NewLine();
    console::CheckError();
  }

  float total = TotalTime(session.taskTimes);

  console::NewLine();
  console::WriteText(kTexts.total.In(language));
  console::TabTo(kMovesColumn);
  console::WriteNumber(session.moveTotal, kStoredDigits);
  console::NewLine();

  // Minutes are floored before the seconds are rounded, so a remainder of
  // 59.5 s or more reads 60 seconds without raising the minutes.
  console::TabTo(kTimeColumn);
  long double minutes = console::Floor(static_cast<long double>(total) / 60);
  console::WriteNumber(minutes, kComputedDigits);
  console::WriteText(kTexts.minutes.In(language));
  console::WriteNumber(console::RoundTo(total - 60 * minutes, 0), kComputedDigits);
  console::WriteText(kTexts.seconds.In(language));
  console::NewLine();
  console::CheckError();

  // On the player's screen first: a console that shows its buffer only when
  // the program waits shows it now. Only then is the test recorded, so that
  // a slow disk or a lock held by another game never keeps the table away.
  console::Pause(0);
  // Kept before the final wait, so that a hang-up or a closed window while
  // the table is shown loses nothing.
  RecordTest(session);
  IgnoreEarlyInput();
  WaitForInput(session, false);
  // The table as it stands now, for the program to print once the console
  // is given back: a terminal's alternate screen takes it away at the end.
  // An end by a signal or a closed terminal never gets here.
  if (GameReport* report = session.setting.report) report->table = console::ScreenRows();
  console::EndProgram(0);
}

void IgnoreInputBeforeTheEnd() {
  IgnoreEarlyInput();
}

}  // namespace kippfeld::game
