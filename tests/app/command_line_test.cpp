#include "app/command_line.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace kippfeld::app {
namespace {

struct Case {
  std::vector<std::string> arguments;
  Action action;
  bool noHistory;
  std::string error;  // for kUsageError
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << "[";
  for (const std::string& argument : c.arguments) *out << " \"" << argument << "\"";
  *out << " ]";
}

class ParseCommandLineTest : public ::testing::TestWithParam<Case> {};

TEST_P(ParseCommandLineTest, GivesTheActionTheFlagAndTheError) {
  const Case& c = GetParam();
  CommandLine line = ParseCommandLine(c.arguments);
  EXPECT_EQ(line.action, c.action);
  EXPECT_EQ(line.noHistory, c.noHistory);
  EXPECT_EQ(MistakeText(line), c.error);
}

INSTANTIATE_TEST_SUITE_P(EachOptionAlone, ParseCommandLineTest,
                         ::testing::Values(Case{{}, Action::kPlay, false, ""},
                                           Case{{"--help"}, Action::kShowHelp, false, ""},
                                           Case{{"-h"}, Action::kShowHelp, false, ""},
                                           Case{{"--version"}, Action::kShowVersion, false, ""},
                                           Case{{"-V"}, Action::kShowVersion, false, ""},
                                           Case{{"--history"}, Action::kShowHistory, false, ""},
                                           Case{{"--no-history"}, Action::kPlay, true, ""},
                                           // Options end, and nothing follows: a game.
                                           Case{{"--"}, Action::kPlay, false, ""}));

INSTANTIATE_TEST_SUITE_P(
    Mistakes, ParseCommandLineTest,
    ::testing::Values(
        Case{{"--foo"}, Action::kUsageError, false, "unknown option '--foo'"},
        Case{{"-x"}, Action::kUsageError, false, "unknown option '-x'"},
        // Neither case nor prefixes nor bundles of short options are guessed at.
        Case{{"-v"}, Action::kUsageError, false, "unknown option '-v'"},
        Case{{"--hel"}, Action::kUsageError, false, "unknown option '--hel'"},
        Case{{"-hV"}, Action::kUsageError, false, "unknown option '-hV'"},
        Case{{"---help"}, Action::kUsageError, false, "unknown option '---help'"},
        Case{{"--version=2"}, Action::kUsageError, false, "option '--version' takes no value"},
        Case{{"--no-history="}, Action::kUsageError, false, "option '--no-history' takes no value"},
        Case{{"--colour=no"}, Action::kUsageError, false, "unknown option '--colour=no'"},
        Case{{"play"}, Action::kUsageError, false, "unexpected argument 'play'"},
        Case{{"-"}, Action::kUsageError, false, "unexpected argument '-'"},
        Case{{""}, Action::kUsageError, false, "unexpected argument ''"},
        // After "--" even an option's name is an argument.
        Case{{"--", "--help"}, Action::kUsageError, false, "unexpected argument '--help'"},
        Case{{"--", "--"}, Action::kUsageError, false, "unexpected argument '--'"},
        // The first mistake is the one named.
        Case{{"a", "--foo"}, Action::kUsageError, false, "unexpected argument 'a'"},
        Case{{"--foo", "a"}, Action::kUsageError, false, "unknown option '--foo'"},
        // A control character cannot break the message's one line.
        Case{{"a\nb\x1b"}, Action::kUsageError, false, "unexpected argument 'a\\x0Ab\\x1B'"},
        // Printable UTF-8 is the user's own text and passes unchanged.
        Case{{"\xC3\xBC"}, Action::kUsageError, false, "unexpected argument '\xC3\xBC'"},
        // A C1 control sequence introducer, raw and encoded, is spelled out.
        Case{{"\x9b"
              "31m"},
             Action::kUsageError,
             false,
             "unexpected argument '\\x9B31m'"},
        Case{{"\xC2\x9B"
              "31m"},
             Action::kUsageError,
             false,
             "unexpected argument '\\xC2\\x9B31m'"}));

INSTANTIATE_TEST_SUITE_P(
    Combinations, ParseCommandLineTest,
    ::testing::Values(
        // --help wins over everything, mistakes included, wherever it stands.
        Case{{"--version", "--help"}, Action::kShowHelp, false, ""},
        Case{{"--history", "-h"}, Action::kShowHelp, false, ""},
        Case{{"--foo", "--help"}, Action::kShowHelp, false, ""},
        Case{{"-h", "extra"}, Action::kShowHelp, false, ""},
        Case{{"--help", "--", "extra"}, Action::kShowHelp, false, ""},
        // A mistake wins over the other actions.
        Case{{"--version", "--foo"}, Action::kUsageError, false, "unknown option '--foo'"},
        Case{{"--history", "extra"}, Action::kUsageError, false, "unexpected argument 'extra'"},
        Case{{"--no-history", "--", "x"}, Action::kUsageError, true, "unexpected argument 'x'"},
        // --version wins over --history in either order.
        Case{{"--history", "--version"}, Action::kShowVersion, false, ""},
        Case{{"-V", "--history"}, Action::kShowVersion, false, ""},
        // Repeats count once.
        Case{{"--version", "-V", "--version"}, Action::kShowVersion, false, ""},
        Case{{"--no-history", "--no-history"}, Action::kPlay, true, ""},
        Case{{"--history", "--history"}, Action::kShowHistory, false, ""},
        // The flag goes with any action and on either side of "--".
        Case{{"--no-history", "--history"}, Action::kShowHistory, true, ""},
        Case{{"-V", "--no-history"}, Action::kShowVersion, true, ""},
        Case{{"--no-history", "--"}, Action::kPlay, true, ""}));

// --drill with and without its list, and every way to get it wrong.
TEST(DrillOptionTest, TakesAListOfTasksOrNoneAndRefusesTheRest) {
  struct DrillCase {
    std::vector<std::string> arguments;
    std::vector<int> tasks;
    std::string error;
  };
  const std::vector<DrillCase> cases = {
      {{"--drill"}, {}, ""},
      {{"--drill", "4,10"}, {4, 10}, ""},
      {{"--drill=4,10"}, {4, 10}, ""},
      {{"--drill", "3"}, {3}, ""},
      {{"--drill=12,1,12"}, {12, 1}, ""},
      {{"--drill", "--no-history"}, {}, ""},
      {{"--lang", "en", "--drill", "7"}, {7}, ""},
      // Only a number after --drill is its list.
      {{"--drill", "x"}, {}, "unexpected argument 'x'"},
      {{"--drill=0"},
       {},
       "'0' is no list of tasks for '--drill': numbers 1 to 12 parted by "
       "commas, as in 4,10"},
      {{"--drill", "13"},
       {},
       "'13' is no list of tasks for '--drill': numbers 1 to 12 parted by "
       "commas, as in 4,10"},
      {{"--drill=4,,10"},
       {},
       "'4,,10' is no list of tasks for '--drill': numbers 1 to 12 "
       "parted by commas, as in 4,10"},
      {{"--drill=4,"},
       {},
       "'4,' is no list of tasks for '--drill': numbers 1 to 12 parted by "
       "commas, as in 4,10"},
      {{"--drill="},
       {},
       "'' is no list of tasks for '--drill': numbers 1 to 12 parted by "
       "commas, as in 4,10"},
      {{"--drill", "4 10"},
       {},
       "'4 10' is no list of tasks for '--drill': numbers 1 to 12 "
       "parted by commas, as in 4,10"},
      {{"--drill", "007"},
       {},
       "'007' is no list of tasks for '--drill': numbers 1 to 12 parted "
       "by commas, as in 4,10"},
      {{"--drill", "--history"},
       {},
       "'--drill' plays and '--history' reports: give only one of "
       "them"},
      {{"--history", "--drill=3"},
       {3},
       "'--drill' plays and '--history' reports: give only one "
       "of them"},
  };
  for (const DrillCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    CommandLine line = ParseCommandLine(c.arguments);
    EXPECT_EQ(MistakeText(line), c.error);
    if (c.error.empty()) {
      EXPECT_EQ(line.action, Action::kPlay);
      EXPECT_TRUE(line.drill);
      EXPECT_EQ(line.drillTasks, c.tasks);
    } else {
      EXPECT_EQ(line.action, Action::kUsageError);
    }
  }
  // Help still wins.
  EXPECT_EQ(ParseCommandLine({"--drill", "--history", "--help"}).action, Action::kShowHelp);
  EXPECT_FALSE(ParseCommandLine({}).drill);
}

std::string Spelled(std::string_view bytes) {
  std::string spelled;
  for (char c : bytes) {
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(c));
    spelled += escape;
  }
  return spelled;
}

