// Every way the game can end gives the terminal back: the ending signals,
// crashes, and the terminal itself going away. And a resize, down to a
// single cell, never breaks the game.
#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include "e2e_support.h"

namespace kippfeld::e2e {
namespace {

class EndingSignal : public ::testing::TestWithParam<int> {};

TEST_P(EndingSignal, GivesTheTerminalBackAndEndsAsTheSignalWould) {
  int signalNumber = GetParam();
  auto s = StartGame();
  ASSERT_TRUE(ReachPlayingScreen(*s));
  ASSERT_NE(s->MouseMode(), 0);
  s->Signal(signalNumber);
  ASSERT_TRUE(s->WaitExit());
  ASSERT_TRUE(WIFSIGNALED(s->Status())) << s->Status();
  EXPECT_EQ(WTERMSIG(s->Status()), signalNumber);
  ExpectTerminalGivenBack(*s);
}

INSTANTIATE_TEST_SUITE_P(TerminalSignals, EndingSignal,
                         ::testing::Values(SIGTERM, SIGHUP, SIGINT, SIGQUIT),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });
INSTANTIATE_TEST_SUITE_P(Crashes, EndingSignal, ::testing::Values(SIGSEGV, SIGABRT, SIGBUS),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

TEST(TerminalClosedE2E, ClosingTheTerminalEndsTheGameByHangup) {
  auto s = StartGame();
  ASSERT_TRUE(ReachPlayingScreen(*s));
  s->CloseMaster();
  ASSERT_TRUE(s->WaitExit(5000)) << "still running after the terminal closed";
  EXPECT_TRUE(WIFSIGNALED(s->Status()) && WTERMSIG(s->Status()) == SIGHUP) << s->Status();
}

// Under nohup no signal comes: the game must notice the dead terminal in its
// reads and end instead of polling it forever.
TEST(TerminalClosedE2E, ClosingTheTerminalEndsTheGameWithHangupIgnored) {
  SessionOptions options;
  options.ignoreHangup = true;
  auto s = StartGame(options);
  ASSERT_TRUE(ReachPlayingScreen(*s));
  s->CloseMaster();
  ASSERT_TRUE(s->WaitExit(5000)) << "still running after the terminal closed";
  EXPECT_TRUE(WIFEXITED(s->Status()) && WEXITSTATUS(s->Status()) == 129) << s->Status();
}

TEST(ResizeE2E, SmallerAndBackKeepsTheGameGoing) {
  auto s = StartGame();
  ASSERT_TRUE(ReachPlayingScreen(*s));

  s->Resize(40, 10);
  s->Send(kRight);
  ASSERT_TRUE(s->WaitForCursor(10, 19));
  // The window shows the top-left of the whole screen: the field, not the
  // status lines below it, which still exist.
  EXPECT_EQ(Board(*s), "000/000/000");
  EXPECT_EQ(s->TextAt(6, 1, 30), "        0         0         0 ") << Dump(*s);
  // Cell 2 selected: of the middle row only the centre is in its move set.
  EXPECT_EQ(s->CellAt(8, 19).foreground, kCyan);
  EXPECT_EQ(s->CellAt(8, 29).foreground, kLightGrey);

  // A single cell: nothing fits, nothing may break.
  s->Resize(1, 1);
  s->Send(kRight);
  s->Settle(300);

  s->Resize(80, 25);
  s->Send(kLeft);
  ASSERT_TRUE(s->WaitForCursor(10, 19));
  ASSERT_TRUE(s->WaitForText(16, 5, " Aufgabe  0  : \u00dcbungsmodus")) << s->RowText(16);
  EXPECT_EQ(Board(*s), "000/000/000");
  EXPECT_EQ(MoveLine(*s), Moves(0, 0));
  EXPECT_FALSE(s->Exited());

  s->Send("\x1b");
  ASSERT_TRUE(s->WaitForText(18, 1, "  gesammt :"));
  ASSERT_TRUE(EndFromResults(*s));
  EXPECT_TRUE(WIFEXITED(s->Status()) && WEXITSTATUS(s->Status()) == 0) << s->Status();
  ExpectTerminalGivenBack(*s);
}

// Without a controlling terminal and with standard output and error going
// elsewhere there is nothing to play on: one line says so, status 1.
TEST(NoTerminalE2E, SaysSoOnStandardErrorAndEndsWithStatusOne) {
  int errorPipe[2];
  ASSERT_EQ(pipe(errorPipe), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    setsid();  // no controlling terminal: /dev/tty cannot be opened
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    dup2(errorPipe[1], 2);
    close(errorPipe[0]);
    execl(KIPPFELD_BINARY, KIPPFELD_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(errorPipe[1]);
  std::string message;
  char buffer[256];
  for (ssize_t n; (n = read(errorPipe[0], buffer, sizeof buffer)) > 0;) message.append(buffer, n);
  close(errorPipe[0]);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
  EXPECT_NE(message.find("no terminal"), std::string::npos) << message;
  EXPECT_EQ(message.find('\n'), message.size() - 1) << "one line: " << message;
}

}  // namespace
}  // namespace kippfeld::e2e
