#include "console/text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "console/errors.h"
#include "console/state.h"
#include "platform/memory/memory_platform.h"

// The replacement pair below allocates with malloc and frees with free; GCC
// cannot see that they match once operator delete is inlined.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Allocation can be made to fail on demand, so that the out-of-memory path
// of the string operations runs for real.
namespace {
bool failAllocations = false;
}

void* operator new(std::size_t size) {
  if (failAllocations) throw std::bad_alloc();
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}

namespace kippfeld::console {
namespace {

using namespace std::string_literals;

// Three items: "2", "-1" and an empty one.
const std::string kList = "\x03\x00"s + "2\0"s + "-1\0"s + "\0"s;

TEST(ItemText, ItemsByNumber) {
  EXPECT_EQ(ItemText(kList, 1), "2");
  EXPECT_EQ(ItemText(kList, 2), "-1");
  EXPECT_EQ(ItemText(kList, 3), "");
  for (long long outside : {0LL, -1LL, 4LL, 0x10000LL}) {
    EXPECT_EQ(ItemText(kList, outside), "") << outside;
  }
}

TEST(ItemText, CountTakesBothBytesLittleEndian) {
  std::string list = "\x01\x01"s;  // 257 items
  for (int i = 1; i <= 257; ++i) list += std::to_string(i) + "\0"s;
  EXPECT_EQ(ItemText(list, 257), "257");
  EXPECT_EQ(ItemText(list, 258), "");
}

TEST(ItemText, ListShorterThanItsCountGivesEmptyItems) {
  const std::string shortList = "\x05\x00"s + "7\0"s + "8\0"s;
  EXPECT_EQ(ItemText(shortList, 2), "8");
  EXPECT_EQ(ItemText(shortList, 3), "");
  EXPECT_EQ(ItemText(shortList, 5), "");
  EXPECT_EQ(ItemText("", 1), "");
  EXPECT_EQ(ItemText("\x01"s, 1), "");
  // The last item lost its zero byte: it ends with the list.
  EXPECT_EQ(ItemText("\x02\x00"s + "1\0"s + "23"s, 2), "23");
  // A view into a larger buffer must not be read beyond its end.
  const std::string buffer = "\x02\x00"s + "1\0"s + "SECRET\0"s;
  EXPECT_EQ(ItemText(std::string_view(buffer).substr(0, 4), 2), "");
  EXPECT_EQ(ItemText(std::string_view(buffer).substr(0, 6), 2), "SE");
}

TEST(Length, CountsEveryByte) {
  EXPECT_EQ(Length(""), 0);
  EXPECT_EQ(Length("\0\x48"s), 2);
  EXPECT_EQ(Length("\xFF\xFF\x02\x01"), 4);
}

TEST(CodeAt, PositionsFromEitherEnd) {
  struct Case {
    long long n;
    int code;
  };
  const std::string s = "a\x9A\0z"s;
  for (Case c : std::vector<Case>{{1, 'a'},
                                  {2, 0x9A},
                                  {3, 0},
                                  {4, 'z'},
                                  {5, -1},
                                  {0, -1},
                                  {-1, 'z'},
                                  {-4, 'a'},
                                  {-5, -1}}) {
    EXPECT_EQ(CodeAt(s, c.n), c.code) << c.n;
  }
  EXPECT_EQ(CodeAt(""), -1);
  EXPECT_EQ(CodeAt("P"), 'P');
  const std::string mouse = "\xFF\xFF\x02\x01";
  EXPECT_EQ(CodeAt(mouse, 3), 2);
  EXPECT_EQ(CodeAt(mouse, 4), 1);
  EXPECT_EQ(CodeAt(mouse, 5), -1);
}

TEST(Mid, Bounds) {
  struct Case {
    long long start;
    long long count;
    const char* part;
  };
  for (Case c : std::vector<Case>{{1, 1, "h"},
                                  {2, 3, "ell"},
                                  {2, 100, "ello"},
                                  {5, 1, "o"},
                                  {6, 1, ""},
                                  {0, 1, ""},
                                  {-2, 5, "lo"},
                                  {-5, 2, "he"},
                                  {-6, 2, ""},
                                  {2, 0, ""},
                                  {2, -1, ""}}) {
    EXPECT_EQ(Mid("hello", c.start, c.count), c.part) << c.start << "," << c.count;
  }
  EXPECT_EQ(Mid("\0\x48"s, 1, 1), "\0"s);
}

TEST(Right, Bounds) {
  EXPECT_EQ(Right("abc", 1), "c");
  EXPECT_EQ(Right("abc", 2), "bc");
  EXPECT_EQ(Right("abc", 3), "abc");
  EXPECT_EQ(Right("abc", 1000), "abc");
  EXPECT_EQ(Right("abc", 0), "");
  EXPECT_EQ(Right("abc", -1), "");
  EXPECT_EQ(Right("", 1), "");
  EXPECT_EQ(Right("\0\x48"s, 1), "\x48");
}

TEST(LowerCase, AsciiAndTheSevenCodePagePairs) {
  struct Pair {
    unsigned char from;
    unsigned char to;
  };
  for (Pair p : std::vector<Pair>{{'A', 'a'},
                                  {'P', 'p'},
                                  {'Z', 'z'},
                                  {0x80, 0x87},
                                  {0x8E, 0x84},
                                  {0x8F, 0x86},
                                  {0x90, 0x82},
                                  {0x99, 0x94},
                                  {0x9A, 0x81},
                                  {0xA5, 0xA4}}) {
    EXPECT_EQ(LowerCase(std::string(1, static_cast<char>(p.from))),
              std::string(1, static_cast<char>(p.to)))
        << static_cast<int>(p.from);
  }
  // Unchanged: neighbours of A..Z, small letters, sharp s, the 850 capitals
  // without a pair in the table, bytes 0 and 255.
  for (int same : std::vector<int>{'@', '[', '`', '{', 'a', 'p', '1', 0xE1, 0xB5, 0xD3, 0x9D, 0x81,
                                   0x00, 0xFF}) {
    std::string s(1, static_cast<char>(same));
    EXPECT_EQ(LowerCase(s), s) << static_cast<int>(same);
  }
  // An extended key's scan code is a byte like any other.
  EXPECT_EQ(LowerCase("\0\x50"s), "\0\x70"s);
  EXPECT_EQ(LowerCase("AUSGABE \x9A"), "ausgabe \x81");
}

TEST(CharText, LowEightBits) {
  EXPECT_EQ(CharText(0), "\0"s);
  EXPECT_EQ(CharText(13), "\r");
  EXPECT_EQ(CharText(27), "\x1B");
  EXPECT_EQ(CharText(256 + 'A'), "A");
  EXPECT_EQ(CharText(-1), "\xFF");
}

TEST(Compare, UnsignedBytewise) {
  struct Case {
    std::string a;
    std::string b;
    int sign;
  };
  for (const Case& c : std::vector<Case>{{"", "", 0},
                                         {"p", "p", 0},
                                         {"p", "P", 1},
                                         {"P", "p", -1},
                                         {"a", "ab", -1},
                                         {"\x80", "a", 1},
                                         {"a\0b"s, "a", 1},
                                         {"\0"s, "", 1},
                                         {"\0"s, "\r", -1}}) {
    int result = Compare(c.a, c.b);
    EXPECT_EQ((result > 0) - (result < 0), c.sign) << '"' << c.a << "\" vs \"" << c.b << '"';
  }
}

class OutOfMemory : public ::testing::Test {
 protected:
  void SetUp() override { ResetConsole(platform); }
  void TearDown() override { failAllocations = false; }

