#include "game/catalogue.h"

#include <cstddef>
#include <string_view>

#include "console/numbers.h"
#include "console/text.h"
#include "game/screen_text.h"

namespace kippfeld::game {

namespace {

using PatternRow = std::array<std::string_view, 9>;

// One row per entry, cells 1 to 9. The pictures beside them are the field
// as shown on screen (top, middle, bottom row, each left to right), that is
// cells 9 8 7 / 6 5 4 / 3 2 1.
constexpr std::array<PatternRow, kEntryCount> kPatternRows = {{
    {"2", "0", "0", "0", "0", "0", "0", "0", "0"},           // 0 practice: never shown
    {"-1", "-1", "-1", "-1", "-1", "-1", "-1", "-1", "-1"},  // 1  111/111/111
    {"0", "0", "0", "0", "0", "0", "0", "0", "0"},           // 2  000/000/000
    {"0", "0", "0", "0", "-1", "0", "0", "0", "0"},          // 3  000/010/000
    {"-1", "-1", "-1", "-1", "0", "-1", "-1", "-1", "-1"},   // 4  111/101/111
    {"0", "-1", "0", "0", "-1", "0", "0", "-1", "0"},        // 5  010/010/010
    {"0", "-1", "0", "-1", "-1", "-1", "0", "-1", "0"},      // 6  010/111/010
    {"-1", "0", "0", "0", "0", "0", "0", "0", "0"},          // 7  000/000/001
    {"0", "0", "0", "-1", "-1", "-1", "0", "0", "0"},        // 8  000/111/000
    {"0", "0", "0", "-1", "0", "-1", "0", "0", "0"},         // 9  000/101/000
    {"-1", "-1", "-1", "0", "0", "0", "-1", "-1", "-1"},     // 10 111/000/111
    {"0", "0", "-1", "0", "-1", "0", "-1", "0", "0"},        // 11 001/010/100
    {"-1", "0", "0", "0", "0", "0", "-1", "0", "-1"},        // 12 101/000/001
}};

constexpr std::size_t ItemListSize() {
  std::size_t size = 2;  // the item count
  for (const PatternRow& row : kPatternRows) {
    for (std::string_view item : row) size += item.size() + 1;
  }
  return size;
}

// The item list bytes: a 16-bit little-endian count, then each text with its
// zero byte. Built from the rows above at compile time, so that the data can
// be checked against the picture column instead of as one long literal full
// of embedded zeros (where "\0" followed by a digit is an octal trap).
constexpr std::array<char, ItemListSize()> BuildItemList() {
  std::array<char, ItemListSize()> bytes{};
  constexpr std::size_t count = kEntryCount * 9;
  static_assert(count <= 0xFFFF);
  bytes[0] = static_cast<char>(count & 0xFF);
  bytes[1] = static_cast<char>(count >> 8);
  std::size_t at = 2;
  for (const PatternRow& row : kPatternRows) {
    for (std::string_view item : row) {
      for (char c : item) bytes[at++] = c;
      bytes[at++] = '\0';
    }
  }
  return bytes;
}

constexpr std::array<char, ItemListSize()> kPatternItemList = BuildItemList();

// Assigned one by one after the patterns; trailing blanks are part of the
// names and reach the screen. Entry 0 starts with the capital U umlaut, byte
// 0x9A, kept in its own literal so that the escape cannot eat the "b".
//
// An English name is padded to its German name's length: the results table
// writes each task's time straight after the name, and so the time stands
// in the same columns in either language. The German name of task 12 does
// not describe its picture (101/000/001); the English one does.
constexpr std::array<ScreenText, kEntryCount> kNames = {{
    {"\x9A"
     "bungsmodus",
     "Practice   "},
    {"alles 1    ", "all 1      "},
    {"alles 0", "all 0  "},
    {"nur mitte 1", "only mid 1 "},
    {"nur mitte 0", "only mid 0 "},
    {"nur mittlere senkrechte 1", "only middle column 1     "},
    {"nur eckpunkte 0          ", "only corners 0           "},
    {"nur rechts unten 1", "only lower right 1"},
    {"nur mittlere waagerechte 1", "only middle row 1         "},
    {"nur li. mitte / re. mitte 1", "only mid left / mid right 1"},
    {"nur mittlere waagerechte 0 ", "only middle row 0          "},
    {"nur li.unt./ mitte / re.ob. 1", "only btm l./ mid / top r. 1  "},
    {"nur li.ob./ li.unt./ re.unt 0", "only top l./ top r./ btm r. 1"},
}};
static_assert(SameRoom(kNames));

}  // namespace

std::string_view PatternItemList() {
  return std::string_view(kPatternItemList.data(), kPatternItemList.size());
}

void LoadTaskCatalogue(TaskCatalogue& catalogue, Language language) {
  const std::string_view list = PatternItemList();
  for (int k = 0; k < kEntryCount; ++k) {
    for (int j = 1; j <= 9; ++j) {
      const std::string item = console::ItemText(list, 9LL * k + j);
      catalogue.patterns[static_cast<std::size_t>(k)][static_cast<std::size_t>(j)] =
          static_cast<float>(console::ParseNumber(item));
    }
  }
  for (int k = 0; k < kEntryCount; ++k) {
    const std::size_t entry = static_cast<std::size_t>(k);
    catalogue.names[entry] = std::string(kNames[entry].In(language));
  }
}

bool BoardShowsEntry(const Board& board, const TaskCatalogue& catalogue, int k) {
  if (k < 0 || k >= kEntryCount) return false;
  const auto& pattern = catalogue.patterns[static_cast<std::size_t>(k)];
  for (std::size_t j = 1; j <= 9; ++j) {
    if (board.cells[j] != pattern[j]) return false;
  }
  return true;
}

}  // namespace kippfeld::game
