// The page's console: what reaches the page (changed rows only, before every
// wait), how long each wait may last, and whole games played through it in
// virtual time with keys and clicks as the page delivers them.
#include "platform/web/web_platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "console/startup.h"
#include "game/flow.h"
#include "platform/web/web_keys.h"
#include "platform/web/web_mouse.h"

namespace kippfeld::platform {
namespace {

struct Ended {
  int exitCode;
};

struct WaitCall {
  std::int64_t milliseconds;
  bool untilInput;
  bool woken;
};

// A page in virtual time. Scripted input arrives at its time, and only
// while the program waits, as the browser runs handlers only then.
class ScriptedPage : public WebHost {
 public:
  struct Input {
    std::uint64_t atMs;
    std::vector<InputRecord> records;
  };

  void ShowRow(int y, const Cell* cells, int width) override {
    shownRows.push_back(y);
    std::string text;
    for (int x = 0; x < width; ++x) text += static_cast<char>(cells[x].character);
    rows[y] = text;
  }
  void ShowCursor(int x, int y) override { cursors.push_back({x, y}); }
  TimeOfDay LocalTime() override {
    std::uint64_t ms = 9 * 3'600'000 + now;
    return {static_cast<int>(ms / 3'600'000), static_cast<int>(ms / 60'000 % 60),
            static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000)};
  }
  bool Wait(std::int64_t milliseconds, bool untilInput) override {
    const std::uint64_t limit =
        milliseconds == kNoLimit ? UINT64_MAX : now + static_cast<std::uint64_t>(milliseconds);
    if (untilInput && !script.empty() && script.front().atMs <= limit) {
      // The first input due ends the wait.
      now = std::max(now, script.front().atMs);
      Deliver();
      waits.push_back({milliseconds, true, true});
      return true;
    }
    // A pause: what comes meanwhile is queued.
    while (!untilInput && !script.empty() && script.front().atMs <= limit) Deliver();
    waits.push_back({milliseconds, untilInput, false});
    if (milliseconds == kNoLimit) throw std::runtime_error("waiting for input that never comes");
    now = limit;
    return false;
  }
  [[noreturn]] void End(int exitCode) override { throw Ended{exitCode}; }

  void Key(std::uint64_t atMs, std::string_view code, std::string_view key) {
    script.push_back({atMs, {*KeyDownRecord({code, key, 0})}});
  }
  void Click(std::uint64_t atMs, int x, int y, int button, bool twice) {
    std::vector<InputRecord> records;
    auto add = [&](const std::vector<InputRecord>& more) {
      records.insert(records.end(), more.begin(), more.end());
    };
    add(mouse.On({PointerAction::kDown, x, y, button, static_cast<double>(atMs)}));
    add(mouse.On({PointerAction::kUp, x, y, button, static_cast<double>(atMs) + 60}));
    if (twice) {
      add(mouse.On({PointerAction::kDown, x, y, button, static_cast<double>(atMs) + 150}));
      add(mouse.On({PointerAction::kUp, x, y, button, static_cast<double>(atMs) + 210}));
    }
    script.push_back({atMs, records});
  }

  void Deliver() {
    for (const InputRecord& record : script.front().records) platform->Push(record);
    script.pop_front();
  }

  WebPlatform* platform = nullptr;
  std::uint64_t now = 0;
  std::deque<Input> script;
  std::vector<WaitCall> waits;
  std::vector<int> shownRows;
  std::vector<std::pair<int, int>> cursors;
  std::string rows[WebPlatform::kHeight];
  MouseRecords mouse;
};

class WebPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override { page.platform = &platform; }

  // Plays until the program ends; its exit code.
  int Play() {
    try {
      console::StartUp(platform, [](const console::StartParameters& start) {
        return game::GameMain(start, {});
      });
    } catch (const Ended& end) {
      return end.exitCode;
    }
    return -1;
  }

