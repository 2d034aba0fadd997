#include "console/clock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "console/numbers.h"
#include "console/state.h"
#include "platform/memory/memory_platform.h"

namespace kippfeld::console {
namespace {

class Clock : public ::testing::Test {
 protected:
  void SetUp() override { ResetConsole(platform); }
  platform::MemoryPlatform platform;
};

TEST_F(Clock, SecondsSinceMidnightKeepsTheMilliseconds) {
  struct Case {
    platform::TimeOfDay time;
    long double seconds;
  };
  for (const Case& c : std::vector<Case>{{{0, 0, 0, 0}, 0.0L},
                                         {{0, 0, 0, 1}, 1 / 1000.0L},
                                         {{12, 34, 56, 370}, 45296370 / 1000.0L},
                                         {{23, 59, 59, 999}, 86399999 / 1000.0L}}) {
    platform.SetStartTime(c.time);
    EXPECT_EQ(SecondsSinceMidnight(), c.seconds) << c.time.hour << ":" << c.time.minute << ":"
                                                 << c.time.second << "." << c.time.milliseconds;
  }
}

// The reading is an extended value, not rounded to single precision: the
// game's tenths come out of it exactly as the clock shows them.
TEST_F(Clock, ReadingFlooredToTenths) {
  platform.SetStartTime({23, 59, 59, 999});
  long double now = SecondsSinceMidnight();
  EXPECT_EQ(FormatNumber(now, 15), " 86399.999 ");
  EXPECT_EQ(FormatNumber(static_cast<float>(Floor(10 * now) / 10), 7), " 86399.9 ");
}

TEST_F(Clock, FallsBackToZeroAtMidnight) {
  platform.SetStartTime({23, 59, 59, 999});
  EXPECT_EQ(SecondsSinceMidnight(), 86399999 / 1000.0L);
  Pause(1);
  EXPECT_EQ(SecondsSinceMidnight(), 0.0L);
  Pause(1500);
  EXPECT_EQ(SecondsSinceMidnight(), 1.5L);
}

TEST_F(Clock, PauseSleepsForTheGivenTime) {
  platform.SetStartTime({10, 0, 0, 0});
  Pause(100);
  Pause(2000);
  Pause(0);
  EXPECT_EQ(platform.Now(), 2100u);
  EXPECT_EQ(platform.Sleeps(), (std::vector<std::uint32_t>{100, 2000, 0}));
  EXPECT_EQ(SecondsSinceMidnight(), 36002.1L);
}

TEST_F(Clock, NegativePauseDoesNotSleepForAges) {
  Pause(-1);
  EXPECT_EQ(platform.Now(), 0u);
}

}  // namespace
}  // namespace kippfeld::console
