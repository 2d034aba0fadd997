// Every way the game can end gives the terminal back: the ending signals,
// crashes, and the terminal itself going away. And a resize, down to a
// single cell, never breaks the game.
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "e2e_support.h"

namespace kippfeld::e2e {
namespace {

// The signal's name without its "SIG", for the names of the tests.
std::string SignalName(const ::testing::TestParamInfo<int>& info) {
  switch (info.param) {
    case SIGTERM:
      return "TERM";
    case SIGHUP:
      return "HUP";
    case SIGINT:
      return "INT";
    case SIGQUIT:
      return "QUIT";
    case SIGSEGV:
      return "SEGV";
    case SIGABRT:
      return "ABRT";
    case SIGBUS:
      return "BUS";
  }
  return "signal" + std::to_string(info.param);
}

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
                         ::testing::Values(SIGTERM, SIGHUP, SIGINT, SIGQUIT), SignalName);
INSTANTIATE_TEST_SUITE_P(Crashes, EndingSignal, ::testing::Values(SIGSEGV, SIGABRT, SIGBUS),
                         SignalName);

std::string ReadProcFile(pid_t pid, const char* name) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/" + name);
  std::string text;
  std::getline(file, text);
  return text;
}

// A terminal that has stopped reading (a stalled link): the game blocks
// writing its screen. An ending signal must still end it at once, with the
// signal's status and the terminal's settings given back; and the screen
// content still queued gives way to the reset, so that the terminal, when
// it reads again, finds itself given back too.
class EndingSignalUnreadTerminal : public ::testing::TestWithParam<int> {};

