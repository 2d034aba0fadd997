// The one UTF-8 decoder the file reader, the terminal's keys and the page's
// keys share: whole characters, sequences a stream has cut, and broken ones
// taken up to the byte that broke them.
#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace kippfeld::platform {
namespace {

struct Case {
  std::string bytes;
  std::size_t length;
  bool complete;
  bool cut;
  char32_t codePoint;
};

TEST(ReadUtf8, WholeCutAndBrokenSequences) {
  const Case cases[] = {
      {"a", 1, true, false, U'a'},
      {"\xC3\xBC", 2, true, false, U'ü'},
      {"\xE2\x96\x88x", 3, true, false, U'\u2588'},
      {"\xF4\x8F\xBF\xBF", 4, true, false, U'\U0010FFFF'},
      // Cut by the end of the text: so far well formed.
      {"\xC3", 1, false, true, 0},
      {"\xF0\x9F\x98", 3, false, true, 0},
      // Broken: taken up to the byte that cannot continue it.
      {"\x80", 1, false, false, 0},
      {"\xC0\xAF", 1, false, false, 0},          // overlong
      {"\xE0\x80\xAF", 1, false, false, 0},      // overlong
      {"\xED\xA0\x80", 1, false, false, 0},      // a surrogate
      {"\xF4\x90\x80\x80", 1, false, false, 0},  // past U+10FFFF
      {"\xF5", 1, false, false, 0},
      {"\xE2\x96x", 2, false, false, 0},
      {"\xF0\x9F\x98"
       "a",
       3, false, false, 0},
  };
  for (const Case& c : cases) {
    Utf8Step step = ReadUtf8(c.bytes, 0);
    EXPECT_EQ(step.length, c.length) << c.bytes;
    EXPECT_EQ(step.complete, c.complete) << c.bytes;
    EXPECT_EQ(step.cut, c.cut) << c.bytes;
    if (c.complete) {
      EXPECT_EQ(step.codePoint, c.codePoint) << c.bytes;
    }
    char32_t codePoint = 0;
    EXPECT_EQ(Utf8Length(c.bytes, 0, codePoint), c.complete ? c.length : 0) << c.bytes;
  }
  EXPECT_EQ(HexEscape(0x9B), "\\x9B");
}

}  // namespace
}  // namespace kippfeld::platform
