// The real binary's answers to its options: each comes without a terminal,
// and where there is one, leaves it alone.
#include <sys/wait.h>

#include <string>
#include <vector>

#include "detached_run.h"
#include "e2e_support.h"

namespace kippfeld::e2e {
namespace {

const std::string kVersionLine = "kippfeld " KIPPFELD_VERSION "\n";

std::string HelpHint(const std::string& mistake) {
  return "kippfeld: " + mistake + "; try 'kippfeld --help'\n";
}

struct OptionCase {
  std::string name;
  std::vector<std::string> arguments;
  int exitStatus;
  std::string output;  // the whole of standard output; "Usage:" stands for the usage text
  std::string error;   // the whole of standard error
};

const OptionCase kAnswers[] = {
    {"Help", {"--help"}, 0, "Usage:", ""},
    {"ShortHelp", {"-h"}, 0, "Usage:", ""},
    {"HelpDespiteAMistake", {"--bogus", "--help"}, 0, "Usage:", ""},
    {"Version", {"--version"}, 0, kVersionLine, ""},
    {"ShortVersion", {"-V"}, 0, kVersionLine, ""},
    {"UnknownOption", {"--bogus"}, 2, "", HelpHint("unknown option '--bogus'")},
    {"UnexpectedArgument", {"extra"}, 2, "", HelpHint("unexpected argument 'extra'")},
    {"OptionAfterTheEnd", {"--", "--help"}, 2, "", HelpHint("unexpected argument '--help'")},
    {"DrillTaskOutOfRange",
     {"--drill", "13"},
     2,
     "",
     HelpHint("'13' is no list of tasks for '--drill': numbers 1 to 12 parted by commas, as in "
              "4,10")},
    {"DrillListNotOne",
     {"--drill=4,,10"},
     2,
     "",
     HelpHint("'4,,10' is no list of tasks for '--drill': numbers 1 to 12 parted by commas, as "
              "in 4,10")},
    {"DrillWithHistory",
     {"--drill", "--history"},
     2,
     "",
     HelpHint("'--drill' plays and '--history' reports: give only one of them")},
};

void PrintTo(const OptionCase& c, std::ostream* out) {
  *out << c.name;
}

bool Matches(const std::string& got, const std::string& expected) {
  if (expected == "Usage:")
    return got.starts_with("Usage: kippfeld ") && got.find("--no-history") != std::string::npos;
  return got == expected;
}

class OptionWithoutTerminal : public ::testing::TestWithParam<OptionCase> {};

TEST_P(OptionWithoutTerminal, AnswersOnItsStandardStreams) {
  const OptionCase& c = GetParam();
  DetachedRun run = RunDetached(KIPPFELD_BINARY, c.arguments);
  ASSERT_TRUE(run.exited) << "still running at the deadline";
  ASSERT_TRUE(WIFEXITED(run.status)) << run.status;
  EXPECT_EQ(WEXITSTATUS(run.status), c.exitStatus) << run.error;
  EXPECT_TRUE(Matches(run.output, c.output)) << run.output;
  EXPECT_EQ(run.error, c.error);
}

// With a terminal there, as a player's shell has it: not a byte goes to it,
// and its settings are as they were.
class OptionInTerminal : public ::testing::TestWithParam<OptionCase> {};

TEST_P(OptionInTerminal, LeavesTheTerminalAlone) {
  const OptionCase& c = GetParam();
  SessionOptions options;
  options.arguments = c.arguments;
  options.outputToPipes = true;
  PtySession s(KIPPFELD_BINARY, options);
  ASSERT_TRUE(s.WaitExit());
  std::string output = s.PipedOutput();
  std::string error = s.PipedError();
  ASSERT_TRUE(WIFEXITED(s.Status())) << s.Status();
  EXPECT_EQ(WEXITSTATUS(s.Status()), c.exitStatus) << error;
  EXPECT_TRUE(Matches(output, c.output)) << output;
  EXPECT_EQ(error, c.error);
  EXPECT_EQ(s.Output(), "") << "written to the terminal";
  EXPECT_TRUE(SameSettings(s.SettingsAtStart(), s.SettingsNow())) << "terminal settings changed";
}

std::string CaseName(const ::testing::TestParamInfo<OptionCase>& info) {
  return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Options, OptionWithoutTerminal, ::testing::ValuesIn(kAnswers), CaseName);
INSTANTIATE_TEST_SUITE_P(Options, OptionInTerminal, ::testing::ValuesIn(kAnswers), CaseName);

// The history is shown by a part of the program that may read files, but
// never needs the terminal.
TEST(HistoryOptionE2E, NeedsNoTerminal) {
  DetachedRun run = RunDetached(KIPPFELD_BINARY, {"--history"});
  ASSERT_TRUE(run.exited) << "still running at the deadline";
  EXPECT_EQ(run.error.find("terminal"), std::string::npos) << run.error;
}

// --no-history is taken, not refused: the game then wants its terminal like
// any other, and there is none.
TEST(NoHistoryOptionE2E, PlaysAndSoNeedsATerminal) {
  DetachedRun run = RunDetached(KIPPFELD_BINARY, {"--no-history"});
  ASSERT_TRUE(run.exited) << "still running at the deadline";
  EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 1) << run.status;
  EXPECT_TRUE(run.error.starts_with("kippfeld: no terminal to play on")) << run.error;
}

// An answer that cannot be written is a failure, not a success.
TEST(OptionOutputE2E, AFullDiskIsAFailure) {
  DetachedOptions options;
  options.outputFile = "/dev/full";
  for (const char* option : {"--help", "--version"}) {
    DetachedRun run = RunDetached(KIPPFELD_BINARY, {option}, options);
    ASSERT_TRUE(run.exited) << option;
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 1) << option << run.status;
    EXPECT_EQ(run.error, "kippfeld: cannot write to standard output\n") << option;
  }
}

}  // namespace
}  // namespace kippfeld::e2e
