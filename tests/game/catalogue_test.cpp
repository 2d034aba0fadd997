#include "game/catalogue.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "console/text.h"

namespace kippfeld::game {
namespace {

struct EntryRule {
  std::string name;
  std::size_t length;
  std::array<float, 9> pattern;  // cells 1..9
  std::string picture;           // top / middle / bottom row, left to right
};

// The catalogue as the game's rules list it.
const std::vector<EntryRule> kEntries = {
    {"\x9A"
     "bungsmodus",
     11,
     {2, 0, 0, 0, 0, 0, 0, 0, 0},
     ""},
    {"alles 1    ", 11, {-1, -1, -1, -1, -1, -1, -1, -1, -1}, "111/111/111"},
    {"alles 0", 7, {0, 0, 0, 0, 0, 0, 0, 0, 0}, "000/000/000"},
    {"nur mitte 1", 11, {0, 0, 0, 0, -1, 0, 0, 0, 0}, "000/010/000"},
    {"nur mitte 0", 11, {-1, -1, -1, -1, 0, -1, -1, -1, -1}, "111/101/111"},
    {"nur mittlere senkrechte 1", 25, {0, -1, 0, 0, -1, 0, 0, -1, 0}, "010/010/010"},
    {"nur eckpunkte 0          ", 25, {0, -1, 0, -1, -1, -1, 0, -1, 0}, "010/111/010"},
    {"nur rechts unten 1", 18, {-1, 0, 0, 0, 0, 0, 0, 0, 0}, "000/000/001"},
    {"nur mittlere waagerechte 1", 26, {0, 0, 0, -1, -1, -1, 0, 0, 0}, "000/111/000"},
    {"nur li. mitte / re. mitte 1", 27, {0, 0, 0, -1, 0, -1, 0, 0, 0}, "000/101/000"},
    {"nur mittlere waagerechte 0 ", 27, {-1, -1, -1, 0, 0, 0, -1, -1, -1}, "111/000/111"},
    {"nur li.unt./ mitte / re.ob. 1", 29, {0, 0, -1, 0, -1, 0, -1, 0, 0}, "001/010/100"},
    {"nur li.ob./ li.unt./ re.unt 0", 29, {-1, 0, 0, 0, 0, 0, -1, 0, -1}, "101/000/001"},
};

// Position codes of cells 1..9 (index 0 unused).
constexpr std::array<float, 10> kCodes = {0, 2330, 1530, 730, 2328, 1528, 728, 2326, 1526, 726};

TaskCatalogue Loaded() {
  TaskCatalogue catalogue;
  LoadTaskCatalogue(catalogue);
  return catalogue;
}

Board AfterMoves(Board board, std::initializer_list<int> cells) {
  for (int c : cells) ApplyMove(board, kCodes[c]);
  return board;
}

Board BoardOfEntry(int k) {
  Board board;
  for (int j = 1; j <= 9; ++j) board.cells[j] = kEntries[k].pattern[j - 1];
  return board;
}

TEST(CatalogueLoading, NamesAreExactBytesWithTheirLengths) {
  const TaskCatalogue catalogue = Loaded();
  for (int k = 0; k < kEntryCount; ++k) {
    EXPECT_EQ(catalogue.names[k], kEntries[k].name) << k;
    EXPECT_EQ(catalogue.names[k].size(), kEntries[k].length) << k;
  }
  EXPECT_EQ(static_cast<unsigned char>(catalogue.names[0][0]), 0x9Au);
  EXPECT_EQ(catalogue.names[0][1], 'b');
  EXPECT_EQ(catalogue.names[6].find_last_not_of(' '), 14u);  // ten trailing blanks
}

TEST(CatalogueLoading, PatternsMatchTheListedValuesAndPictures) {
  const TaskCatalogue catalogue = Loaded();
  for (int k = 0; k < kEntryCount; ++k) {
    SCOPED_TRACE(k);
    for (int j = 1; j <= 9; ++j) {
      EXPECT_EQ(catalogue.patterns[k][j], kEntries[k].pattern[j - 1]) << "cell " << j;
    }
    if (kEntries[k].picture.empty()) continue;
    // The picture reads cells 9 8 7 / 6 5 4 / 3 2 1.
    std::string picture;
    for (int j = 9; j >= 1; --j) {
      picture += catalogue.patterns[k][j] == -1 ? '1' : '0';
      if (j == 7 || j == 4) picture += '/';
    }
    EXPECT_EQ(picture, kEntries[k].picture);
  }
}

TEST(PatternItemList, HoldsExactly117ZeroEndedNumberTexts) {
  const std::string_view list = PatternItemList();
  ASSERT_GE(list.size(), 2u);
  EXPECT_EQ(static_cast<unsigned char>(list[0]), 117u);
  EXPECT_EQ(static_cast<unsigned char>(list[1]), 0u);
  std::size_t at = 2;
  int items = 0;
  while (at < list.size()) {
    const std::size_t end = list.find('\0', at);
    ASSERT_NE(end, std::string_view::npos) << "item " << items + 1 << " not ended";
    const std::string_view item = list.substr(at, end - at);
    EXPECT_TRUE(item == "2" || item == "0" || item == "-1") << item;
    at = end + 1;
    ++items;
  }
  EXPECT_EQ(items, 117);
}

TEST(PatternItemList, ItemsAreCountedFromOneEntryByEntry) {
  const std::string_view list = PatternItemList();
  EXPECT_EQ(console::ItemText(list, 0), "");
  EXPECT_EQ(console::ItemText(list, 1), "2");
  EXPECT_EQ(console::ItemText(list, 2), "0");
  EXPECT_EQ(console::ItemText(list, 9 * 1 + 1), "-1");   // entry 1, cell 1
  EXPECT_EQ(console::ItemText(list, 9 * 3 + 5), "-1");   // entry 3, cell 5
  EXPECT_EQ(console::ItemText(list, 9 * 11 + 3), "-1");  // entry 11, cell 3
  EXPECT_EQ(console::ItemText(list, 117), "-1");         // entry 12, cell 9
  EXPECT_EQ(console::ItemText(list, 118), "");
}

TEST(Completion, ExampleMoveSequencesReachTheirEntries) {
  const TaskCatalogue catalogue = Loaded();
  EXPECT_TRUE(BoardShowsEntry(AfterMoves(Board{}, {2, 4, 5, 6, 8}), catalogue, 1));
  EXPECT_TRUE(BoardShowsEntry(AfterMoves(Board{}, {1, 3, 5, 7, 9}), catalogue, 3));
  EXPECT_TRUE(BoardShowsEntry(AfterMoves(Board{}, {5, 6, 8, 9}), catalogue, 7));
  EXPECT_TRUE(BoardShowsEntry(AfterMoves(BoardOfEntry(11), {2, 3, 6}), catalogue, 12));
  EXPECT_TRUE(BoardShowsEntry(Board{}, catalogue, 2));
}

TEST(Completion, EveryTaskIsShownByExactlyOneBoardAndPracticeByNone) {
  const TaskCatalogue catalogue = Loaded();
  std::array<int, kEntryCount> shownBy{};
  for (int mask = 0; mask < 512; ++mask) {
    Board board;
    for (int cell = 1; cell <= 9; ++cell) {
      if (mask & (1 << (cell - 1))) ApplyMove(board, kCodes[cell]);
    }
    for (int k = 0; k < kEntryCount; ++k) {
      if (BoardShowsEntry(board, catalogue, k)) ++shownBy[k];
    }
  }
  EXPECT_EQ(shownBy[0], 0);
  for (int k = 1; k < kEntryCount; ++k) EXPECT_EQ(shownBy[k], 1) << k;
}

TEST(Completion, OneDifferingCellAnywhereFailsTheTest) {
  const TaskCatalogue catalogue = Loaded();
  for (int k = 1; k < kEntryCount; ++k) {
    for (int j = 1; j <= 9; ++j) {
      Board board = BoardOfEntry(k);
      ToggleCell(board, j);
      EXPECT_FALSE(BoardShowsEntry(board, catalogue, k)) << k << " cell " << j;
    }
  }
}

TEST(Completion, EntriesOutsideTheCatalogueAreNeverShown) {
  const TaskCatalogue catalogue = Loaded();
  EXPECT_FALSE(BoardShowsEntry(Board{}, catalogue, -1));
  EXPECT_FALSE(BoardShowsEntry(Board{}, catalogue, kEntryCount));
}

}  // namespace
}  // namespace kippfeld::game