  ScriptedPage page;
  WebPlatform platform{page};
};

TEST_F(WebPlatformTest, OnlyRowsThatChangedReachThePage) {
  platform.Present();
  EXPECT_EQ(page.shownRows.size(), 25u);
  page.shownRows.clear();
  Cell cells[3] = {{'a', 7}, {'b', 7}, {'c', 3}};
  platform.WriteCells(10, 4, cells, 3);
  platform.FillAttribute(0, 20, 0x1F, 1);
  platform.Present();
  EXPECT_EQ(page.shownRows, (std::vector<int>{4, 20}));
  EXPECT_EQ(page.rows[4].substr(10, 3), "abc");
  // The same cells written again change nothing the page shows.
  page.shownRows.clear();
  platform.WriteCells(10, 4, cells, 3);
  platform.Present();
  EXPECT_TRUE(page.shownRows.empty());
}

TEST_F(WebPlatformTest, TheCursorReachesThePageWhenItMoved) {
  platform.Present();
  EXPECT_EQ(page.cursors, (std::vector<std::pair<int, int>>{{0, 0}}));
  platform.SetCursorPosition(8, 5);
  platform.SetCursorPosition(18, 5);
  platform.Present();
  platform.Present();
  // Back where it was shown: nothing to tell; outside the screen: refused.
  platform.SetCursorPosition(3, 3);
  platform.SetCursorPosition(18, 5);
  platform.SetCursorPosition(80, 5);
  platform.Present();
  EXPECT_EQ(page.cursors, (std::vector<std::pair<int, int>>{{0, 0}, {18, 5}}));
}

TEST_F(WebPlatformTest, ThePageIsUpToDateBeforeEveryWait) {
  Cell cell{'x', 7};
  platform.WriteCells(0, 0, &cell, 1);
  platform.Sleep(2000);
  EXPECT_EQ(page.rows[0][0], 'x');
  platform.WriteCells(0, 1, &cell, 1);
  platform.SleepUntilInput(100);
  EXPECT_EQ(page.rows[1][0], 'x');
  ASSERT_EQ(page.waits.size(), 2u);
  EXPECT_FALSE(page.waits[0].untilInput);
  EXPECT_EQ(page.waits[0].milliseconds, 2000);
}

TEST_F(WebPlatformTest, APollingLoopWaitsForInputWithoutATimer) {
  InputRecord record;
  // The first wait is timed; the next, after only a look at the empty
  // queue, lasts until input comes.
  page.Key(5000, "Enter", "Enter");
  EXPECT_FALSE(platform.SleepUntilInput(100));
  EXPECT_FALSE(platform.PeekInput(record));
  EXPECT_TRUE(platform.SleepUntilInput(100));
  ASSERT_EQ(page.waits.size(), 2u);
  EXPECT_EQ(page.waits[0].milliseconds, 100);
  EXPECT_EQ(page.waits[1].milliseconds, WebHost::kNoLimit);
  EXPECT_EQ(page.now, 5000u);
}

TEST_F(WebPlatformTest, AnyOtherRequestBetweenWaitsKeepsTheWaitTimed) {
  page.Key(5000, "Enter", "Enter");
  EXPECT_FALSE(platform.SleepUntilInput(100));
  platform.LocalTime();
  EXPECT_FALSE(platform.SleepUntilInput(100));
  Cell cell{'x', 7};
  platform.WriteCells(0, 0, &cell, 1);
  EXPECT_FALSE(platform.SleepUntilInput(100));
  for (const WaitCall& wait : page.waits) EXPECT_EQ(wait.milliseconds, 100);
}

TEST_F(WebPlatformTest, QueuedInputEndsAWaitBeforeItBegins) {
  page.Key(0, "KeyP", "p");
  page.Wait(0, false);
  EXPECT_TRUE(platform.SleepUntilInput(100));
  EXPECT_EQ(page.waits.size(), 1u);  // only the one above
}

TEST_F(WebPlatformTest, AFullQueueRefusesRatherThanGrows) {
  InputRecord record = *KeyDownRecord({"KeyX", "x", 0});
  for (std::size_t i = 0; i < WebPlatform::kMaxQueued; ++i) ASSERT_TRUE(platform.Push(record));
  EXPECT_FALSE(platform.Push(record));
  EXPECT_EQ(platform.Queued(), WebPlatform::kMaxQueued);
}

TEST_F(WebPlatformTest, AShortGameFromTheIntroductionToTheResults) {
  page.Key(1000, "Enter", "Enter");      // leaves the introduction
  page.Click(2000, 18, 7, 0, false);     // selects cell 5 (row 8, column 19)
  page.Click(3000, 18, 7, 0, true);      // and applies its move
  page.Key(4000, "KeyP", "P");           // starts the test
  page.Key(5000, "ArrowUp", "ArrowUp");  // moves the cursor
  page.Key(6000, "Enter", "Enter");      // a move in task 1
  page.Click(7000, 18, 7, 2, true);      // a right double click ends the test
  page.Key(9000, "KeyX", "x");           // the key after the table
  EXPECT_EQ(Play(), 0);
  EXPECT_TRUE(page.script.empty());
  EXPECT_EQ(page.rows[1].substr(0, 9),
            "    \x9A"
            "bung");
  EXPECT_EQ(page.rows[4].substr(0, 18), " 1 . Aufgabe alles");
  EXPECT_EQ(page.rows[17].substr(0, 11), "  gesammt :");
  EXPECT_EQ(page.rows[17].substr(48, 3), " 1 ");
  // A wait for input that ran out is never followed by another timed one:
  // the page then sleeps until the next input, with no timer running. The
  // first wait is the start's single look for early input, after which the
  // game draws the introduction.
  bool lastTimedOut = false;
  int untimed = 0;
  ASSERT_FALSE(page.waits.empty());
  for (std::size_t i = 1; i < page.waits.size(); ++i) {
    const WaitCall& wait = page.waits[i];
    if (!wait.untilInput) {
      lastTimedOut = false;
      continue;
    }
    if (lastTimedOut) {
      EXPECT_EQ(wait.milliseconds, WebHost::kNoLimit);
    }
    if (wait.milliseconds == WebHost::kNoLimit) ++untimed;
    lastTimedOut = !wait.woken;
  }
  EXPECT_GE(untimed, 6);
}

}  // namespace
}  // namespace kippfeld::platform
