// Every byte a cell can hold, drawn through the terminal backend alone: one
// glyph of width 1 each, never the raw byte; and the colours of every
// attribute on 256- and 8-colour terminals.
#include <gtest/gtest.h>

#include <string>

#include "platform/cp850.h"
#include "pty_session.h"

namespace kippfeld::e2e {
namespace {

using platform::Cp850AsciiStandIn;
using platform::Cp850ToUnicode;

// Console colour number to the terminal's palette index (1 and 4, 3 and 6 swap).
int PaletteOf(int colour) {
  constexpr int kLow[8] = {0, 4, 2, 6, 1, 5, 3, 7};
  return kLow[colour & 7] | (colour & 8);
}

// The code points of a UTF-8 stream; escape sequences are ASCII and come
// through as themselves.
std::u32string DecodeUtf8(const std::string& bytes) {
  std::u32string out;
  for (std::size_t i = 0; i < bytes.size();) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
    char32_t c = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < bytes.size(); ++k)
      c = (c << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    out += c;
    i += extra + 1;
  }
  return out;
}

class GlyphProbe : public ::testing::Test {
 protected:
  void Start(const SessionOptions& options) {
    session_ = std::make_unique<PtySession>(KIPPFELD_GLYPH_PROBE, options);
    ASSERT_TRUE(session_->WaitForText(1, 21, "ready")) << session_->RowText(1);
    session_->Settle(100);
  }
  void TearDown() override {
    if (!session_) return;
    session_->Send("q");
    EXPECT_TRUE(session_->WaitExit());
  }
  std::unique_ptr<PtySession> session_;
};

TEST_F(GlyphProbe, EveryByteIsOneGlyphAndNoControlByteReachesTheTerminal) {
  Start({});
  PtySession& s = *session_;
  for (int byte = 0; byte < 256; ++byte) {
    ScreenCell cell = s.CellAt(2 + byte / 16, 3 + byte % 16);
    char32_t expected = Cp850ToUnicode(static_cast<std::uint8_t>(byte));
    char32_t shown = cell.glyph == 0 ? U' ' : cell.glyph;
    EXPECT_EQ(shown, expected) << "byte " << byte;
    EXPECT_EQ(cell.width, 1) << "byte " << byte;
  }
  // Had a raw 13, 10, 8 or 7 gone out, the rows after it would be displaced.
  EXPECT_EQ(s.TextAt(1, 21, 5), "ready");
  EXPECT_EQ(s.CellAt(25, 80).glyph, U'Z') << "bottom-right cell";

  // Curses moves the cursor with CR, LF, BS and TAB and starts sequences with
  // ESC; any other C0 or C1 control in the output could only be a cell's
  // byte sent raw.
  for (char32_t c : DecodeUtf8(s.Output())) {
    bool cursorMotion = c == 0x1B || c == '\r' || c == '\n' || c == '\b' || c == '\t';
    EXPECT_FALSE((c < 0x20 && !cursorMotion) || (c >= 0x7F && c < 0xA0))
        << "control U+" << std::hex << static_cast<int>(c) << " in the output";
  }
}

TEST_F(GlyphProbe, SixteenColoursOnA256ColourTerminal) {
  Start({});
  for (int colour = 0; colour < 16; ++colour) {
    ScreenCell fg = session_->CellAt(19, 3 + colour);
    EXPECT_EQ(fg.foreground, PaletteOf(colour)) << "foreground " << colour;
    EXPECT_EQ(fg.background, 0) << "foreground " << colour;
    EXPECT_FALSE(fg.bold) << "foreground " << colour;
    ScreenCell bg = session_->CellAt(20, 3 + colour);
    EXPECT_EQ(bg.background, PaletteOf(colour)) << "background " << colour;
    EXPECT_EQ(bg.foreground, 15) << "background " << colour;
  }
}

TEST_F(GlyphProbe, BrightForegroundIsBoldOnAnEightColourTerminal) {
  SessionOptions options;
  options.term = "xterm";
  Start(options);
  for (int colour = 0; colour < 16; ++colour) {
    ScreenCell fg = session_->CellAt(19, 3 + colour);
    EXPECT_EQ(fg.foreground, PaletteOf(colour & 7)) << "foreground " << colour;
    EXPECT_EQ(fg.bold, colour >= 8) << "foreground " << colour;
    ScreenCell bg = session_->CellAt(20, 3 + colour);
    EXPECT_EQ(bg.background, PaletteOf(colour & 7)) << "background " << colour;
  }
}

TEST_F(GlyphProbe, GlyphsTheLocaleCannotEncodeBecomeTheirAsciiStandIns) {
  SessionOptions options;
  options.locale = "C";
  Start(options);
  PtySession& s = *session_;
  for (int byte = 0; byte < 256; ++byte) {
    ScreenCell cell = s.CellAt(2 + byte / 16, 3 + byte % 16);
    const char32_t glyph = Cp850ToUnicode(static_cast<std::uint8_t>(byte));
    const char32_t expected =
        glyph < 0x80 ? glyph
                     : static_cast<char32_t>(Cp850AsciiStandIn(static_cast<std::uint8_t>(byte)));
    EXPECT_EQ(cell.glyph == 0 ? U' ' : cell.glyph, expected) << "byte " << byte;
  }
  // Nothing but ASCII went out.
  for (char c : s.Output()) EXPECT_EQ(static_cast<unsigned char>(c) & 0x80, 0) << "non-ASCII byte";
}

}  // namespace
}  // namespace kippfeld::e2e