std::string Shown(const std::string& argument) {
  const std::string error = MistakeText(ParseCommandLine({argument}));
  const std::string prefix = "unexpected argument '";
  EXPECT_TRUE(error.starts_with(prefix) && error.ends_with("'")) << error;
  return error.substr(prefix.size(), error.size() - prefix.size() - 1);
}

// Every byte on its own, and every byte after each lead byte of a two-byte
// character: only printable ASCII and printable valid UTF-8 pass as they
// are, every other byte is spelled out.
TEST(UsageErrorQuotingTest, SpellsOutEveryByteThatIsNotPrintableUtf8) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const bool printable = b >= 0x20 && b < 0x7F;
    EXPECT_EQ(Shown("x" + byte), "x" + (printable ? byte : Spelled(byte))) << b;
  }
  for (int lead = 0xC0; lead <= 0xDF; ++lead) {
    for (int b = 0; b < 256; ++b) {
      const std::string pair = {static_cast<char>(lead), static_cast<char>(b)};
      const bool continuation = b >= 0x80 && b <= 0xBF;
      const bool valid = lead >= 0xC2 && continuation && !(lead == 0xC2 && b < 0xA0);
      std::string expected;
      if (valid) {
        expected = pair;
      } else {
        // The lead is spelled out; the next byte is judged afresh.
        expected = Spelled(pair.substr(0, 1)) + Shown(pair.substr(1));
      }
      EXPECT_EQ(Shown(pair), expected) << lead << " " << b;
    }
  }
  struct Sequence {
    std::string bytes;
    bool valid;
  };
  const Sequence sequences[] = {
      {"\xC2\xA0", true},                                // U+00A0, the first after the C1 controls
      {"\xE2\x80\xA6", true},                            // U+2026
      {"\xEF\xBF\xBD", true},                            // U+FFFD
      {"\xF0\x9F\x98\x80", true},                        // U+1F600
      {"\xF4\x8F\xBF\xBF", true},                        // U+10FFFF
      {"\xE0\x80\xAF", false},                           // overlong '/'
      {"\xC1\xBF", false},                               // overlong
      {"\xED\xA0\x80", false},                           // a surrogate
      {"\xF4\x90\x80\x80", false},                       // beyond U+10FFFF
      {"\xF5\x80\x80\x80", false}, {"\xE2\x80", false},  // cut short
      {"\xF0\x9F\x98", false},
  };
  for (const Sequence& s : sequences) {
    if (s.valid) {
      EXPECT_EQ(Shown(s.bytes), s.bytes) << Spelled(s.bytes);
    } else {
      EXPECT_EQ(Shown(s.bytes), Spelled(s.bytes)) << Spelled(s.bytes);
    }
  }
}

