#include "platform/terminal/terminal_screen.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "platform/cp850.h"
#include "platform/terminal/terminal_type.h"
#include "words/words.h"

// Last, for its macros (move, clear, erase, OK...) would hit any header after it.
#define NCURSES_WIDECHAR 1
#include <curses.h>
#include <term.h>  // tputs; its capability macros are long names nothing here uses

namespace kippfeld::platform {

namespace {

// Console colour bits 0..2 (blue, green, red) to curses colours (red, green, blue).
constexpr int kCursesOfConsole[8] = {
    COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
    COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE,
};

// The width of the screens the game draws.
constexpr int kGameWidth = 80;

// The light grey of ordinary text: what every other foreground stands out from.
constexpr int kScreenForeground = 7;

// The colours of curses' pair 0: the screen's own light grey on black.
constexpr int kPairZeroForeground = COLOR_WHITE;
constexpr int kPairZeroBackground = COLOR_BLACK;

// Above this size the console's cursor fills most of the cell; curses calls
// that shape "very visible".
constexpr int kLargeCursorSize = 50;

// What a cell looks like, as a key that is equal for cells that show the
// same. A blank shows only its background, so its foreground is left out:
// the game writes the blanks around a digit in the digit's colour, and a
// change of highlight would otherwise repaint them all for nothing.
std::uint16_t LookOf(const Cell& cell, const std::array<char32_t, 256>& glyphs) {
  std::uint8_t attribute = cell.attribute;
  if (glyphs[cell.character] == U' ') attribute = static_cast<std::uint8_t>((attribute & 0xF0) | 7);
  return static_cast<std::uint16_t>(attribute << 8 | cell.character);
}

const char* StringCapability(const char* name) {
  const char* value = tigetstr(name);
  return value != reinterpret_cast<const char*>(-1) ? value : nullptr;
}

// Where tputs puts what it expands; tputs knows only a character callback.
std::string* gExpanded = nullptr;

int CollectExpanded(int character) {
  gExpanded->push_back(static_cast<char>(character));
  return character;
}

// Appends a capability as it would go to the terminal: tputs drops padding
// delays such as vt100's "$<2>", which would otherwise show as text.
void AppendExpanded(std::string& out, const char* value) {
  if (value == nullptr) return;
  gExpanded = &out;
  tputs(value, 1, CollectExpanded);
  gExpanded = nullptr;
}

void Append(std::string& out, const char* name) {
  AppendExpanded(out, StringCapability(name));
}

attr_t CursesAttribute(Emphasis emphasis) {
  switch (emphasis) {
    case Emphasis::kBold:
      return A_BOLD;
    case Emphasis::kUnderline:
      return A_UNDERLINE;
    case Emphasis::kStandout:
      return A_STANDOUT;
    case Emphasis::kNone:
      break;
  }
  return A_NORMAL;
}

}  // namespace

ScreenSize CursesSize(int terminalWidth, int terminalHeight) {
  int width = std::clamp(terminalWidth, 1, kMaxCursesSide);
  int height = std::clamp(terminalHeight, 1, kMaxCursesSide);
  if (width * height > kMaxCursesCells) {
    width = std::max(std::min(width, kGameWidth), kMaxCursesCells / height);
    height = std::min(height, kMaxCursesCells / width);
  }
  return {width, height};
}

int CursesColour(int consoleColour) {
  return kCursesOfConsole[consoleColour & 7] | (consoleColour & 8);
}

Emphasis MonochromeEmphasis(const VideoAttributes& available) {
  if (available.bold) return Emphasis::kBold;
  if (available.underline) return Emphasis::kUnderline;
  if (available.standout) return Emphasis::kStandout;
  return Emphasis::kNone;
}

TerminalColours ColoursOfAttribute(std::uint8_t attribute, int colourCount, Emphasis monochrome) {
  int foreground = attribute & 15;
  int background = attribute >> 4;
  if (colourCount <= 0)
    return {-1, -1, foreground != kScreenForeground ? monochrome : Emphasis::kNone};
  if (colourCount >= 16)
    return {CursesColour(foreground), CursesColour(background), Emphasis::kNone};
  return {CursesColour(foreground & 7), CursesColour(background & 7),
          (foreground & 8) != 0 ? Emphasis::kBold : Emphasis::kNone};
}

std::array<char32_t, 256> GlyphTable(bool (*canShow)(char32_t)) {
  std::array<char32_t, 256> table{};
  for (int byte = 0; byte < 256; ++byte) {
    char32_t glyph = Cp850ToUnicode(static_cast<std::uint8_t>(byte));
    table[byte] = canShow(glyph) ? glyph : Cp850AsciiStandIn(static_cast<std::uint8_t>(byte));
  }
  return table;
}

bool LocaleCanShow(char32_t codePoint) {
  wchar_t wide = static_cast<wchar_t>(codePoint);
  char encoded[MB_LEN_MAX];
  std::mbstate_t state{};
  if (std::wcrtomb(encoded, wide, &state) == static_cast<std::size_t>(-1)) return false;
  return wcwidth(wide) == 1;
}

struct CursesScreen::State {
  SCREEN* screen = nullptr;
  FILE* file = nullptr;
  int colourCount = 0;
  Emphasis monochrome = Emphasis::kNone;
  std::array<char32_t, 256> glyphs{};
  // Per text attribute: the curses attributes and colour pair, found on
  // first use. A pair that alloc_pair recycles on an 8-colour terminal (63
  // pairs for 64 combinations) can only be one no longer cached here if all
  // 64 are in use, which no screen of the game comes near.
  std::array<int, 256> pairs{};
  std::array<attr_t, 256> attributes{};
  std::array<bool, 256> styled{};
  std::vector<std::uint16_t> shown;  // LookOf each cell as curses last got it
  int shownWidth = 0;
  bool repaintAll = true;
  int cursorVisibility = -1;

