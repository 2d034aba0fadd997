#include "history/after_game.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/history.h"
#include "platform/cp850.h"
#include "report_text_testing.h"

namespace kippfeld::history {
namespace {

using game::kTaskCount;
using game::TestRecord;
using test::Played;

class TextSource : public HistorySource {
 public:
  std::string Place() override { return "/h/history.tsv"; }
  // One byte at a time, the hardest way to be handed a file.
  platform::HistoryRead Read(const std::function<bool(std::string_view)>& take,
                             std::string&) override {
    for (std::size_t i = 0; i < file.size(); ++i) {
      if (!take(std::string_view(file).substr(i, 1))) break;
    }
    return platform::HistoryRead::kRead;
  }
  std::string file;
};

TEST(ResultsTableText, CodePage850InTheLocalesCharacters) {
  const std::vector<std::string> rows = {"",
                                         "    \x9A"
                                         "bung   Z\xFC\x81ge",
                                         "\x01\xC4"};
  EXPECT_EQ(ResultsTableText(rows, true),
            "\n    \xC3\x9C"
            "bung   Z\xC2\xB3\xC3\xBC"
            "ge\n\xE2\x98\xBA\xE2\x94\x80\n");
  EXPECT_EQ(ResultsTableText(rows, false),
            "\n    Ubung   Z3uge\n" + std::string(1, platform::Cp850AsciiStandIn(1)) + "-\n");
  for (int byte = 0; byte < 256; ++byte) {
    std::string ascii = ResultsTableText({std::string(1, static_cast<char>(byte))}, false);
    ASSERT_EQ(ascii.size(), 2u);
    EXPECT_TRUE(ascii[0] >= 0x20 && ascii[0] < 0x7F) << byte;
  }
}

TEST(KeptLine, NamesTheBestsTheTestBeat) {
  struct Case {
    std::vector<TestRecord> before;
    TestRecord kept;
    std::string line;
  };
  const TestRecord complete = Played(kTaskCount, 5, 3, "2025-03-14T09:00:00+01:00");
  const std::vector<Case> cases = {
      // A first test beats nothing.
      {{}, complete, "Test kept in /h/history.tsv.\n"},
      // Equal is no new best.
      {{complete}, complete, "Test kept in /h/history.tsv.\n"},
      {{complete},
       Played(kTaskCount, 4, 3, "b"),
       "Test kept in /h/history.tsv. New personal bests: total time 48.0 s; time of tasks 1, 2, 3, "
       "4, 5, 6, 7, 8, 9, 10, 11 and 12.\n"},
      // An unfinished test sets no total, but its completed tasks count.
      {{complete},
       Played(1, 5, 2, "c"),
       "Test kept in /h/history.tsv. New personal best: moves of task 1.\n"},
      {{Played(2, 5, 3, "d")},
       Played(3, 4, 3, "e"),
       "Test kept in /h/history.tsv. New personal bests: time of tasks 1 and 2.\n"},
      // The first complete test after unfinished ones beats no total.
      {{Played(11, 9, 9, "f")},
       complete,
       "Test kept in /h/history.tsv. New personal bests: time of tasks 1, 2, 3, 4, 5, 6, 7, 8, 9, "
       "10 and 11; moves of tasks 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 and 11.\n"},
  };
  for (const Case& c : cases) {
    PersonalBests bests;
    for (const TestRecord& record : c.before) AddToBests(bests, record);
    EXPECT_EQ(KeptLine("/h/history.tsv", c.kept, bests, false), c.line);
  }
  EXPECT_EQ(KeptLine("/h/\x1b[0m.tsv", complete, {}, false), "Test kept in /h/\\x1B[0m.tsv.\n");
}

TEST(BestsBefore, EveryRecordButTheKeptOneAndNoBrokenLine) {
  TextSource source;
  const std::string kept = game::HistoryLine(Played(kTaskCount, 4, 3, "2025-03-14T09:00:00+01:00"));
  const std::string slower =
      game::HistoryLine(Played(kTaskCount, 6, 2, "2025-03-13T09:00:00+01:00"));
  source.file = game::HistoryHeader() + slower + "broken\tline\n" + std::string(10000, 'x') + "\n" +
                kept + kept.substr(0, 20);
  PersonalBests bests = BestsBefore(source, kept);
  EXPECT_TRUE(bests.anyComplete);
  EXPECT_EQ(bests.total, 72.0f);
  EXPECT_EQ(bests.taskMoves[1], 2);
  // The same record twice: the second is an earlier test that matched it.
  source.file = game::HistoryHeader() + kept + kept;
  EXPECT_EQ(BestsBefore(source, kept).total, 48.0f);
  source.file = kept;
  EXPECT_FALSE(BestsBefore(source, kept).anyComplete);
}

TEST(AfterGameText, TableThenTheKeptLineAndNothingWithoutATable) {
  TextSource source;
  game::GameReport report;
  report.keptRecord = game::HistoryLine(Played(1, 4, 3, "2025-03-14T09:00:00+01:00"));
  source.file = game::HistoryHeader() + report.keptRecord;
  EXPECT_EQ(AfterGameText(report, &source, true), "");
  report.table = {"", " table"};
  EXPECT_EQ(AfterGameText(report, &source, true), "\n table\nTest kept in /h/history.tsv.\n");
  // No history kept, or the record could not be kept: only the table.
  EXPECT_EQ(AfterGameText(report, nullptr, true), "\n table\n");
  report.keptRecord.clear();
  EXPECT_EQ(AfterGameText(report, &source, true), "\n table\n");
}

}  // namespace
}  // namespace kippfeld::history
