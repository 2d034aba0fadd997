#include "console/errors.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "platform/memory/memory_platform.h"

namespace kippfeld::console {
namespace {

class ErrorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetConsole(console);
    handlerRuns = 0;
  }
  static void CountingHandler() { ++handlerRuns; }

  platform::MemoryPlatform console;
  static inline int handlerRuns = 0;
};

TEST_F(ErrorsTest, NumbersOutside1To255Become5) {
  struct Case {
    int raised;
    int kept;
  };
  for (Case c : {Case{1, 1}, Case{7, 7}, Case{255, 255}, Case{0, 5}, Case{256, 5}, Case{-1, 5},
                 Case{-249, 5}, Case{INT_MAX, 5}}) {
    SCOPED_TRACE(c.raised);
    RaiseError(c.raised);
    EXPECT_EQ(ErrorNumber(), c.kept);
    EXPECT_TRUE(Console().error.pending);
  }
}

TEST_F(ErrorsTest, CheckErrorWithoutHandlerDropsTheErrorAndKeepsTheNumber) {
  RaiseError(7);
  EXPECT_NO_THROW(CheckError());
  EXPECT_FALSE(Console().error.pending);
  EXPECT_FALSE(Console().error.inHandler);
  EXPECT_EQ(ErrorNumber(), 7);
  EXPECT_NO_THROW(CheckError());  // dropped: nothing left to act on
}

TEST_F(ErrorsTest, CheckErrorWithoutPendingErrorDoesNothing) {
  SetErrorHandler(&CountingHandler);
  EXPECT_NO_THROW(CheckError());
  EXPECT_FALSE(Console().error.inHandler);
}

TEST_F(ErrorsTest, SetErrorHandlerClearsAPendingError) {
  RaiseError(9);
  SetErrorHandler(&CountingHandler);
  EXPECT_FALSE(Console().error.pending);
  EXPECT_NO_THROW(CheckError());
  EXPECT_EQ(ErrorNumber(), 9);
}

int stepsRun = 0;
void BodyFailingAtStepTwo() {
  ++stepsRun;
  RaiseError(7);
  CheckError();
  ++stepsRun;
}

TEST_F(ErrorsTest, PendingErrorWithHandlerAbandonsTheRestOfTheBody) {
  stepsRun = 0;
  SetErrorHandler(&CountingHandler);
  RunWithErrorHandler(&BodyFailingAtStepTwo);
  EXPECT_EQ(stepsRun, 1);
  EXPECT_EQ(handlerRuns, 1);
  EXPECT_TRUE(Console().error.inHandler);
  EXPECT_FALSE(Console().error.pending);
  EXPECT_EQ(ErrorNumber(), 7);
}

TEST_F(ErrorsTest, CheckErrorWithHandlerThrowsTheTransfer) {
  SetErrorHandler(&CountingHandler);
  RaiseError(7);
  EXPECT_THROW(CheckError(), ErrorTransfer);
  EXPECT_EQ(handlerRuns, 0);  // the catcher runs it, not CheckError
}

TEST_F(ErrorsTest, ArrayBounds) {
  struct Case {
    long long lower;
    long long upper;
    std::size_t elementSize;
    bool valid;
  };
  const std::vector<Case> cases = {
      {1, 12, 4, true},
      {0, 0, 4, true},
      {5, 4, 4, false},  // upper below lower
      {-10, -20, 1, false},
      {0, 0xFFFFFFFELL, 1, true},        // 2^32 - 1 bytes: the largest that fits
      {0, 0xFFFFFFFFLL, 1, false},       // 2^32 bytes
      {0, 0x3FFFFFFELL, 4, true},        // 4 * (2^30 - 1) bytes
      {0, 0x3FFFFFFFLL, 4, false},       // 4 * 2^30 bytes
      {LLONG_MIN, LLONG_MAX, 1, false},  // a span that would overflow
      {-0x7FFFFFFFLL, 0x7FFFFFFFLL, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.lower << ".." << c.upper << " x" << c.elementSize);
    ResetConsole(console);
    EXPECT_EQ(CheckArrayBounds(c.lower, c.upper, c.elementSize), c.valid);
    EXPECT_EQ(ErrorNumber(), c.valid ? 0 : 9);
    EXPECT_EQ(Console().error.pending, !c.valid);
  }
}

}  // namespace
}  // namespace kippfeld::console
