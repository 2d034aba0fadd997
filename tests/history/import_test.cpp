// Adding another history file's records to the kept ones: each test once,
// bad lines named as the report names them, nothing else changed.
#include "history/import.h"

#include <gtest/gtest.h>

#include <string>

#include "game/history.h"

namespace kippfeld::history {
namespace {

std::string Record(const std::string& started, int seconds) {
  game::TestRecord record;
  record.started = started;
  record.tasks = 1;
  record.time = static_cast<float>(seconds);
  record.moves = 3;
  record.taskTime[1] = seconds;
  record.taskMoves[1] = 3;
  return game::HistoryLine(record);
}

const std::string kMonday = Record("2025-03-10T09:00:00+01:00", 40);
const std::string kTuesday = Record("2025-03-11T09:00:00+01:00", 35);
const std::string kFriday = Record("2025-03-14T18:30:00+01:00", 30);

TEST(HistoryImport, AddsOnlyTheRecordsNotKeptYetInTheFilesOrder) {
  std::string kept = game::HistoryHeader() + kMonday + kTuesday;
  std::string other = game::HistoryHeader() + kFriday + kTuesday + kMonday;
  HistoryImport import = PlanHistoryImport(kept, "history.tsv", other);
  EXPECT_EQ(import.records, kFriday);
  EXPECT_EQ(import.added, 1);
  EXPECT_EQ(import.alreadyKept, 2);
  EXPECT_TRUE(import.errors.empty());
  EXPECT_EQ(ImportSummary(import, "history.tsv"),
            "history.tsv: 1 test added, 2 were already kept.");
}

TEST(HistoryImport, ARecordTwiceInTheOtherFileIsAddedOnce) {
  HistoryImport import = PlanHistoryImport("", "h.tsv", kFriday + kFriday + kMonday);
  EXPECT_EQ(import.records, kFriday + kMonday);
  EXPECT_EQ(import.alreadyKept, 1);
}

TEST(HistoryImport, BadLinesAreNamedAsTheReportNamesThemAndSkipped) {
  std::string other = kFriday + "not a record\n" + kMonday.substr(0, 20) + "\n" + kTuesday;
  HistoryImport import = PlanHistoryImport(kMonday, "saved \x1b.tsv", other);
  EXPECT_EQ(import.records, kFriday + kTuesday);
  ASSERT_EQ(import.errors.size(), 2u);
  EXPECT_EQ(import.errors[0].rfind("kippfeld: saved \\x1B.tsv:2: skipped: ", 0), 0u)
      << import.errors[0];
  EXPECT_EQ(import.errors[1].rfind("kippfeld: saved \\x1B.tsv:3: skipped: ", 0), 0u)
      << import.errors[1];
  EXPECT_EQ(ImportSummary(import, "h.tsv"), "h.tsv: 2 tests added, 2 lines skipped.");
}

TEST(HistoryImport, EveryBadLineIsCountedWhereOnlyTheFirstAreNamed) {
  std::string other = kFriday;
  for (int i = 0; i < 25; ++i) other += "not a record\n";
  HistoryImport import = PlanHistoryImport("", "h.tsv", other);
  EXPECT_EQ(import.errors.size(), 21u);
  EXPECT_EQ(ImportSummary(import, "h.tsv"), "h.tsv: 1 test added, 25 lines skipped.");
}

TEST(HistoryImport, NothingToAddFromAnEmptyOrForeignFile) {
  for (const std::string& other : {std::string(), std::string("\xff\xfe"), game::HistoryHeader()}) {
    HistoryImport import = PlanHistoryImport(kMonday, "x.tsv", other);
    EXPECT_EQ(import.added, 0);
    EXPECT_TRUE(import.records.empty());
  }
}

}  // namespace
}  // namespace kippfeld::history
