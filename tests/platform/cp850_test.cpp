#include "platform/cp850.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace kippfeld::platform {
namespace {

TEST(Cp850Test, KnownGlyphs) {
  struct Row {
    int byte;
    char32_t glyph;
  };
  const Row rows[] = {
      {0, U' '},         {1, U'\u263A'},    {13, U'\u266A'},   {20, U'\u00B6'},   {31, U'\u25BC'},
      {32, U' '},        {65, U'A'},        {126, U'~'},       {127, U'\u2302'},  {128, U'\u00C7'},
      {0x81, U'\u00FC'}, {0x84, U'\u00E4'}, {0x8E, U'\u00C4'}, {0x94, U'\u00F6'}, {0x99, U'\u00D6'},
      {0x9A, U'\u00DC'}, {0xC4, U'\u2500'}, {0xE1, U'\u00DF'}, {0xDB, U'\u2588'}, {0xD5, U'\u0131'},
      {0xF2, U'\u2017'}, {0xFF, U'\u00A0'},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Cp850ToUnicode(static_cast<std::uint8_t>(row.byte)), row.glyph) << row.byte;
  }
}

// The output draws every byte as one glyph; a control code point or a glyph
// shared by two bytes above 127 would corrupt the screen or the input.
TEST(Cp850Test, EveryByteHasAPrintableGlyphAndTheUpperHalfIsDistinct) {
  std::set<char32_t> upper;
  for (int byte = 0; byte < 256; ++byte) {
    const char32_t glyph = Cp850ToUnicode(static_cast<std::uint8_t>(byte));
    EXPECT_GE(glyph, U' ') << byte;
    EXPECT_FALSE(glyph >= 0x7F && glyph < 0xA0) << byte;
    if (byte >= 128) {
      EXPECT_TRUE(upper.insert(glyph).second) << byte;
    }
  }
}

TEST(Cp850Test, ReverseLookupRoundTripsAllBytesButTheBlankOfZero) {
  for (int byte = 1; byte < 256; ++byte) {
    const char32_t glyph = Cp850ToUnicode(static_cast<std::uint8_t>(byte));
    // 20 and 21 share their pictures with 244 and 245.
    const int expected = byte == 20 ? 244 : byte == 21 ? 245 : byte;
    EXPECT_EQ(UnicodeToCp850(glyph), expected) << byte;
  }
}

TEST(Cp850Test, ReverseLookupOfAsciiAndUnmapped) {
  EXPECT_EQ(UnicodeToCp850(U' '), 32);
  EXPECT_EQ(UnicodeToCp850(U'\r'), 13);
  EXPECT_EQ(UnicodeToCp850(0), 0);
  EXPECT_EQ(UnicodeToCp850(U'\u20AC'), -1);  // euro sign: not in this code page
  EXPECT_EQ(UnicodeToCp850(U'\u00C0'), 0xB7);
  EXPECT_EQ(UnicodeToCp850(0x110000), -1);
}

TEST(Cp850Test, TypedCharactersArriveAsTheirBytesAndPicturesOfControlBytesAsNothing) {
  struct Case {
    char32_t typed;
    int byte;
  };
  const Case cases[] = {
      {U'a', 'a'},       {U'\r', 13},         {0, 0},
      {U'\x1b', 27},     {U'\u00FC', 0x81},   {U'\u00DC', 0x9A},
      {U'\u00DF', 0xE1}, {U'\u00B3', 0xFC},   {U'\u00B6', 244},  // the picture of 20 too
      {U'\u266A', -1},   {U'\u263A', -1},     {U'\u2302', -1},   // pictures of 13, 1, 127
      {U'\u20AC', -1},   {U'\U0001F600', -1}, {0xD800, -1},      // euro, emoji, a surrogate
  };
  for (const Case& c : cases)
    EXPECT_EQ(TypedCp850(c.typed), c.byte) << "U+" << std::hex << static_cast<int>(c.typed);
}

// The stand-ins grouped by kind and found through the Unicode table, so that
// a row of the byte-ordered stand-in table that slipped by one place, or a
// glyph paired with the wrong letter, shows here; every byte is checked.
TEST(Cp850Test, EveryByteHasAPrintableAsciiStandInThatResemblesItsGlyph) {
  struct Group {
    const char* kind;
    std::u32string glyphs;
    std::string standIns;
  };
  const Group groups[] = {
      {"letters with accents and other Latin letters",
       U"ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜøØƒáíóúñÑªºÁÂÀãÃðÐÊËÈıÍÎÏÌÓßÔÒõÕµþÞÚÛÙýÝ",
       "CueaaaaceeeiiiAAEaAooouuyOUoOfaiounNaoAAAaAdDEEEiIIIIOsOOoOutTUUUyY"},
      {"box drawing", U"│║─═┤╣╗╝┐└┴┬├┼╚╔╩╦╠╬┘┌", "||-=++++++++++++++++++"},
      {"shades and blocks", U"░▒▓█▄▀■", "#######"},
      {"superscript digits", U"¹²³", "123"},
      {"signs", U"£×®¬¡«»©¢¥¤¦¯´±‗¶§÷¸°¨·¿", "LxR-!<>CcY*|-'+_PS/,o\".?"},
      {"blanks and the soft hyphen", U"\u00A0\u00AD", " -"},
      {"pictures of the control bytes", U"☺☻♥♦♣♠•◘○◙☼►◄↕‼▬↨↑↓→←∟↔▲▼⌂",
       "oO*****#o#*><|!-|^v><L-^v^"},
      {"nothing like them in ASCII", U"½¼¾♂♀♪♫", "???????"},
  };
  std::set<int> covered;
  for (const Group& group : groups) {
    ASSERT_EQ(group.glyphs.size(), group.standIns.size()) << group.kind;
    for (std::size_t i = 0; i < group.glyphs.size(); ++i) {
      const int byte = UnicodeToCp850(group.glyphs[i]);
      ASSERT_GE(byte, 0) << group.kind << " " << i;
      EXPECT_EQ(Cp850AsciiStandIn(static_cast<std::uint8_t>(byte)), group.standIns[i])
          << group.kind << ": byte " << byte;
      covered.insert(byte);
    }
  }
  // The pictures of 20 and 21 are those of 244 and 245, which the reverse
  // lookup prefers; byte 0 shows as a blank.
  for (auto [control, upper] : {std::pair{20, 244}, std::pair{21, 245}}) {
    EXPECT_EQ(Cp850AsciiStandIn(static_cast<std::uint8_t>(control)),
              Cp850AsciiStandIn(static_cast<std::uint8_t>(upper)));
    covered.insert(control);
  }
  EXPECT_EQ(Cp850AsciiStandIn(0), ' ');
  covered.insert(0);
  for (int byte = 32; byte < 127; ++byte) {
    EXPECT_EQ(Cp850AsciiStandIn(static_cast<std::uint8_t>(byte)), byte) << byte;
    covered.insert(byte);
  }
  EXPECT_EQ(covered.size(), 256u) << "a byte without a checked stand-in";
  for (int byte = 0; byte < 256; ++byte) {
    const char standIn = Cp850AsciiStandIn(static_cast<std::uint8_t>(byte));
    EXPECT_TRUE(standIn >= 0x20 && standIn <= 0x7E) << "byte " << byte;
  }
}

}  // namespace
}  // namespace kippfeld::platform
