#include "platform/us_layout.h"

#include <array>
#include <string_view>

namespace kippfeld::platform {

namespace {

// One row per key: scan code, unshifted character, shifted character.
struct KeyRow {
  std::uint16_t scanCode;
  char plain;
  char shifted;
};

constexpr KeyRow kKeys[] = {
    {2, '1', '!'},  {3, '2', '@'},   {4, '3', '#'},  {5, '4', '$'},  {6, '5', '%'},
    {7, '6', '^'},  {8, '7', '&'},   {9, '8', '*'},  {10, '9', '('}, {11, '0', ')'},
    {12, '-', '_'}, {13, '=', '+'},  {16, 'q', 'Q'}, {17, 'w', 'W'}, {18, 'e', 'E'},
    {19, 'r', 'R'}, {20, 't', 'T'},  {21, 'y', 'Y'}, {22, 'u', 'U'}, {23, 'i', 'I'},
    {24, 'o', 'O'}, {25, 'p', 'P'},  {26, '[', '{'}, {27, ']', '}'}, {30, 'a', 'A'},
    {31, 's', 'S'}, {32, 'd', 'D'},  {33, 'f', 'F'}, {34, 'g', 'G'}, {35, 'h', 'H'},
    {36, 'j', 'J'}, {37, 'k', 'K'},  {38, 'l', 'L'}, {39, ';', ':'}, {40, '\'', '"'},
    {41, '`', '~'}, {43, '\\', '|'}, {44, 'z', 'Z'}, {45, 'x', 'X'}, {46, 'c', 'C'},
    {47, 'v', 'V'}, {48, 'b', 'B'},  {49, 'n', 'N'}, {50, 'm', 'M'}, {51, ',', '<'},
    {52, '.', '>'}, {53, '/', '?'},  {57, ' ', ' '},
};

constexpr std::array<KeyPosition, 128> BuildTable() {
  std::array<KeyPosition, 128> table{};
  for (const KeyRow& row : kKeys) {
    table[static_cast<unsigned char>(row.shifted)] = {row.scanCode, row.shifted != row.plain};
    table[static_cast<unsigned char>(row.plain)] = {row.scanCode, false};
  }
  // Control characters come from Ctrl with the letter's key.
  for (int c = 1; c <= 26; ++c) table[c] = {table['a' + c - 1].scanCode, false};
  table[0] = {3, false};     // Ctrl+@ (Ctrl+2)
  table[8] = {14, false};    // Backspace
  table[9] = {15, false};    // Tab
  table[10] = {28, false};   // Ctrl+Enter gives line feed
  table[13] = {28, false};   // Enter
  table[27] = {1, false};    // Esc
  table[28] = {43, false};   // Ctrl+backslash
  table[29] = {27, false};   // Ctrl+]
  table[30] = {7, true};     // Ctrl+^
  table[31] = {12, true};    // Ctrl+_
  table[127] = {14, false};  // Ctrl+Backspace
  return table;
}

constexpr std::array<KeyPosition, 128> kTable = BuildTable();

}  // namespace

KeyPosition KeyOfCharacter(std::uint8_t character) {
  return character < kTable.size() ? kTable[character] : KeyPosition{};
}

}  // namespace kippfeld::platform