  void Style(std::uint8_t attribute) {
    if (styled[attribute]) return;
    TerminalColours colours = ColoursOfAttribute(attribute, colourCount, monochrome);
    attributes[attribute] = CursesAttribute(colours.emphasis);
    int pair = 0;
    // Light grey on black, the look of most cells, is pair 0 itself: curses
    // ends every update by putting the terminal back to pair 0 (and costs
    // some 24 bytes to do so from any other pair), so an answer that ends on
    // a light grey cell ends without that reset.
    bool pairZero =
        colours.foreground == kPairZeroForeground && colours.background == kPairZeroBackground;
    if (colourCount > 0 && !pairZero) pair = alloc_pair(colours.foreground, colours.background);
    pairs[attribute] = pair > 0 ? pair : 0;
    styled[attribute] = true;
  }

  void Draw(int x, int y, const Cell& cell) {
    std::uint8_t attribute = static_cast<std::uint8_t>(LookOf(cell, glyphs) >> 8);
    Style(attribute);
    wchar_t text[2] = {static_cast<wchar_t>(glyphs[cell.character]), L'\0'};
    cchar_t character;
    // The pair goes in setcchar's own argument: COLOR_PAIR() keeps 8 bits.
    setcchar(&character, text, attributes[attribute], static_cast<short>(pairs[attribute]),
             nullptr);
    // In the bottom-right cell curses stores the glyph and then reports that
    // the cursor cannot wrap; the cell is drawn all the same.
    mvwadd_wch(stdscr, y, x, &character);
  }
};

CursesScreen::CursesScreen() : state_(std::make_unique<State>()) {}

CursesScreen::~CursesScreen() {
  Close();
}

bool CursesScreen::IsOpen() const {
  return state_->screen != nullptr;
}

bool CursesScreen::Open(int fd, std::string& error) {
  // Curses takes the window's size itself at the start and fails on one it
  // cannot hold; such a size reaches it cut, through the variables that
  // override the window's size. (Starting it at another size and resizing
  // at once would leave the terminal's scrolling region at the wrong size.)
  winsize size{};
  if (ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 && size.ws_row > 0) {
    const ScreenSize fitted = CursesSize(size.ws_col, size.ws_row);
    if (fitted != ScreenSize{size.ws_col, size.ws_row}) {
      setenv("COLUMNS", std::to_string(fitted.width).c_str(), 1);
      setenv("LINES", std::to_string(fitted.height).c_str(), 1);
    }
  }
  // Decided before newterm, which may already write to the terminal.
  error = TerminalTypeProblem(std::getenv("TERM"), fd);
  if (!error.empty()) return false;
  // Curses needs the player's character set to draw wide characters; only
  // that, so that the numbers the program writes after the game keep the C
  // locale's point whatever LC_NUMERIC says.
  std::setlocale(LC_CTYPE, "");
  int own = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  state_->file = own >= 0 ? fdopen(own, "r+") : nullptr;
  if (state_->file == nullptr) {
    if (own >= 0) close(own);
    error = _("cannot use the terminal");
    return false;
  }
  state_->screen = newterm(nullptr, state_->file, state_->file);
  if (state_->screen == nullptr) {
    const char* type = std::getenv("TERM");
    error = type != nullptr
                ? words::Fill(_("unknown terminal type {1}"), {std::string("TERM=") + type})
                : _("unknown terminal type TERM=(not set)");
    std::fclose(state_->file);
    state_->file = nullptr;
    return false;
  }
  set_term(state_->screen);
  raw();
  noecho();
  nonl();
  // Curses would stop drawing whenever input is waiting: a burst of mouse
  // reports then starves the screen.
  typeahead(-1);
  leaveok(stdscr, FALSE);
  scrollok(stdscr, FALSE);

  // raw() leaves the extended input processing on: Ctrl+V, Ctrl+O and the
  // CR/NL translations must reach the decoder untouched too.
  termios settings;
  if (tcgetattr(fd, &settings) == 0) {
    settings.c_iflag &= ~(IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT);
    settings.c_lflag &= ~(ICANON | ECHO | ISIG | IEXTEN);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    tcsetattr(fd, TCSANOW, &settings);
    def_prog_mode();
  }

  if (has_colors() && start_color() == OK) {
    state_->colourCount = COLORS;
    // Pair 0 in explicit colours, not the terminal's defaults, so that it
    // looks like every other light grey on black cell on any terminal.
    assume_default_colors(kPairZeroForeground, kPairZeroBackground);
  }
  state_->monochrome =
      MonochromeEmphasis({StringCapability("bold") != nullptr, StringCapability("smul") != nullptr,
                          StringCapability("smso") != nullptr});
  state_->glyphs = GlyphTable(LocaleCanShow);
  state_->repaintAll = true;
  return true;
}

void CursesScreen::Close() {
  if (state_->screen == nullptr) return;
  set_term(state_->screen);
  // endwin resets the attributes and colours, shows the cursor, leaves the
  // alternate screen and restores the settings curses found at the start.
  endwin();
  delscreen(state_->screen);
  state_->screen = nullptr;
  std::fclose(state_->file);
  state_->file = nullptr;
}

int CursesScreen::Width() const {
  return state_->screen ? std::max(getmaxx(stdscr), 1) : 1;
}

int CursesScreen::Height() const {
  return state_->screen ? std::max(getmaxy(stdscr), 1) : 1;
}

void CursesScreen::Resize(int width, int height) {
  if (state_->screen == nullptr) return;
  const ScreenSize size = CursesSize(width, height);
  // Curses grows one side at a time: from wide and low to narrow and tall
  // it would pass through the tall and wide screen, gigabytes at these
  // sizes. Shrinking first keeps every step within the larger of the two.
  resizeterm(std::min(size.height, Height()), std::min(size.width, Width()));
  resizeterm(size.height, size.width);
  clearok(curscr, TRUE);
  state_->repaintAll = true;
}

void CursesScreen::Present(const CellBuffer& buffer, int cursorX, int cursorY, CursorShape shape) {
  State& s = *state_;
  if (s.screen == nullptr) return;
  int width = std::min(buffer.Width(), Width());
  int height = std::min(buffer.Height(), Height());
  std::size_t count = static_cast<std::size_t>(width) * height;
  if (s.shown.size() != count || s.shownWidth != width) {
    s.shown.assign(count, 0);
    s.shownWidth = width;
    s.repaintAll = true;
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const Cell& cell = buffer.At(x, y);
      std::uint16_t look = LookOf(cell, s.glyphs);
      std::uint16_t& shown = s.shown[static_cast<std::size_t>(y) * width + x];
      if (!s.repaintAll && shown == look) continue;
      s.Draw(x, y, cell);
      shown = look;
    }
  }
  s.repaintAll = false;