  // Runs one operation with allocation failing and returns its result.
  template <typename Operation>
  std::string Starved(Operation operation) {
    failAllocations = true;
    std::string result = operation();
    failAllocations = false;
    return result;
  }

  platform::MemoryPlatform platform;
};

TEST_F(OutOfMemory, StringBuildersRaiseErrorSevenAndGiveEmpty) {
  // Longer than any small-string buffer, so each copy must allocate.
  const std::string longText(100, 'X');
  const std::string longList = "\x01\x00"s + longText + "\0"s;
  struct Case {
    const char* name;
    std::string (*run)(const std::string&, const std::string&);
  };
  const std::vector<Case> cases = {
      {"ItemText", [](const std::string&, const std::string& list) { return ItemText(list, 1); }},
      {"Mid", [](const std::string& s, const std::string&) { return Mid(s, 1, 50); }},
      {"Right", [](const std::string& s, const std::string&) { return Right(s, 50); }},
      {"LowerCase", [](const std::string& s, const std::string&) { return LowerCase(s); }},
  };
  for (const Case& c : cases) {
    ResetConsole(platform);
    std::string result = Starved([&] { return c.run(longText, longList); });
    EXPECT_EQ(result, "") << c.name;
    EXPECT_EQ(ErrorNumber(), 7) << c.name;
    EXPECT_TRUE(Console().error.pending) << c.name;
  }
}

TEST_F(OutOfMemory, NoErrorWhenMemoryIsThere) {
  EXPECT_EQ(LowerCase(std::string(100, 'X')), std::string(100, 'x'));
  EXPECT_EQ(ErrorNumber(), 0);
  EXPECT_FALSE(Console().error.pending);
}

}  // namespace
}  // namespace kippfeld::console