TEST_P(EndingSignalUnreadTerminal, EndsTheGameWithinASecondAndLeavesTheReset) {
  int signalNumber = GetParam();
  auto s = StartGame();
  ASSERT_TRUE(ReachPlayingScreen(*s));
  // Every resize repaints the whole screen; unread, the repaints fill the
  // pty's buffer until the game's write blocks.
  for (int i = 0; i < 300; ++i) {
    s->Resize(i % 2 == 0 ? 120 : 80, i % 2 == 0 ? 50 : 25);
    usleep(3'000);
  }
  // Blocked in write(2) by the kernel's own account, where it can be read.
  const std::string write = std::to_string(SYS_write) + " ";
  bool blocked = false;
  std::string syscall;
  for (int wait = 0; wait < 200 && !blocked; ++wait) {
    syscall = ReadProcFile(s->Pid(), "syscall");
    if (syscall.empty()) break;
    blocked = syscall.compare(0, write.size(), write) == 0;
    if (!blocked) usleep(10'000);
  }
  ASSERT_TRUE(blocked || syscall.empty()) << "not blocked writing: " << syscall;

  s->Signal(signalNumber);
  ASSERT_TRUE(s->WaitExitUnread(1000)) << "still running a second after the signal";
  ASSERT_TRUE(WIFSIGNALED(s->Status())) << s->Status();
  EXPECT_EQ(WTERMSIG(s->Status()), signalNumber);
  // The terminal reads again.
  s->Settle();
  ExpectTerminalGivenBack(*s);
}

INSTANTIATE_TEST_SUITE_P(TerminalSignals, EndingSignalUnreadTerminal,
                         ::testing::Values(SIGTERM, SIGHUP, SIGINT, SIGQUIT), SignalName);

// On a terminal without an alternate screen the game's picture stays when
// it ends. However it ends, the cursor is then at the start of a line below
// the picture, where the shell's prompt belongs, not inside the field.
TEST(EndWithoutAlternateScreenE2E, SignalLeavesTheCursorBelowThePictureAsTheNormalEndDoes) {
  SessionOptions options;
  options.term = "vt100";
  options.rows = 30;
  auto normal = StartGame(options);
  ASSERT_TRUE(ReachPlayingScreen(*normal));
  normal->Send("\x1b");
  ASSERT_TRUE(normal->WaitForText(18, 1, "  gesammt :")) << Dump(*normal);
  ASSERT_TRUE(EndFromResults(*normal));
  normal->Settle(100);
  EXPECT_EQ(normal->CursorColumn(), 1);
  EXPECT_EQ(normal->CursorRow(), 30) << "not on the bottom line, below the picture";

  // After a resize, on the new bottom line.
  auto s = StartGame(options);
  ASSERT_TRUE(ReachPlayingScreen(*s));
  s->Resize(80, 34);
  s->Send(kRight);
  ASSERT_TRUE(s->WaitForCursor(10, 19));
  s->Signal(SIGTERM);
  ASSERT_TRUE(s->WaitExit());
  s->Settle(100);
  EXPECT_NE(s->RowText(16).find("Aufgabe  0"), std::string::npos) << "picture gone";
  EXPECT_EQ(s->CursorColumn(), 1);
  EXPECT_EQ(s->CursorRow(), 34) << Dump(*s);
  ExpectTerminalGivenBack(*s);
}

// kill -TSTP, then fg: stopped, the terminal is as the game found it
// (settings, mouse reports off, main screen, cursor shown); in the
// foreground again, the game has the terminal back and shows its screen
// whole, and keys work.
TEST(JobControlE2E, StopGivesTheTerminalBackAndForegroundTakesItAgain) {
  SessionOptions options;
  options.jobControl = true;
  auto s = StartGame(options);
  ASSERT_TRUE(ReachPlayingScreen(*s));
  s->Send("\r");
  ASSERT_TRUE(s->WaitFor([&] { return MoveLine(*s) == Moves(1, 1); })) << MoveLine(*s);
  // Ctrl+Z typed in the game is a key: the terminal does not stop it.
  s->Send("\x1a");
  s->Send(kRight);
  ASSERT_TRUE(s->WaitForCursor(10, 19));
  EXPECT_FALSE(s->Stopped());
  const termios playing = s->SettingsNow();
  ASSERT_NE(s->MouseMode(), 0);

  s->Signal(SIGTSTP);
  // Stopped, and the shell has taken the terminal.
  ASSERT_TRUE(s->WaitFor([&] { return s->Stopped() && !s->InForeground(); })) << "not stopped";
  ASSERT_TRUE(s->WaitFor([&] { return !s->AlternateScreen() && s->MouseMode() == 0; }));
  ExpectTerminalGivenBack(*s);
  EXPECT_EQ(s->SettingsNow().c_lflag & (ECHO | ICANON), tcflag_t{ECHO | ICANON});

  s->ForegroundJob();
  ASSERT_TRUE(s->WaitFor([&] { return s->AlternateScreen() && s->MouseMode() != 0; }));
  ASSERT_TRUE(s->WaitFor([&] { return Board(*s) == "000/110/110"; })) << Dump(*s);
  ASSERT_TRUE(s->WaitForText(16, 5, " Aufgabe  0  : \u00dcbungsmodus")) << Dump(*s);
  ASSERT_TRUE(s->WaitFor([&] { return MoveLine(*s) == Moves(1, 1); })) << Dump(*s);
  ASSERT_TRUE(s->WaitForCursor(10, 19));
  EXPECT_FALSE(s->CursorVisible());
  EXPECT_TRUE(SameSettings(s->SettingsNow(), playing)) << "not the game's settings again";
  // Cell 2 selected: the bottom row and the centre in cyan, on black.
  EXPECT_EQ(s->CellAt(10, 29).foreground, kCyan);
  EXPECT_EQ(s->CellAt(8, 29).foreground, kLightGrey);
  EXPECT_EQ(s->CellAt(8, 29).background, 0);

  s->Send(kUp);
  ASSERT_TRUE(s->WaitForCursor(8, 19));
  s->Send("\x1b");
  ASSERT_TRUE(s->WaitForText(18, 1, "  gesammt :"));
  ASSERT_TRUE(EndFromResults(*s));
  EXPECT_TRUE(WIFEXITED(s->Status()) && WEXITSTATUS(s->Status()) == 0) << s->Status();
  ExpectTerminalGivenBack(*s);
}

// Continued in the background (bg), the game must leave the terminal to the
// shell: it stops again, as a job that wants the terminal does, and takes
// the terminal only once it is in the foreground.
TEST(JobControlE2E, ContinuedInTheBackgroundLeavesTheTerminalToTheShell) {
  SessionOptions options;
  options.jobControl = true;
  auto s = StartGame(options);
  ASSERT_TRUE(ReachPlayingScreen(*s));
  const termios playing = s->SettingsNow();
  s->Signal(SIGTSTP);
  // Stopped, and the shell has taken the terminal.
  ASSERT_TRUE(s->WaitFor([&] { return s->Stopped() && !s->InForeground(); })) << "not stopped";
  ASSERT_TRUE(s->WaitFor([&] { return !s->AlternateScreen() && s->MouseMode() == 0; }));

  std::size_t mark = s->Mark();
  s->Signal(SIGCONT);
  s->Settle(300);
  EXPECT_TRUE(s->Stopped()) << "running in the background";
  EXPECT_EQ(s->Mark(), mark) << "wrote to the shell's terminal: " << s->Output().substr(mark);
  EXPECT_TRUE(SameSettings(s->SettingsAtStart(), s->SettingsNow())) << "took the shell's terminal";

  s->ForegroundJob();
  ASSERT_TRUE(s->WaitFor([&] { return s->AlternateScreen() && s->MouseMode() != 0; }));
  ASSERT_TRUE(s->WaitForText(16, 5, " Aufgabe  0  : \u00dcbungsmodus")) << Dump(*s);
  EXPECT_TRUE(SameSettings(s->SettingsNow(), playing));
  s->Send(kRight);
  ASSERT_TRUE(s->WaitForCursor(10, 19));
}

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
