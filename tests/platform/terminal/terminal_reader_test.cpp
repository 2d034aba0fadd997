// The backend's reading of the terminal under back-pressure, on a pipe and a
// virtual clock: however long the queue stays full and however late the
// rest of a sequence is read, it keeps its meaning.
#include "platform/terminal/terminal_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace kippfeld::platform {
namespace {

class TerminalReaderTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(pipe(pipe_), 0); }
  void TearDown() override {
    close(pipe_[0]);
    close(pipe_[1]);
  }
  void Write(const std::string& bytes) {
    ASSERT_EQ(write(pipe_[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // The key-down records taken out, as (character, scan code) pairs.
  std::vector<std::pair<int, int>> TakeKeys(TerminalReader& reader) {
    std::vector<std::pair<int, int>> keys;
    InputRecord record;
    while (reader.Decoder().Pop(record))
      if (record.keyDown) keys.emplace_back(record.character, record.virtualScanCode);
    return keys;
  }

  int pipe_[2] = {-1, -1};
  std::uint64_t now_ = 1000;
};

TEST_F(TerminalReaderTest, SequenceCutAtAFullQueueKeepsItsMeaningWhateverTheClock) {
  for (const std::string head : {"\x1b", "\x1b["}) {
    SCOPED_TRACE("cut after " + std::to_string(head.size()) + " bytes");
    TerminalReader reader(pipe_[0], [this] { return now_; });
    // One read fills the queue (two records a key) and ends inside an
    // arrow's sequence; its rest stays unread in the pipe.
    const std::size_t keys = TerminalReader::kReadSize - head.size();
    ASSERT_GE(2 * keys, TerminalReader::kMaxQueuedRecords);
    Write(std::string(keys, 'a') + head + std::string("\x1b[A").substr(head.size()));
    ASSERT_TRUE(reader.Pump());
    ASSERT_TRUE(reader.QueueFull());

    // The queue stays full far past the lone-Esc timeout.
    now_ += 10 * InputDecoder::kEscapeTimeoutMs;
    ASSERT_TRUE(reader.Pump());
    reader.Settle();
    std::vector<std::pair<int, int>> taken = TakeKeys(reader);
    ASSERT_EQ(taken.size(), keys);
    EXPECT_EQ(taken.back(), (std::pair<int, int>{'a', 30}));

    now_ += 10 * InputDecoder::kEscapeTimeoutMs;
    ASSERT_TRUE(reader.Pump());
    reader.Settle();
    EXPECT_EQ(TakeKeys(reader), (std::vector<std::pair<int, int>>{{0, 72}})) << "not Up";
    EXPECT_EQ(reader.Decoder().PendingBytes(), 0u);
  }
}

TEST_F(TerminalReaderTest, LoneEscIsSettledOnlyOnceTheTerminalIsSeenQuietAfterItsTimeout) {
  TerminalReader reader(pipe_[0], [this] { return now_; });
  Write("\x1b");
  ASSERT_TRUE(reader.Pump());
  reader.Settle();
  EXPECT_TRUE(TakeKeys(reader).empty());
  ASSERT_TRUE(reader.Deadline());

  // The program was busy past the timeout without looking: the rest of a
  // sequence that came meanwhile still belongs to it.
  now_ += 100;
  reader.Settle();
  EXPECT_TRUE(TakeKeys(reader).empty());
  Write("[B");
  ASSERT_TRUE(reader.Pump());
  reader.Settle();
  EXPECT_EQ(TakeKeys(reader), (std::vector<std::pair<int, int>>{{0, 80}}));

  // A look past the timeout that finds nothing makes an Esc alone.
  Write("\x1b");
  ASSERT_TRUE(reader.Pump());
  now_ = *reader.Deadline();
  ASSERT_TRUE(reader.Pump());
  reader.Settle();
  EXPECT_EQ(TakeKeys(reader), (std::vector<std::pair<int, int>>{{27, 1}}));
  Write("[B");
  ASSERT_TRUE(reader.Pump());
  EXPECT_EQ(TakeKeys(reader), (std::vector<std::pair<int, int>>{{'[', 26}, {'B', 48}}));
}

TEST_F(TerminalReaderTest, EndOfFileIsAClosedTerminal) {
  TerminalReader reader(pipe_[0], [this] { return now_; });
  Write("x");
  close(pipe_[1]);
  pipe_[1] = open("/dev/null", O_WRONLY);
  EXPECT_FALSE(reader.Pump());
  EXPECT_EQ(TakeKeys(reader), (std::vector<std::pair<int, int>>{{'x', 45}}));
}

}  // namespace
}  // namespace kippfeld::platform
