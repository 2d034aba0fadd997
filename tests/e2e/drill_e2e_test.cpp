// `kippfeld --drill 3` in a real terminal: rounds of task 3, each from task
// 2's picture, the line between them, the drill table after Esc, printed
// again once the terminal is given back, and the rounds in drills.tsv
// beside the history, which the drill leaves alone.
#include <sys/wait.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e_support.h"
#include "solving.h"

namespace kippfeld::e2e {
namespace {

int RowStartingWith(PtySession& s, const std::string& text) {
  for (int row = 1; row <= s.Rows(); ++row) {
    if (s.RowText(row).rfind(text, 0) == 0) return row;
  }
  return 0;
}

std::string FileText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(DrillE2E, TwoRoundsOfTask3KeptBesideTheHistory) {
  SessionOptions options;
  options.arguments = {"--drill", "3"};
  std::unique_ptr<PtySession> s = StartGame(options);
  // No introduction: task 3 at once, on task 2's empty picture.
  ASSERT_TRUE(s->WaitForText(16, 5, " Aufgabe  3  : nur mitte 1")) << Dump(*s);
  EXPECT_EQ(Board(*s), "000/000/000");
  Position cursor = PositionOf(3);
  for (int round = 1; round <= 2; ++round) {
    int board = kTargets[2];
    int moves = 0;
    s->Send(SolvingKeys(board, cursor, 3, &moves));
    // Built by appending: GCC 12 warns falsely (-Wrestrict) on "literal" + string.
    std::string line =
        std::string(" Runde ").append(std::to_string(round)).append(" , Aufgabe 3 :");
    ASSERT_TRUE(s->WaitForText(12, 1, line)) << Dump(*s);
    // The next round starts from task 2's picture again.
    ASSERT_TRUE(s->WaitForText(16, 1, "     Aufgabe  3 ")) << Dump(*s);
    EXPECT_EQ(Board(*s), "000/000/000");
    std::string counted =
        std::string(" ").append(std::to_string(moves)).append(" Z\u00fcge (k\u00fcrzest 5 )");
    EXPECT_NE(s->RowText(12).find(counted), std::string::npos) << s->RowText(12);
  }
  s->Send("\x1b");
  ASSERT_TRUE(s->WaitForText(1, 1, " Drill (Zeiten in Sek.;")) << Dump(*s);
  EXPECT_EQ(s->TextAt(5, 1, 25), " 3 . Aufgabe nur mitte 1 ");
  EXPECT_EQ(s->TextAt(5, 44, 3), " 2 ");
  std::vector<std::string> table;
  for (int row = 1; row <= 7; ++row) table.push_back(s->RowText(row));
  ASSERT_TRUE(EndFromResults(*s));
  EXPECT_TRUE(WIFEXITED(s->Status()) && WEXITSTATUS(s->Status()) == 0) << s->Status();
  ExpectTerminalGivenBack(*s);

  // The table again, and how many rounds were kept where. Its first row
  // starts where the cursor stood when the game began, after the shell's
  // own text, if any.
  int title = 0;
  for (int row = 1; row <= s->Rows() && title == 0; ++row) {
    if (s->RowText(row).find("Drill (Zeiten in Sek.;") != std::string::npos) title = row;
  }
  ASSERT_GT(title, 0) << Dump(*s);
  for (int i = 1; i < 7; ++i) EXPECT_EQ(s->RowText(title + i), table[i]) << i;
  std::string folder = s->HistoryPath().substr(0, s->HistoryPath().rfind('/'));
  int kept = RowStartingWith(*s, "2 drill rounds kept in ");
  ASSERT_GT(kept, 0) << Dump(*s);
  EXPECT_NE((s->RowText(kept) + s->RowText(kept + 1)).find(folder + "/drills.tsv."),
            std::string::npos);

  std::string drills = FileText(folder + "/drills.tsv");
  std::istringstream lines(drills);
  std::string header, first, second, more;
  std::getline(lines, header);
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_EQ(header, "started\ttask\ttime_s\tmoves");
  EXPECT_NE(first.find("\t3\t"), std::string::npos) << drills;
  EXPECT_NE(second.find("\t3\t"), std::string::npos) << drills;
  EXPECT_FALSE(std::getline(lines, more)) << drills;
  // The test history is untouched: there is none.
  EXPECT_FALSE(std::ifstream(s->HistoryPath()).good());
}

TEST(DrillE2E, NoHistoryKeepsNothing) {
  SessionOptions options;
  options.arguments = {"--drill=1", "--no-history"};
  std::unique_ptr<PtySession> s = StartGame(options);
  ASSERT_TRUE(s->WaitForText(16, 5, " Aufgabe  1  : alles 1")) << Dump(*s);
  int board = 0;
  Position cursor = PositionOf(3);
  s->Send(SolvingKeys(board, cursor, 1));
  ASSERT_TRUE(s->WaitForText(12, 1, " Runde 1 , Aufgabe 1 :")) << Dump(*s);
  s->Send("\x1b");
  ASSERT_TRUE(s->WaitForText(1, 1, " Drill (")) << Dump(*s);
  ASSERT_TRUE(EndFromResults(*s));
  EXPECT_EQ(RowStartingWith(*s, "1 drill round"), 0) << Dump(*s);
  std::string folder = s->HistoryPath().substr(0, s->HistoryPath().rfind('/'));
  EXPECT_FALSE(std::ifstream(folder + "/drills.tsv").good());
  EXPECT_FALSE(std::ifstream(s->HistoryPath()).good());
}

}  // namespace
}  // namespace kippfeld::e2e