TEST(UsageTextTest, NamesEveryOptionAndTheRules) {
  std::string usage = UsageText();
  for (const char* option :
       {"-h,", "--help", "-V,", "--version", "--history", "--no-history", "--drill"})
    EXPECT_NE(usage.find(option), std::string::npos) << option;
  EXPECT_TRUE(usage.starts_with("Usage: kippfeld ")) << usage;
  EXPECT_NE(usage.find("--help wins over everything"), std::string::npos);
  EXPECT_NE(usage.find("--version wins over --history"), std::string::npos);
  EXPECT_NE(usage.find("after --"), std::string::npos);
  // The mouse too, and where the manual page is once the game is installed.
  EXPECT_NE(usage.find("double click"), std::string::npos);
  EXPECT_NE(usage.find("man 6 kippfeld"), std::string::npos);
  EXPECT_EQ(usage.back(), '\n');
}

// Whatever the console's code page, the help must read the same: plain
// ASCII, and lines that fit a terminal of 80 columns.
TEST(UsageTextTest, IsAsciiInLinesOfAtMost79Columns) {
  std::string usage = UsageText();
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < usage.size(); ++i) {
    auto byte = static_cast<unsigned char>(usage[i]);
    if (usage[i] == '\n') {
      EXPECT_LE(i - lineStart, 79u) << usage.substr(lineStart, i - lineStart);
      lineStart = i + 1;
    } else {
      EXPECT_TRUE(byte >= 0x20 && byte < 0x7F) << "byte " << int{byte} << " at " << i;
    }
  }
}

TEST(VersionTextTest, IsTheProgramNameAndThreeNumbers) {
  EXPECT_TRUE(std::regex_match(VersionText(), std::regex("kippfeld [0-9]+\\.[0-9]+\\.[0-9]+\n")))
      << VersionText();
}

TEST(UsageErrorLineTest, IsOneLineNamingTheMistakeAndTheWayToHelp) {
  CommandLine line = ParseCommandLine({"--foo"});
  EXPECT_EQ(UsageErrorLine(line), "kippfeld: unknown option '--foo'; try 'kippfeld --help'\n");
}

}  // namespace
}  // namespace kippfeld::app