  int visibility = !shape.visible ? 0 : shape.size > kLargeCursorSize ? 2 : 1;
  // Hide before drawing and show after, so the cursor never runs across the
  // screen while curses paints.
  if (visibility == 0 && s.cursorVisibility != 0) curs_set(0);
  wmove(stdscr, std::clamp(cursorY, 0, height - 1), std::clamp(cursorX, 0, width - 1));
  wnoutrefresh(stdscr);
  doupdate();
  if (visibility != 0 && s.cursorVisibility != visibility) {
    if (curs_set(visibility) == ERR && visibility == 2) curs_set(1);
  }
  s.cursorVisibility = visibility;
}

void CursesScreen::RepaintAll() {
  State& s = *state_;
  if (s.screen == nullptr) return;
  set_term(s.screen);
  clearok(curscr, TRUE);
  s.repaintAll = true;
  // The terminal shows the cursor since the stop, while curses believes it
  // hidden and would not hide it again: make curses' belief the truth first.
  curs_set(1);
  s.cursorVisibility = -1;
}

std::string CursesScreen::TakeString() const {
  std::string take;
  if (state_->screen == nullptr) return take;
  set_term(state_->screen);
  Append(take, "smcup");
  return take;
}

std::string CursesScreen::ResetString() const {
  std::string reset;
  if (state_->screen == nullptr) return reset;
  set_term(state_->screen);
  Append(reset, "sgr0");
  Append(reset, "op");
  if (const char* move = StringCapability("cup"))
    AppendExpanded(reset, tiparm(move, Height() - 1, 0));
  Append(reset, "cnorm");
  Append(reset, "rmcup");
  return reset;
}

}  // namespace kippfeld::platform
