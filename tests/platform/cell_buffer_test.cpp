// The cell buffer at its edges: the right edge, the bottom row,
// the end of the buffer, and resizes down to a single cell.
#include "platform/cell_buffer.h"

#include <gtest/gtest.h>

#include <string>

namespace kippfeld::platform {
namespace {

std::string Row(const CellBuffer& buffer, int y) {
  std::string text;
  for (int x = 0; x < buffer.Width(); ++x) text += static_cast<char>(buffer.At(x, y).character);
  return text;
}

void Write(CellBuffer& buffer, int x, int y, const std::string& text, std::uint8_t attribute = 7) {
  std::vector<Cell> cells;
  for (char c : text) cells.push_back({static_cast<std::uint8_t>(c), attribute});
  buffer.Write(x, y, cells.data(), static_cast<int>(cells.size()));
}

TEST(CellBufferTest, WritesAreClippedAtTheRightEdgeAndOutsideTheRows) {
  CellBuffer buffer(5, 2);
  Write(buffer, 3, 0, "abcd");
  Write(buffer, -2, 1, "xyz");  // starts left of the buffer: only z lands
  Write(buffer, 0, 2, "lost");
  Write(buffer, 0, -1, "lost");
  EXPECT_EQ(Row(buffer, 0), "   ab");
  EXPECT_EQ(Row(buffer, 1), "z    ");
}

TEST(CellBufferTest, FillsRunInReadingOrderAndStopAtTheBufferEnd) {
  CellBuffer buffer(4, 2);
  buffer.FillCharacter(2, 0, '#', 100);
  buffer.FillAttribute(3, 1, 0x1E, 5);
  EXPECT_EQ(Row(buffer, 0), "  ##");
  EXPECT_EQ(Row(buffer, 1), "####");
  EXPECT_EQ(buffer.At(2, 1).attribute, 7);
  EXPECT_EQ(buffer.At(3, 1).attribute, 0x1E);
  buffer.FillCharacter(4, 0, '!', 1);  // outside: nothing
  buffer.FillCharacter(0, 0, '!', 0);
  buffer.FillCharacter(0, 0, '!', -3);
  EXPECT_EQ(Row(buffer, 0), "  ##");
}

TEST(CellBufferTest, ScrollUpLosesTheTopRowAndFillsTheBottom) {
  CellBuffer buffer(3, 3);
  Write(buffer, 0, 0, "aaa");
  Write(buffer, 0, 1, "bbb");
  Write(buffer, 0, 2, "ccc");
  buffer.ScrollUp({'.', 0x10});
  EXPECT_EQ(Row(buffer, 0), "bbb");
  EXPECT_EQ(Row(buffer, 1), "ccc");
  EXPECT_EQ(Row(buffer, 2), "...");
  EXPECT_EQ(buffer.At(1, 2).attribute, 0x10);

  CellBuffer single(1, 1);
  Write(single, 0, 0, "x");
  single.ScrollUp({' ', 7});
  EXPECT_EQ(Row(single, 0), " ");
}

TEST(CellBufferTest, ResizeKeepsTheTopLeftCellsAndBlanksTheNewOnes) {
  struct Case {
    int width, height;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {2, 1, {"ab"}},
      {1, 1, {"a"}},
      {0, -4, {"a"}},  // a terminal reporting no size still has one cell
      {4, 3, {"abc ", "def ", "    "}},
  };
  for (const Case& c : cases) {
    CellBuffer buffer(3, 2);
    Write(buffer, 0, 0, "abc", 0x1F);
    Write(buffer, 0, 1, "def", 0x1F);
    buffer.Resize(c.width, c.height);
    ASSERT_EQ(buffer.Height(), static_cast<int>(c.rows.size())) << c.width << "x" << c.height;
    for (int y = 0; y < buffer.Height(); ++y)
      EXPECT_EQ(Row(buffer, y), c.rows[y]) << c.width << "x" << c.height << " row " << y;
    if (buffer.Width() == 4) {
      EXPECT_EQ(buffer.At(0, 0).attribute, 0x1F);
      EXPECT_EQ(buffer.At(3, 0).attribute, 7) << "new cells are 7 on 0";
    }
  }
}

TEST(CellBufferTest, ShrinkAndGrowBackLosesWhatWasCutOff) {
  CellBuffer buffer(3, 2);
  Write(buffer, 0, 0, "abc");
  buffer.Resize(1, 1);
  buffer.Resize(3, 2);
  EXPECT_EQ(Row(buffer, 0), "a  ");
  EXPECT_EQ(Row(buffer, 1), "   ");
}

}  // namespace
}  // namespace kippfeld::platform
