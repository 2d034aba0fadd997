#include "game/screens.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "console/clock.h"
#include "console/numbers.h"
#include "console/screen.h"
#include "game/screen_text.h"

namespace kippfeld::game {

namespace {

// The introduction, one text per screen row from row 1; an empty text is a
// bare new line. Bytes are code page 850: 0x84 is the small a umlaut, 0x81
// the small u umlaut, 0xFC the superscript three. Escapes stand in literals
// of their own where the next letter is a hex digit ("\x81ben" would be one
// escape). The example picture is task 11's, at columns 9, 17 and 25, and
// what each kind of cell's move does starts at column 25, in either language.
constexpr std::array<ScreenText, 23> kIntroductionRows = {{
    {"", ""},
    {"        Spielfeld:", "        Playing field:"},
    {"", ""},
    {"", ""},
    {"        0       0       1", "        0       0       1"},
    {"", ""},
    {"        0       1       0", "        0       1       0"},
    {"", ""},
    {"        1       0       0", "        1       0       0"},
    {"", ""},
    {"", ""},
    {" erreiche geforderte Bilder (12 stk.):",
     " Make the field show the pictures asked for (12 in all):"},
    {"  z.B. alles 1, alles ausser mitte 0, nur mittelfeld 1....",
     "  e.g. all 1, all but the middle 0, only the middle 1 ..."},
    {"", ""},
    {" Funktionen:", " Moves:"},
    {" Eckpunkte              \x84ndern sich und alle benachbarten felder",
     " Corners                flip themselves and all their neighbours"},
    {" Mittelpunkt            \x84ndert sich und diagonale felder",
     " Centre                 flips itself and its diagonal neighbours"},
    {" mittlere Randfelder    \x84ndern sich und Horiz./Vert. benachbarte Felder",
     " Middle edge cells      flip themselves and horiz./vert. neighbours"},
    {"", ""},
    {" umwandlungsfelder sind Farblich gekennzeichnet",
     " The cells a move would flip are shown in colour"},
    {" \xFC"
     "\x81"
     "ben sie erst solange sie wollen, dann mit Taste P Test beginnen",
     " Practise for as long as you like, then press P to start the test"},
    {"", ""},
    {"  Abbruch jederzeit mit ESC", "  Press ESC to stop at any time"},
}};

// The widest German row: a screen of that many columns shows the whole
// introduction, and so it must in English.
constexpr bool FitsTheGermanWidth() {
  std::size_t widest = 0;
  for (const ScreenText& row : kIntroductionRows) widest = std::max(widest, row.german.size());
  for (const ScreenText& row : kIntroductionRows) {
    if (row.english.size() > widest) return false;
  }
  return true;
}
static_assert(FitsTheGermanWidth());

// The playing screen's words: the status lines' and the OK signal. Each
// takes the German one's cells, so the numbers after it stay at columns 14
// and 29 and the task's name at column 20.
struct PlayingTexts {
  ScreenText task;
  ScreenText nameSeparator;
  ScreenText moves;
  ScreenText ok;
};

constexpr PlayingTexts kTexts = {
    {" Aufgabe ", "    Task "},
    {" : ", " : "},
    {" Zug Nr. ", "   Moves "},
    {" OK", " OK"},
};
static_assert(SameRoom(std::array{kTexts.task, kTexts.nameSeparator, kTexts.moves, kTexts.ok}));

constexpr std::int32_t kLightGrey = 7;
constexpr std::int32_t kBlack = 0;
constexpr std::int32_t kKeepColour = -1;  // out of 0..15: SetColour keeps it

// Game numbers held in single-precision variables show kStoredDigits,
// computed values (the shown digit is an absolute value) kComputedDigits.
using console::kComputedDigits;
using console::kStoredDigits;

constexpr std::int32_t kStatusRow = 16;
constexpr std::int32_t kMoveRow = 18;
constexpr std::int32_t kStatusColumn = 5;
constexpr std::int32_t kOkPauseMs = 2000;

// The board is drawn from the top-left cell, so cell numbers run backwards.
constexpr std::array<int, 9> kDrawingOrder = {9, 8, 7, 6, 5, 4, 3, 2, 1};

std::int32_t ScreenCoordinate(float value) {
  return static_cast<std::int32_t>(std::lrint(value));
}

}  // namespace

void DrawIntroduction(Language language) {
  // No colour is set here: the introduction shows in the colours in force
  // since start-up.
  console::ClearScreen();
  for (const ScreenText& row : kIntroductionRows) {
    console::WriteText(row.In(language));
    console::NewLine();
  }
}

void DrawPlayingScreen(const Board& board, const Cursor& cursor) {
  console::SetColour(kLightGrey, kBlack, 0);
  console::ClearScreen();
  for (int i = 0; i < 5; ++i) console::NewLine();
  const HighlightColours highlight = ComputeHighlightColours(cursor.positionCode);
  for (int cell : kDrawingOrder) {
    const float colour = highlight.colours[static_cast<std::size_t>(cell)];
    console::SetColour(ScreenCoordinate(colour), kKeepColour, 0);
    console::WriteText("       ");
    console::WriteNumber(ShownDigit(board, cell), kComputedDigits);
    // Rows 7 and 9 stay empty, so the digits land on rows 6, 8 and 10.
    if (cell == 7 || cell == 4) {
      console::NewLine();
      console::NewLine();
    }
  }
  console::SetColour(kLightGrey, kBlack, 0);
}

void ShowOkSignal(Language language) {
  const std::string_view ok = kTexts.ok.In(language);
  console::MoveTo(kStatusRow, 1);
  console::WriteText(ok);
  console::Pause(kOkPauseMs);
  console::MoveTo(kStatusRow, 1);
  console::WriteText(std::string(ok.size(), ' '));
}

void WriteStatusLines(float currentTask, std::string_view taskName, float moveTotal,
                      float taskMoves, Language language) {
  console::MoveTo(kStatusRow, kStatusColumn);
  console::WriteText(kTexts.task.In(language));
  console::WriteNumber(currentTask, kStoredDigits);
  console::WriteText(kTexts.nameSeparator.In(language));
  console::WriteText(taskName);
  console::NewLine();

  console::MoveTo(kMoveRow, kStatusColumn);
  console::WriteText(kTexts.moves.In(language));
  console::WriteNumber(moveTotal, kStoredDigits);
  // The print zone keeps the task's count at column 29 however wide the
  // total grows (up to seven digits).
  console::NextPrintZone();
  console::WriteNumber(taskMoves, kStoredDigits);
  console::NewLine();
}

void PlaceCursor(const Cursor& cursor) {
  console::MoveTo(ScreenCoordinate(cursor.row), ScreenCoordinate(cursor.column));
}

}  // namespace kippfeld::game
