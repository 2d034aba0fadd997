// Every message path of the program's own words in German and in English:
// the words, the number forms (1,1 s and 0:01,1 in German), the columns of
// the report's tables, and text an ASCII-only output can take.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../history/report_text_testing.h"
#include "app/command_line.h"
#include "game/history.h"
#include "history/after_game.h"
#include "history/import.h"
#include "history/report.h"
#include "words/words.h"

namespace kippfeld::app {
namespace {

using history::AddToBests;
using history::HistoryImport;
using history::HistoryReport;
using history::ImportSummary;
using history::KeptLine;
using history::PersonalBests;
using history::PlanHistoryImport;
using history::ReportHistory;

using game::kTaskCount;
using game::TestRecord;
using test::Columns;
using test::Lines;
using test::Played;
using words::Language;

class InLanguage {
 public:
  explicit InLanguage(Language language) { words::UseLanguage(language); }
  ~InLanguage() { words::UseLanguage(Language::English); }
};

std::string Content(const std::vector<TestRecord>& records) {
  std::string content = game::HistoryHeader();
  for (const TestRecord& record : records) content += game::HistoryLine(record);
  return content;
}

void ExpectFitsAndIsPlain(const std::string& text, bool utf8) {
  for (const std::string& line : Lines(text)) {
    EXPECT_LE(Columns(line), 79u) << line;
    for (unsigned char byte : line) {
      ASSERT_TRUE(byte >= 0x20 && byte != 0x7F) << line;
      if (!utf8) {
        ASSERT_LT(byte, 0x80) << line;
      }
    }
  }
}

TEST(Languages, CommandLineMessages) {
  struct Case {
    std::vector<std::string> arguments;
    const char* english;
    const char* german;
  };
  const Case cases[] = {
      {{"play"}, "unexpected argument 'play'", "unerwartetes Argument 'play'"},
      {{"-x"}, "unknown option '-x'", "unbekannte Option '-x'"},
      {{"--version=1"},
       "option '--version' takes no value",
       "Option '--version' nimmt keinen Wert"},
      {{"--lang"},
       "option '--lang' needs a value: de or en",
       "Option '--lang' braucht einen Wert: de oder en"},
      {{"--lang", "fr"},
       "unknown language 'fr' for '--lang': de or en",
       "unbekannte Sprache 'fr' für '--lang': de oder en"},
  };
  for (const Case& c : cases) {
    CommandLine line = ParseCommandLine(c.arguments);
    EXPECT_EQ(UsageErrorLine(line),
              "kippfeld: " + std::string(c.english) + "; try 'kippfeld --help'\n");
    InLanguage german(Language::German);
    EXPECT_EQ(UsageErrorLine(line),
              "kippfeld: " + std::string(c.german) + "; Hilfe gibt 'kippfeld --help'\n");
  }
}

TEST(Languages, HelpAndVersion) {
  for (Language language : {Language::English, Language::German}) {
    InLanguage in(language);
    std::string usage = UsageText();
    ExpectFitsAndIsPlain(usage, true);
    ExpectFitsAndIsPlain(words::ForOutput(usage, false), false);
    for (const char* option : {"-h, --help", "-V, --version", "--history", "--no-history",
                               "--lang de|en", "LANGUAGE", "man 6 kippfeld"}) {
      EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
    EXPECT_EQ(VersionText(), "kippfeld " + VersionText().substr(9));
  }
  InLanguage german(Language::German);
  EXPECT_TRUE(UsageText().starts_with("Aufruf: kippfeld [OPTION]...\n"));
  EXPECT_NE(words::ForOutput(UsageText(), false).find("zwoelf Zielbilder"), std::string::npos);
}

TEST(Languages, LineAfterTheGameWritesNumbersInTheLanguagesForm) {
  PersonalBests bests;
  AddToBests(bests, Played(kTaskCount, 5, 3, "2025-03-14T09:00:00+01:00"));
  TestRecord kept = Played(kTaskCount, 0.1L, 3, "b");
  kept.taskMoves[3] = 2;
  EXPECT_EQ(KeptLine("/h/h.tsv", kept, bests, true),
            "Test kept in /h/h.tsv. New personal bests: total time 1.2 s; time of tasks 1, 2, 3, "
            "4, 5, 6, 7, 8, 9, 10, 11 and 12; moves of task 3.\n");
  InLanguage german(Language::German);
  EXPECT_EQ(KeptLine("/h/h.tsv", kept, bests, true),
            "Test in /h/h.tsv festgehalten. Neue persönliche Bestleistungen: Gesamtzeit 1,2 s; "
            "Zeit der Aufgaben 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11 und 12; Züge der Aufgabe 3.\n");
  EXPECT_EQ(KeptLine("", Played(1, 5, 3, "c"), {}, false), "Test festgehalten.\n");
  EXPECT_EQ(KeptLine("/h/h.tsv", Played(1, 4, 1, "c"), bests, false),
            "Test in /h/h.tsv festgehalten. Neue persoenliche Bestleistungen: Zeit der Aufgabe 1; "
            "Zuege der Aufgabe 1.\n");
}

TEST(Languages, ReportOfASmallHistory) {
  std::string content = Content({Played(kTaskCount, 1.1L, 5, "2025-03-14T09:26:53+01:00"),
                                 Played(3, 61.5L, 7, "2025-03-15T10:00:00+01:00")});
  InLanguage german(Language::German);
  for (bool utf8 : {true, false}) {
    HistoryReport report = ReportHistory("/h/h.tsv", content, {utf8});
    ExpectFitsAndIsPlain(report.out, utf8);
    std::vector<std::string> lines = Lines(report.out);
    EXPECT_EQ(lines[0], "Festgehaltene Tests in /h/h.tsv");
    EXPECT_EQ(lines[2], "Tests");
    // The titles stand over their columns, however many bytes their
    // letters take.
    EXPECT_EQ(lines[4], utf8 ? "   #  Begonnen          Aufgaben    Zeit  Züge  Mehr"
                             : "   #  Begonnen          Aufgaben    Zeit  Zuege  Mehr");
    EXPECT_EQ(lines[5], utf8 ? "   1  2025-03-14 09:26     12/12  0:13,2    60    -2"
                             : "   1  2025-03-14 09:26     12/12  0:13,2     60    -2");
    EXPECT_EQ(lines[6], utf8 ? "   2  2025-03-15 10:00      3/12  3:04,5    21"
                             : "   2  2025-03-15 10:00      3/12  3:04,5     21");
    // Task times with their comma.
    EXPECT_EQ(lines[10],
              utf8
                  ? "  alles 1                        1,1 s 2025-03-14     5 2025-03-14        5"
                  : "  alles 1                        1,1 s 2025-03-14      5 2025-03-14        5");
    EXPECT_EQ(lines[23],
              utf8 ? "Bester vollständiger Test: #1 am 2025-03-14 09:26, 0:13,2 mit 60 Zügen"
                   : "Bester vollstaendiger Test: #1 am 2025-03-14 09:26, 0:13,2 mit 60 Zuegen");
    EXPECT_EQ(lines[26], utf8 ? "  (ab 5 vollständigen Tests; bisher 1)"
                              : "  (ab 5 vollstaendigen Tests; bisher 1)");
    EXPECT_EQ(lines[28], utf8 ? "Gesamtzeit der vollständigen Tests, die ältesten links"
                              : "Gesamtzeit der vollstaendigen Tests, die aeltesten links");
    EXPECT_EQ(lines[29], utf8 ? "     0:13,2 |\u2588\u2588" : "     0:13,2 |##");
    EXPECT_EQ(lines[37], "     0:00,0 +--");
  }
}

TEST(Languages, ReportOfALargeHistoryAndItsSkippedLines) {
  std::vector<TestRecord> records;
  for (int i = 0; i < 400; ++i) {
    records.push_back(Played(kTaskCount, 2 + i % 7, 4, "2025-03-14T09:26:53+01:00"));
  }
  std::string content = Content(records) + "\n" + std::string(30, '\t') + "\nbad\n";
  for (int i = 0; i < 30; ++i) content += "x\n";
  HistoryReport english = ReportHistory("/h/h.tsv", content, {true});
  InLanguage german(Language::German);
  HistoryReport report = ReportHistory("/h/h.tsv", content, {true});
  ExpectFitsAndIsPlain(report.out, true);
  std::vector<std::string> lines = Lines(report.out);
  ASSERT_EQ(lines.size(), Lines(english.out).size());
  EXPECT_EQ(lines[2], "Tests: die letzten 50 von 400 (350 frühere sind nicht aufgeführt)");
  EXPECT_EQ(lines[75], "  der letzten 5   1:12,0  0:48,0  #5");
  EXPECT_EQ(lines[79], "  (jeder Balken das Mittel aus 8 vollständigen Tests)");
  EXPECT_EQ(lines[80].substr(0, 13), "     1:04,5 |");
  ASSERT_EQ(report.errors.size(), 21u);
  EXPECT_EQ(report.errors[0], "kippfeld: /h/h.tsv:402: übersprungen: eine leere Zeile");
  EXPECT_EQ(report.errors[1], "kippfeld: /h/h.tsv:403: übersprungen: 31 Spalten statt 28");
  EXPECT_EQ(report.errors[2], "kippfeld: /h/h.tsv:404: übersprungen: 1 Spalte statt 28");
  EXPECT_EQ(report.errors[20],
            "kippfeld: /h/h.tsv: 13 weitere Zeilen übersprungen: 13 eine falsche Zahl von Spalten");
}

TEST(Languages, HistoryLinesSkippedForEachReason) {
  std::string good = game::HistoryLine(Played(1, 2, 3, "2025-03-14T09:26:53+01:00"));
  good.pop_back();
  auto with = [&](std::size_t column, const std::string& value) {
    std::vector<std::string> columns;
    std::size_t start = 0;
    for (std::size_t tab = good.find('\t');; tab = good.find('\t', start)) {
      columns.push_back(good.substr(start, tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    columns[column] = value;
    std::string line;
    for (const std::string& c : columns) line += (line.empty() ? "" : "\t") + c;
    return line;
  };
  struct Case {
    std::string line;
    const char* english;
    const char* german;
  };
  const Case cases[] = {
      {"a\xFF", "not UTF-8 (byte 0xFF at byte 2)", "kein UTF-8 (Byte 0xFF an Byte 2)"},
      {with(0, "gestern"),
       "started: \"gestern\" is not a date and time like 2025-03-14T09:26:53+01:00",
       "started: \"gestern\" ist kein Datum mit Uhrzeit wie 2025-03-14T09:26:53+01:00"},
      {with(1, "13"), "tasks: 13 is more than the 12 tasks there are (12)",
       "tasks: 13 ist mehr als die 12 Aufgaben, die es gibt (12)"},
      {with(4, "86400"), "t1_s: 86400 seconds is more than a task can take (86399.9)",
       "t1_s: 86400 Sekunden sind mehr, als eine Aufgabe dauern kann (86399,9)"},
      {with(4, "2.25"), "t1_s: 2.25 is not a whole number of tenths",
       "t1_s: 2.25 ist keine ganze Zahl von Zehnteln"},
      {with(2, "2.5"), "time_s: 2.5 is not the sum of the task times (2)",
       "time_s: 2.5 ist nicht die Summe der Zeiten der Aufgaben (2)"},
      {with(5, "-1"), "t1_moves: \"-1\" is negative", "t1_moves: \"-1\" ist negativ"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(game::HistoryLineFault(c.line), c.english);
    InLanguage german(Language::German);
    EXPECT_EQ(game::HistoryLineFault(c.line), c.german);
  }
}

// The report names the tasks as the game's screens in the words' language
// name them: the English screens' names for English words, the German
// screens' for German ones.
TEST(Languages, ReportNamesTheTasksInTheWordsLanguage) {
  std::string content = Content({Played(kTaskCount, 1.1L, 5, "2025-03-14T09:26:53+01:00")});
  struct Case {
    Language language;
    const char* first;
    const char* last;
  };
  for (const Case& c : {Case{Language::English, "  all 1 ", "  only top l./ top r./ btm r. 1 "},
                        Case{Language::German, "  alles 1 ", "  nur li.ob./ li.unt./ re.unt 0 "}}) {
    InLanguage language(c.language);
    std::vector<std::string> lines = Lines(ReportHistory("/h/h.tsv", content, {true}).out);
    ASSERT_GT(lines.size(), 20u);
    EXPECT_EQ(lines[9].rfind(c.first, 0), 0u) << lines[9];
    EXPECT_EQ(lines[20].rfind(c.last, 0), 0u) << lines[20];
  }
}

// Files move between players and builds: the line a test is kept as is the
// same in every language, its numbers always with a point.
TEST(Languages, TheHistoryFileIsTheSameInEveryLanguage) {
  TestRecord record = Played(kTaskCount, 1.1L, 5, "2025-03-14T09:26:53+01:00");
  const std::string english = game::HistoryLine(record);
  EXPECT_NE(english.find("\t1.1\t5\t"), std::string::npos) << english;
  InLanguage german(Language::German);
  EXPECT_EQ(game::HistoryLine(record), english);
  EXPECT_EQ(game::HistoryHeader().substr(0, 26), "started\ttasks\ttime_s\tmoves");
}

TEST(Languages, SummaryOfAddedHistories) {
  std::string one = game::HistoryLine(Played(1, 2, 3, "2025-03-14T09:26:53+01:00"));
  std::string two = game::HistoryLine(Played(1, 3, 3, "2025-03-15T09:26:53+01:00"));
  HistoryImport import = PlanHistoryImport(one, "b.tsv", one + two + "bad\n");
  EXPECT_EQ(ImportSummary(import, "b.tsv"),
            "b.tsv: 1 test added, 1 was already kept, 1 line skipped.");
  InLanguage german(Language::German);
  EXPECT_EQ(ImportSummary(import, "b.tsv"),
            "b.tsv: 1 Test hinzugefügt, 1 war schon festgehalten, 1 Zeile übersprungen.");
  import.added = 2;
  import.alreadyKept = 0;
  import.skipped = 3;
  EXPECT_EQ(ImportSummary(import, "b.tsv"), "b.tsv: 2 Tests hinzugefügt, 3 Zeilen übersprungen.");
}

}  // namespace
}  // namespace kippfeld::app
