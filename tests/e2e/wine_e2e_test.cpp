// The Windows build under wine in a pty: wine's terminal console draws the
// program's console cells with their colours and turns the terminal's key
// sequences into key records, so a short game can be played here as on a
// Windows console. Runs only when KIPPFELD_WINE_EXE names the cross-built
// kippfeld.exe (`make test-windows` sets it) and wine is installed.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "detached_run.h"
#include "e2e_support.h"

namespace kippfeld::e2e {
namespace {

// Wine's first start in a new prefix creates the prefix, which can take a
// minute on a slow machine; later steps only wait for the program.
constexpr int kFirstScreenMs = 60'000;
constexpr int kStepMs = 30'000;

// Wine's console writes light grey on black, the console's default
// attribute, as the terminal's default pen ("\x1b[m"), so those cells read
// as the default colours; cyan comes through as palette colour 6.
constexpr int kWineLightGrey = -1;
constexpr int kWineBlack = -1;

constexpr const char* kPageUp = "\x1b[5~";

std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::string_view rest = path;
  while (!rest.empty()) {
    std::size_t colon = rest.find(':');
    std::string dir(rest.substr(0, colon));
    rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

bool IsRegularFile(const char* path) {
  struct stat info {};
  return path != nullptr && stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

// The nine digits' colours, top row first: 'c' cyan, '.' light grey, '?'
// anything else. A cell without its digit counts as '?': mid-repaint, wine
// writes the highlight's blanks in cyan before the digits come.
std::string Highlight(PtySession& s) {
  std::string colours;
  for (int row : {6, 8, 10}) {
    if (!colours.empty()) colours += '/';
    for (int column : {9, 19, 29}) {
      ScreenCell cell = s.CellAt(row, column);
      bool drawn = (cell.glyph == U'0' || cell.glyph == U'1') && cell.background == kWineBlack;
      colours += !drawn                              ? '?'
                 : cell.foreground == kCyan          ? 'c'
                 : cell.foreground == kWineLightGrey ? '.'
                                                     : '?';
    }
  }
  return colours;
}

// The results screen ignores keys for its first half second, and wine takes
// a moment to end the process after the key that is taken.
bool EndFromResultsUnderWine(PtySession& s) {
  for (int attempt = 0; attempt < 60 && !s.Exited(); ++attempt) {
    s.Send("x");
    s.WaitExit(1000);
  }
  return s.Exited();
}

TEST(WineE2E, ShortGameOfTheWindowsBuild) {
  const char* exe = std::getenv("KIPPFELD_WINE_EXE");
  if (!IsRegularFile(exe)) GTEST_SKIP() << "KIPPFELD_WINE_EXE names no kippfeld.exe";
  std::string wine = FindOnPath("wine");
  if (wine.empty()) GTEST_SKIP() << "wine is not on PATH";

  // The test goes into a history file of its own, which wine's drive Z:
  // reaches as the same file.
  char folder[] = "/tmp/kippfeld-wine-history-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  std::string history = std::string(folder) + "/history.tsv";
  std::string windowsHistory = "Z:" + history;
  std::replace(windowsHistory.begin(), windowsHistory.end(), '/', '\\');

  // The same quiet wine as the cross build's tests, in the user's own prefix.
  SessionOptions options;
  options.arguments = {exe};
  options.environment = {{"WINEDEBUG", "-all"},
                         {"WINEDLLOVERRIDES", "mscoree,mshtml="},
                         {"KIPPFELD_HISTORY", windowsHistory}};
  PtySession s(wine, options);
  // Wine's console repaints by blanking every row and then drawing it again,
  // so a screen is only ever checked by waiting for it: a row read in the
  // middle of a repaint is empty.
  ASSERT_TRUE(s.WaitForText(2, 1, "        Spielfeld:", kFirstScreenMs)) << Dump(s);
  // The code page 850 characters come out right, though wine's console
  // runs on code page 437, where 0xFC is "ⁿ" and not "³".
  ASSERT_TRUE(s.WaitForText(21, 1, " \u00b3\u00fcben sie erst solange", kStepMs)) << Dump(s);
  ASSERT_TRUE(s.WaitForText(16, 1, " Eckpunkte              \u00e4ndern sich", kStepMs)) << Dump(s);
  ASSERT_TRUE(s.WaitForText(23, 1, "  Abbruch jederzeit mit ESC", kStepMs)) << Dump(s);

  s.Send("\r");
  ASSERT_TRUE(s.WaitForText(16, 5, " Aufgabe  0  : \u00dcbungsmodus", kStepMs)) << Dump(s);
  // Cell 3 selected: its move set, the 2 x 2 corner it lies in, is cyan.
  ASSERT_TRUE(s.WaitFor([&] { return Highlight(s) == ".../cc./cc."; }, kStepMs)) << Highlight(s);
  ASSERT_TRUE(s.WaitFor([&] { return Board(s) == "000/000/000"; }, kStepMs)) << Board(s);
  ASSERT_TRUE(s.WaitFor([&] { return MoveLine(s) == Moves(0, 0); }, kStepMs)) << MoveLine(s);

  s.Send("\r");
  ASSERT_TRUE(s.WaitFor([&] { return Board(s) == "000/110/110"; }, kStepMs)) << Board(s);
  ASSERT_TRUE(s.WaitFor([&] { return MoveLine(s) == Moves(1, 1); }, kStepMs)) << MoveLine(s);

  // Each selection shows in the highlight alone; none of them is a move.
  struct Step {
    const char* key;
    const char* highlight;
  };
  const Step steps[] = {
      {kUp, "c../cc./c.."},        // the left edge's middle: itself and its three neighbours
      {kPageUp, "ccc/.c./..."},    // up and right: the top edge's middle
      {kPageDown, "..c/.cc/..c"},  // down and right: the right edge's middle
  };
  for (const Step& step : steps) {
    s.Send(step.key);
    ASSERT_TRUE(s.WaitFor([&] { return Highlight(s) == step.highlight; }, kStepMs))
        << "after " << step.key + 1 << ": " << Highlight(s);
  }
  ASSERT_TRUE(s.WaitFor([&] { return MoveLine(s) == Moves(1, 1); }, kStepMs)) << MoveLine(s);
  ASSERT_TRUE(s.WaitFor([&] { return Board(s) == "000/110/110"; }, kStepMs)) << Board(s);

  s.Send("P");
  ASSERT_TRUE(s.WaitForText(16, 5, " Aufgabe  1  : alles 1", kStepMs)) << Dump(s);

  // Wine passes Esc as a key record with character 0; the scan code is what
  // ends the game.
  s.Send("\x1b");
  ASSERT_TRUE(s.WaitForText(18, 1, "  gesammt :", kStepMs)) << Dump(s);
  ASSERT_TRUE(EndFromResultsUnderWine(s)) << Dump(s);
  EXPECT_TRUE(WIFEXITED(s.Status()) && WEXITSTATUS(s.Status()) == 0) << s.Status();

  // The header and one line: started, no task completed, no moves in the test.
  std::ifstream file(history, std::ios::binary);
  std::string header;
  std::string line;
  ASSERT_TRUE(std::getline(file, header) && std::getline(file, line));
  EXPECT_EQ(header.substr(0, 26), "started\ttasks\ttime_s\tmoves");
  std::string zeros;
  for (int column = 2; column <= 28; ++column) zeros += "\t0";
  EXPECT_EQ(line.substr(10, 1), "T") << line;
  EXPECT_EQ(line.substr(25), zeros) << line;
  EXPECT_FALSE(std::getline(file, line));
  std::remove(history.c_str());
  rmdir(folder);
}

// The same command line as the terminal build: answered on the standard
// streams, with no console (a session of its own, pipes for all three). The
// program's text mode writes its line ends as CR LF.
TEST(WineE2E, OptionsAreAnsweredWithoutAConsole) {
  const char* exe = std::getenv("KIPPFELD_WINE_EXE");
  if (!IsRegularFile(exe)) GTEST_SKIP() << "KIPPFELD_WINE_EXE names no kippfeld.exe";
  std::string wine = FindOnPath("wine");
  if (wine.empty()) GTEST_SKIP() << "wine is not on PATH";
  DetachedOptions options;
  options.environment = {{"WINEDEBUG", "-all"}, {"WINEDLLOVERRIDES", "mscoree,mshtml="}};
  options.deadlineMs = kFirstScreenMs;

  DetachedRun version = RunDetached(wine, {exe, "--version"}, options);
  ASSERT_TRUE(version.exited);
  EXPECT_TRUE(WIFEXITED(version.status) && WEXITSTATUS(version.status) == 0) << version.status;
  EXPECT_EQ(version.output, "kippfeld " KIPPFELD_VERSION "\r\n");

  DetachedRun help = RunDetached(wine, {exe, "-h"}, options);
  ASSERT_TRUE(help.exited);
  EXPECT_TRUE(WIFEXITED(help.status) && WEXITSTATUS(help.status) == 0) << help.status;
  EXPECT_TRUE(help.output.starts_with("Usage: kippfeld ")) << help.output;
  EXPECT_NE(help.output.find("--no-history"), std::string::npos) << help.output;

  // Wine may say things of its own on standard error; the line is there.
  DetachedRun mistake = RunDetached(wine, {exe, "--bogus"}, options);
  ASSERT_TRUE(mistake.exited);
  EXPECT_TRUE(WIFEXITED(mistake.status) && WEXITSTATUS(mistake.status) == 2) << mistake.status;
  EXPECT_EQ(mistake.output, "");
  EXPECT_NE(mistake.error.find("kippfeld: unknown option '--bogus'; try 'kippfeld --help'\r\n"),
            std::string::npos)
      << mistake.error;
}

// The program's words follow LANGUAGE, and otherwise the language of
// wine's own interface (English here: wine takes it from a locale this
// machine need not have); German letters written out for a pipe, which gets
// ASCII.
TEST(WineE2E, SpeaksThePlayersLanguage) {
  const char* exe = std::getenv("KIPPFELD_WINE_EXE");
  if (!IsRegularFile(exe)) GTEST_SKIP() << "KIPPFELD_WINE_EXE names no kippfeld.exe";
  std::string wine = FindOnPath("wine");
  if (wine.empty()) GTEST_SKIP() << "wine is not on PATH";
  struct Case {
    std::vector<std::pair<std::string, std::string>> environment;
    std::vector<std::string> arguments;
    bool german;
  };
  const Case cases[] = {
      {{}, {}, false},
      {{{"LANGUAGE", "de"}}, {}, true},
      {{{"LANGUAGE", "de"}}, {"--lang", "en"}, false},
      {{{"LANGUAGE", "en"}, {"LANG", "de_DE.UTF-8"}}, {}, false},
      {{}, {"--lang=de"}, true},
  };
  for (const Case& c : cases) {
    DetachedOptions options;
    options.environment = {{"WINEDEBUG", "-all"}, {"WINEDLLOVERRIDES", "mscoree,mshtml="}};
    options.environment.insert(options.environment.end(), c.environment.begin(),
                               c.environment.end());
    options.deadlineMs = kFirstScreenMs;
    std::vector<std::string> arguments = {exe};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    arguments.push_back("--bogus");
    DetachedRun run = RunDetached(wine, arguments, options);
    ASSERT_TRUE(run.exited);
    std::string line =
        c.german ? "kippfeld: unbekannte Option '--bogus'; Hilfe gibt 'kippfeld --help'\r\n"
                 : "kippfeld: unknown option '--bogus'; try 'kippfeld --help'\r\n";
    EXPECT_NE(run.error.find(line), std::string::npos)
        << (c.environment.empty() ? "" : c.environment[0].second) << ": " << run.error;
  }
  DetachedOptions options;
  options.environment = {
      {"WINEDEBUG", "-all"}, {"WINEDLLOVERRIDES", "mscoree,mshtml="}, {"LANGUAGE", "de"}};
  options.deadlineMs = kFirstScreenMs;
  DetachedRun help = RunDetached(wine, {exe, "--help"}, options);
  EXPECT_TRUE(help.output.starts_with("Aufruf: kippfeld [OPTION]...\r\n")) << help.output;
  EXPECT_NE(help.output.find("zwoelf Zielbilder"), std::string::npos) << help.output;
}

}  // namespace
}  // namespace kippfeld::e2e
