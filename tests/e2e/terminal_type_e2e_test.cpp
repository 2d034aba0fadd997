// A terminal the game cannot play on is refused before it receives a byte:
// one line on standard error naming its type, exit status 1, and the
// terminal as it was.
#include <sys/wait.h>

#include <string>

#include "e2e_support.h"

namespace kippfeld::e2e {
namespace {

struct RefusedTerminal {
  const char* term;
  std::string error;
};

void PrintTo(const RefusedTerminal& c, std::ostream* out) {
  *out << "TERM=" << c.term;
}

class TerminalThatCannotPlay : public ::testing::TestWithParam<RefusedTerminal> {};

TEST_P(TerminalThatCannotPlay, IsRefusedBeforeAByteReachesIt) {
  SessionOptions options;
  options.term = GetParam().term;
  options.outputToPipes = true;
  PtySession s(KIPPFELD_BINARY, options);
  ASSERT_TRUE(s.WaitExit());
  EXPECT_TRUE(WIFEXITED(s.Status()) && WEXITSTATUS(s.Status()) == 1) << s.Status();
  EXPECT_EQ(s.PipedError(), GetParam().error);
  EXPECT_EQ(s.PipedOutput(), "");
  EXPECT_EQ(s.Output(), "") << "written to the terminal";
  EXPECT_TRUE(SameSettings(s.SettingsAtStart(), s.SettingsNow())) << "terminal settings changed";
}

INSTANTIATE_TEST_SUITE_P(
    Types, TerminalThatCannotPlay,
    ::testing::Values(
        RefusedTerminal{"dumb",
                        "kippfeld: terminal type TERM=dumb cannot move the cursor, which the game "
                        "needs\n"},
        RefusedTerminal{"no-such-terminal",
                        "kippfeld: unknown terminal type TERM=no-such-terminal\n"},
        RefusedTerminal{"", "kippfeld: unknown terminal type TERM=(not set)\n"}),
    [](const auto& info) {
      std::string name = info.param.term;
      for (char& c : name)
        if (c == '-') c = '_';
      return name.empty() ? std::string("Empty") : name;
    });

}  // namespace
}  // namespace kippfeld::e2e
