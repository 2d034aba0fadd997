// `kippfeld --history` and the game on a history that is not a regular
// file: refused at once with one line naming it, never waited on.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "detached_run.h"
#include "e2e_support.h"
#include "history_file_testing.h"

namespace kippfeld::e2e {
namespace {

using test::TemporaryFolder;

// A FIFO nobody writes to would hold a blocking open for ever; a folder and
// a device hold no history. Each is refused within the deadline.
TEST(HistoryPlaceE2E, ReportRefusesAnythingButARegularFile) {
  TemporaryFolder folder;
  const std::string fifo = folder.path() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::string path;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {fifo, "it is not a regular file"},
      {folder.path(), "Is a directory"},
      {"/dev/null", "it is not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    DetachedOptions options;
    options.environment = {{"KIPPFELD_HISTORY", c.path}, {"LC_ALL", "C.UTF-8"}};
    options.deadlineMs = 5000;
    DetachedRun run = RunDetached(KIPPFELD_BINARY, {"--history"}, options);
    ASSERT_TRUE(run.exited) << "still waiting at the deadline";
    EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 1) << run.status;
    EXPECT_EQ(run.error, "kippfeld: cannot read the history " + c.path + ": " + c.reason + "\n");
    EXPECT_EQ(run.output, "");
  }
}

// The game's own append never waits on the FIFO either: the table comes,
// the final key ends the game, and the reason is said afterwards.
TEST(HistoryPlaceE2E, GameEndsAtOnceOnAFifoAsItsHistory) {
  TemporaryFolder folder;
  const std::string fifo = folder.path() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  SessionOptions options;
  options.environment = {{"KIPPFELD_HISTORY", fifo}};
  std::unique_ptr<PtySession> s = StartGame(options);
  ASSERT_TRUE(ReachPlayingScreen(*s));
  s->Send("P");
  ASSERT_TRUE(s->WaitForText(16, 5, " Aufgabe  1  : alles 1")) << Dump(*s);
  s->Send("\x1b");
  ASSERT_TRUE(s->WaitForText(19, 39, "Min.")) << Dump(*s);
  ASSERT_TRUE(EndFromResults(*s));
  EXPECT_TRUE(WIFEXITED(s->Status()) && WEXITSTATUS(s->Status()) == 0) << s->Status();
  std::string said =
      "kippfeld: the test was not recorded in " + fifo + ": it is not a regular file";
  // The rows run on into each other where a long line wraps.
  std::string screen;
  for (int row = 1; row <= s->Rows(); ++row) screen += s->RowText(row);
  EXPECT_NE(screen.find(said), std::string::npos) << Dump(*s);
}

}  // namespace
}  // namespace kippfeld::e2e
