// Which terminal types the game refuses, by their terminfo entries (the
// ones Debian's ncurses-base ships). That nothing reaches a refused
// terminal is checked in a pty by the end-to-end tests.
#include "platform/terminal/terminal_type.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace kippfeld::platform {
namespace {

TEST(TerminalTypeTest, RefusesTypesThatAreUnknownUnsetOrCannotAddressTheCursor) {
  struct Case {
    const char* type;
    std::string problem;  // empty: the game can play
  };
  const Case cases[] = {
      {"xterm-256color", ""},
      {"linux", ""},
      {"vt52", ""},  // no colours, no alternate screen, but cursor addressing
      {"dumb", "terminal type TERM=dumb cannot move the cursor, which the game needs"},
      {"no-such-terminal", "unknown terminal type TERM=no-such-terminal"},
      {"", "unknown terminal type TERM=(not set)"},
      {nullptr, "unknown terminal type TERM=(not set)"},
  };
  int fd = open("/dev/null", O_RDWR);
  ASSERT_GE(fd, 0);
  for (const Case& c : cases)
    EXPECT_EQ(TerminalTypeProblem(c.type, fd), c.problem) << (c.type ? c.type : "(null)");
  // Each check puts its entry away: the same answers a second time round.
  for (const Case& c : cases)
    EXPECT_EQ(TerminalTypeProblem(c.type, fd), c.problem) << (c.type ? c.type : "(null)");
  close(fd);
}

}  // namespace
}  // namespace kippfeld::platform
