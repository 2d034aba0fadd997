// What the game's end-to-end tests share: starting the game in a terminal of
// 80 x 25, getting to the playing screen, and checking that the terminal was
// given back the way it was found.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "pty_session.h"

namespace kippfeld::e2e {

// Palette indices of the two colours the board uses.
constexpr int kCyan = 6;
constexpr int kLightGrey = 7;

inline constexpr const char* kUp = "\x1b[A";
inline constexpr const char* kDown = "\x1b[B";
inline constexpr const char* kRight = "\x1b[C";
inline constexpr const char* kLeft = "\x1b[D";
inline constexpr const char* kHome = "\x1b[H";
inline constexpr const char* kPageDown = "\x1b[6~";

inline std::unique_ptr<PtySession> StartGame(const SessionOptions& options = {}) {
  return std::make_unique<PtySession>(KIPPFELD_BINARY, options);
}

// From the introduction to the first playing screen.
inline ::testing::AssertionResult ReachPlayingScreen(PtySession& s) {
  if (!s.WaitForText(23, 1, "  Abbruch jederzeit mit ESC"))
    return ::testing::AssertionFailure() << "no introduction: " << s.RowText(2);
  s.Send(" ");
  if (!s.WaitForText(16, 5, " Aufgabe  0  : \u00dcbungsmodus"))
    return ::testing::AssertionFailure() << "no playing screen: " << s.RowText(16);
  if (!s.WaitForCursor(10, 9)) return ::testing::AssertionFailure() << "cursor not on cell 3";
  return ::testing::AssertionSuccess();
}

// The move counters of row 18, columns 5 to 31: " Zug Nr. ", the total's
// number text from column 14, blanks to the print zone at column 29 and the
// task's count there (for one-digit counts).
inline std::string MoveLine(PtySession& s) {
  return s.TextAt(18, 5, 27);
}
inline std::string Moves(int total, int task) {
  return " Zug Nr.  " + std::to_string(total) + " " + std::string(12, ' ') + " " +
         std::to_string(task) + " ";
}

// The whole screen, for failure messages.
inline std::string Dump(PtySession& s) {
  std::string text;
  for (int row = 1; row <= s.Rows(); ++row) text.append("|").append(s.RowText(row)).append("|\n");
  return text;
}

// The nine digits, top row first, as "000/000/000".
inline std::string Board(PtySession& s) {
  std::string board;
  for (int row : {6, 8, 10}) {
    if (!board.empty()) board += '/';
    for (int column : {9, 19, 29}) board += s.TextAt(row, column, 1);
  }
  return board;
}

// The results screen ignores input for its first half second; keys are sent
// until one is taken.
inline bool EndFromResults(PtySession& s) {
  for (int attempt = 0; attempt < 50 && !s.Exited(); ++attempt) {
    s.Send("x");
    s.WaitExit(200);
  }
  return s.Exited();
}

// Settings as before, mouse reports off, cursor shown, alternate screen
// left, and the pen back to the terminal's default colours.
inline void ExpectTerminalGivenBack(PtySession& s) {
  EXPECT_TRUE(SameSettings(s.SettingsAtStart(), s.SettingsNow())) << "terminal settings changed";
  EXPECT_EQ(s.MouseMode(), 0) << "mouse reports still on";
  EXPECT_TRUE(s.CursorVisible()) << "cursor left hidden";
  EXPECT_FALSE(s.AlternateScreen()) << "alternate screen not left";
  s.Emulate("\x1b[1;1HX");
  ScreenCell cell = s.CellAt(1, 1);
  EXPECT_EQ(cell.foreground, -1) << "colours not reset";
  EXPECT_EQ(cell.background, -1) << "colours not reset";
  EXPECT_FALSE(cell.bold);
}

}  // namespace kippfeld::e2e
