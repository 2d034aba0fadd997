// One complete test of twelve tasks, played with the navigation keys and
// Enter as a player would: every task's picture is reached, each completion
// shows " OK", and the results list every task's moves and the total.
#include <sys/wait.h>

#include <string>

#include "e2e_support.h"
#include "solving.h"

namespace kippfeld::e2e {
namespace {

TEST(FullGameE2E, TwelveTasksByKeyboardThenResults) {
  auto s = StartGame();
  ASSERT_TRUE(ReachPlayingScreen(*s));
  s->Send("P");
  ASSERT_TRUE(s->WaitForText(16, 5, " Aufgabe  1  : alles 1")) << s->RowText(16);

  Position cursor{10, 9};
  int board = 0;
  int total = 0;
  for (int task = 1; task <= 12; ++task) {
    s->Send(SolvingKeys(board, cursor, task, &total));
    ASSERT_TRUE(s->WaitForText(16, 1, " OK")) << "task " << task << "\n" << Dump(*s);
    if (task < 12) {
      std::string next = " Aufgabe  " + std::to_string(task + 1) + " ";
      ASSERT_TRUE(s->WaitForText(16, 5, next)) << "task " << task + 1 << "\n" << Dump(*s);
    }
  }

  ASSERT_TRUE(s->WaitForText(2, 1, "    \u00dcbung                    Zeit (sec.)"));
  // Find the total line wherever long entries may have pushed it, once the
  // count on it has arrived too: the table reaches the terminal in pieces.
  const std::string moves = std::string(" ").append(std::to_string(total)).append(" ");
  int totalRow = 0;
  EXPECT_TRUE(s->WaitFor([&] {
    for (int row = 17; row <= 22; ++row)
      if (s->TextAt(row, 1, 11) == "  gesammt :") totalRow = row;
    return totalRow != 0 && s->TextAt(totalRow, 49, 4) == moves;
  })) << Dump(*s);
  EXPECT_EQ(s->TextAt(16, 1, 13), " 12 . Aufgabe") << Dump(*s);

  ASSERT_TRUE(EndFromResults(*s));
  EXPECT_TRUE(WIFEXITED(s->Status()) && WEXITSTATUS(s->Status()) == 0) << s->Status();
  ExpectTerminalGivenBack(*s);
}

}  // namespace
}  // namespace kippfeld::e2e
