// Shows the cell buffer on the terminal through curses: each cell's byte as
// one glyph of width 1, its attribute as a colour pair. Curses keeps what the
// terminal shows and sends only the difference, so the complete redraw the
// game does after every input costs the terminal only the cells that changed.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "console/platform.h"
#include "platform/cell_buffer.h"

namespace kippfeld::platform {

// The console numbers its colours blue, green, red from bit 0 up; curses
// (and the ANSI colour numbers behind it) red, green, blue. Intensity is bit
// 3 in both.
int CursesColour(int consoleColour);

// A video attribute that sets a cell apart where colour cannot.
enum class Emphasis { kNone, kBold, kUnderline, kStandout };

// The video attributes a terminal has (its bold, smul and smso capabilities).
struct VideoAttributes {
  bool bold = false;
  bool underline = false;
  bool standout = false;
};

// What a terminal without colours draws a cell of another colour with:
// bold, else underline, else standout; none when it has none of them.
Emphasis MonochromeEmphasis(const VideoAttributes& available);

struct TerminalColours {
  int foreground = 7;  // curses colour numbers, -1 on a terminal without colour
  int background = 0;
  Emphasis emphasis = Emphasis::kNone;
};

// The colours for a text attribute on a terminal with colourCount colours.
// With fewer than 16, bright foregrounds are drawn bold in the normal colour
// and bright backgrounds lose their intensity, as on a VGA text screen with
// blinking enabled. Without colours, every foreground but the screen's light
// grey is drawn with the monochrome emphasis, so that the cells the game
// highlights stay told apart.
TerminalColours ColoursOfAttribute(std::uint8_t attribute, int colourCount,
                                   Emphasis monochrome = Emphasis::kBold);

// The glyph of every byte, with its ASCII stand-in for any the locale cannot
// show in one column (a C locale encodes nothing beyond ASCII).
std::array<char32_t, 256> GlyphTable(bool (*canShow)(char32_t));
// Whether the current locale encodes the code point and shows it in one column.
bool LocaleCanShow(char32_t codePoint);

// A size in columns and rows.
struct ScreenSize {
  int width = 0;
  int height = 0;
  bool operator==(const ScreenSize&) const = default;
};

// Curses keeps its coordinates in a short: a screen of 32,768 columns or
// rows would crash it. And each cell costs it some 30 bytes in each of its
// three screens, so the area is bounded as well, by far more than any
// window shows. A larger terminal is drawn as if it were smaller: the game
// sees its top-left part, which holds the 80 x 25 the game draws on.
inline constexpr int kMaxCursesSide = 32767;
inline constexpr int kMaxCursesCells = 1 << 19;
// The size curses is given for a terminal of that many columns and rows:
// each side from 1 to kMaxCursesSide, the area within kMaxCursesCells, cut
// where the game does not draw (beyond column 80 first).
ScreenSize CursesSize(int terminalWidth, int terminalHeight);

class CursesScreen {
 public:
  CursesScreen();
  ~CursesScreen();
  CursesScreen(const CursesScreen&) = delete;
  CursesScreen& operator=(const CursesScreen&) = delete;

  // Starts curses on the terminal fd (on a duplicate of its own, so the fd
  // stays the caller's): raw input, no echo, the alternate screen, colours.
  // On failure error says why.
  bool Open(int fd, std::string& error);
  // Gives the terminal back (colours, cursor, alternate screen, the settings
  // curses found). Safe to call twice.
  void Close();
  bool IsOpen() const;

  // The size curses believes the terminal has.
  int Width() const;
  int Height() const;
  // Takes a new size after a resize (cut to CursesSize); the next Present
  // repaints everything, since the terminal may have rearranged or cleared
  // what it showed.
  void Resize(int width, int height);

  // Brings the terminal up to date with the buffer, the cursor position and
  // the cursor's shape; sends only what changed since the last call.
  void Present(const CellBuffer& buffer, int cursorX, int cursorY, CursorShape shape);

  // The next Present draws every cell and the cursor's shape again: the
  // terminal was given back and taken again behind curses' back.
  void RepaintAll();

  // Bytes that give the terminal back without curses (for signal handlers):
  // attributes and colours reset, the cursor at the start of the bottom line
  // and shown, alternate screen left. As at the normal end, the cursor is
  // then below the game's picture wherever the terminal has no alternate
  // screen to take the picture away. Depends on the size.
  std::string ResetString() const;
  // Bytes that take it again after a stop: the alternate screen. What the
  // screen shows is left to a repaint.
  std::string TakeString() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace kippfeld::platform
