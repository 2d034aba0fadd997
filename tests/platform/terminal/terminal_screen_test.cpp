// The mapping from console cells to what curses is given: colour numbers,
// the 8-colour fallback, and the glyph table's ASCII stand-ins for what a
// locale cannot show. The drawing itself is covered by the end-to-end tests.
#include "platform/terminal/terminal_screen.h"

#include <gtest/gtest.h>

#include "platform/cp850.h"

namespace kippfeld::platform {
namespace {

TEST(TerminalColoursTest, ConsoleColoursSwapRedAndBlueBits) {
  // Console: 1 blue, 3 cyan, 4 red, 6 brown; ANSI: 1 red, 3 yellow, 4 blue, 6 cyan.
  const int expected[16] = {0, 4, 2, 6, 1, 5, 3, 7, 8, 12, 10, 14, 9, 13, 11, 15};
  for (int colour = 0; colour < 16; ++colour)
    EXPECT_EQ(CursesColour(colour), expected[colour]) << colour;
}

TEST(TerminalColoursTest, AttributesOnTerminalsWithSixteenEightAndNoColours) {
  constexpr Emphasis kNone = Emphasis::kNone;
  constexpr Emphasis kBold = Emphasis::kBold;
  struct Case {
    std::uint8_t attribute;
    int colours;
    Emphasis monochrome;
    TerminalColours expected;
  };
  const Case cases[] = {
      {0x03, 256, kBold, {6, 0, kNone}},               // the game's cyan on black
      {0x07, 16, kBold, {7, 0, kNone}},                // light grey on black
      {0x9E, 256, kBold, {11, 12, kNone}},             // yellow on bright blue
      {0x0B, 8, kBold, {6, 0, kBold}},                 // bright cyan: cyan, bold
      {0x9E, 8, kBold, {3, 4, kBold}},                 // bright background loses its intensity
      {0x0B, 8, Emphasis::kUnderline, {6, 0, kBold}},  // colours need no monochrome emphasis
      // Without colours every foreground but light grey stands out, in the
      // emphasis the terminal has; the background does not count.
      {0x07, 0, kBold, {-1, -1, kNone}},
      {0x70, 0, kBold, {-1, -1, kBold}},
      {0x03, 0, kBold, {-1, -1, kBold}},
      {0x0F, 0, kBold, {-1, -1, kBold}},
      {0x17, 0, kBold, {-1, -1, kNone}},
      {0x03, 0, Emphasis::kUnderline, {-1, -1, Emphasis::kUnderline}},
      {0x03, 0, Emphasis::kStandout, {-1, -1, Emphasis::kStandout}},
      {0x03, 0, kNone, {-1, -1, kNone}},
  };
  for (const Case& c : cases) {
    TerminalColours got = ColoursOfAttribute(c.attribute, c.colours, c.monochrome);
    SCOPED_TRACE(testing::Message() << "attribute " << int(c.attribute) << " on " << c.colours
                                    << " colours, monochrome " << int(c.monochrome));
    EXPECT_EQ(got.foreground, c.expected.foreground);
    EXPECT_EQ(got.background, c.expected.background);
    EXPECT_EQ(got.emphasis, c.expected.emphasis);
  }
}

TEST(TerminalColoursTest, MonochromeEmphasisIsTheBestTheTerminalHas) {
  struct Case {
    VideoAttributes available;
    Emphasis expected;
  };
  const Case cases[] = {
      {{true, true, true}, Emphasis::kBold},        {{true, false, false}, Emphasis::kBold},
      {{true, false, true}, Emphasis::kBold},       {{false, true, true}, Emphasis::kUnderline},
      {{false, true, false}, Emphasis::kUnderline}, {{false, false, true}, Emphasis::kStandout},
      {{false, false, false}, Emphasis::kNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MonochromeEmphasis(c.available), c.expected)
        << "bold " << c.available.bold << ", underline " << c.available.underline << ", standout "
        << c.available.standout;
  }
}

TEST(CursesSizeTest, SizesCursesCannotHoldAreCutKeepingTheGamesCorner) {
  struct Case {
    int width;
    int height;
    ScreenSize expected;
  };
  const Case cases[] = {
      {80, 25, {80, 25}},
      {1, 1, {1, 1}},
      {0, 0, {1, 1}},
      {-5, 30, {1, 30}},
      {1000, 524, {1000, 524}},
      {16, 32767, {16, 32767}},  // at the limit of a short, within the area
      {16, 32768, {16, 32767}},  // one past it
      {1, 65535, {1, 32767}},
      {32767, 16, {32767, 16}},
      {32768, 16, {32767, 16}},
      {65535, 1, {32767, 1}},
      {32767, 25, {20971, 25}},  // too large an area: cut beyond column 80
      {32768, 25, {20971, 25}},
      {80, 32767, {80, 6553}},
      {80, 32768, {80, 6553}},
      {32767, 32767, {80, 6553}},
      {65535, 65535, {80, 6553}},
      {1000, 1000, {524, 1000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    const ScreenSize got = CursesSize(c.width, c.height);
    EXPECT_EQ(got.width, c.expected.width);
    EXPECT_EQ(got.height, c.expected.height);
    EXPECT_LE(got.width * got.height, kMaxCursesCells);
    // The part the game draws on is never cut.
    EXPECT_GE(got.width, std::min(std::max(c.width, 1), 80));
    EXPECT_GE(got.height, std::min(std::max(c.height, 1), 25));
  }
}

TEST(GlyphTableTest, WhatTheLocaleCannotShowBecomesItsAsciiStandIn) {
  auto asciiOnly = [](char32_t c) { return c < 0x80; };
  std::array<char32_t, 256> table = GlyphTable(asciiOnly);
  EXPECT_EQ(table['A'], U'A');
  EXPECT_EQ(table[0], U' ') << "byte 0 shows as a blank";
  for (int byte = 0; byte < 256; ++byte) {
    const char32_t glyph = Cp850ToUnicode(static_cast<std::uint8_t>(byte));
    const char32_t expected =
        glyph < 0x80 ? glyph
                     : static_cast<char32_t>(Cp850AsciiStandIn(static_cast<std::uint8_t>(byte)));
    EXPECT_EQ(table[byte], expected) << byte;
  }

  std::array<char32_t, 256> full = GlyphTable([](char32_t) { return true; });
  for (int byte = 0; byte < 256; ++byte) {
    EXPECT_EQ(full[byte], Cp850ToUnicode(static_cast<std::uint8_t>(byte)));
    // No glyph may be a control character that would reach the terminal raw.
    EXPECT_FALSE(full[byte] < 0x20 || (full[byte] >= 0x7F && full[byte] < 0xA0)) << byte;
  }
}

}  // namespace
}  // namespace kippfeld::platform
