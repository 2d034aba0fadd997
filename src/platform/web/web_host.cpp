#include "platform/web/web_host.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/cp850.h"

// web_library.js
extern "C" {
void kippfeld_show_row(int y, const std::uint16_t* glyphs, const std::uint8_t* attributes,
                       int width);
void kippfeld_show_cursor(int x, int y);
int kippfeld_local_time();
int kippfeld_wait(double milliseconds, int untilInput);
void kippfeld_end(int exitCode);
}

namespace {

// What kippfeld_wait answers.
constexpr int kTimedOut = 0;
constexpr int kJobsWaiting = 2;

}  // namespace

namespace kippfeld::platform {

void BrowserHost::ShowRow(int y, const Cell* cells, int width) {
  // Every glyph of code page 850 is one UTF-16 unit, so the page builds the
  // row's text straight from these.
  std::vector<std::uint16_t> glyphs(static_cast<std::size_t>(width));
  std::vector<std::uint8_t> attributes(static_cast<std::size_t>(width));
  for (int x = 0; x < width; ++x) {
    glyphs[x] = static_cast<std::uint16_t>(Cp850ToUnicode(cells[x].character));
    attributes[x] = cells[x].attribute;
  }
  kippfeld_show_row(y, glyphs.data(), attributes.data(), width);
}

void BrowserHost::ShowCursor(int x, int y) {
  kippfeld_show_cursor(x, y);
}

TimeOfDay BrowserHost::LocalTime() {
  int ms = kippfeld_local_time();
  return {ms / 3'600'000, ms / 60'000 % 60, ms / 1000 % 60, ms % 1000};
}

bool BrowserHost::Wait(std::int64_t milliseconds, bool untilInput) {
  // A job wakes the wait, runs, and a pause goes on for the time left. A
  // wait for input ends after a job: input the page pushed while the job
  // waited for the storage woke nobody, and the program looks again.
  const double until = emscripten_get_now() + static_cast<double>(milliseconds);
  for (;;) {
    if (runJobs_() && untilInput) return true;
    const double left =
        milliseconds == kNoLimit ? -1.0 : std::max(0.0, until - emscripten_get_now());
    const int answer = kippfeld_wait(left, untilInput ? 1 : 0);
    if (answer != kJobsWaiting) return answer != kTimedOut;
  }
}

void BrowserHost::End(int exitCode) {
  // The page is told, and the program then waits for nothing but the
  // page's history jobs, for ever: its last screen stays, and a new game
  // starts a new instance.
  kippfeld_end(exitCode);
  for (;;) Wait(kNoLimit, false);
}

}  // namespace kippfeld::platform
