// The command line the terminal backend gives the console's start-up, made
// from main's arguments.
#include "platform/terminal/terminal_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kippfeld::platform {
namespace {

TEST(CommandLineOfTest, JoinsTheArgumentsAfterTheProgramsName) {
  struct Case {
    std::vector<const char*> argv;
    std::string expected;
  };
  const Case cases[] = {
      {{"kippfeld"}, "kippfeld"},
      {{"/usr/games/kippfeld", "--no-history"}, "/usr/games/kippfeld --no-history"},
      {{"./kippfeld", "a", "", "b c"}, "./kippfeld a  b c"},
      // The tail starts after the closing quote.
      {{"/opt/my games/kippfeld", "x"}, "\"/opt/my games/kippfeld\" x"},
      // A program started without even its name.
      {{}, "kippfeld"},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv = c.argv;
    const int argc = static_cast<int>(argv.size());
    argv.push_back(nullptr);
    EXPECT_EQ(CommandLineOf(argc, argv.data()), c.expected);
  }
}

}  // namespace
}  // namespace kippfeld::platform
