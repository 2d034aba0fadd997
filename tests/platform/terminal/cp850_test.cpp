#include "platform/terminal/cp850.h"

#include <gtest/gtest.h>

#include <set>

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

}  // namespace
}  // namespace kippfeld::platform
