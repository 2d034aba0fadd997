#include "platform/cp850.h"

#include <array>
#include <string_view>

namespace kippfeld::platform {

namespace {

// Bytes 0..31: the pictures a PC console shows for the control bytes.
constexpr std::array<char32_t, 32> kControlGlyphs = {
    0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,  // 0..7
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,  // 8..15
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,  // 16..23
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,  // 24..31
};

constexpr char32_t kDeleteGlyph = 0x2302;  // byte 127, the "house"

// Bytes 128..255, sixteen to a row.
constexpr std::array<char32_t, 128> kUpperHalf = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  // 0x80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  //
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  // 0x90
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192,  //
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  // 0xA0
    0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  //
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0,  // 0xB0
    0x00A9, 0x2563, 0x2551, 0x2557, 0x255D, 0x00A2, 0x00A5, 0x2510,  //
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,  // 0xC0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,  //
    0x00F0, 0x00D0, 0x00CA, 0x00CB, 0x00C8, 0x0131, 0x00CD, 0x00CE,  // 0xD0
    0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,  //
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE,  // 0xE0
    0x00DE, 0x00DA, 0x00DB, 0x00D9, 0x00FD, 0x00DD, 0x00AF, 0x00B4,  //
    0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,  // 0xF0
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0,  //
};

// The stand-ins, sixteen bytes to a row, each row under the glyphs it
// stands for (the blank of byte 0 comes first in the top row).
constexpr std::array<std::string_view, 16> kAsciiStandIns = {
    //  ☺☻♥♦♣♠•◘○◙♂♀♪♫☼
    " oO*****#o#????*",  // 0x00
    // ►◄↕‼¶§▬↨↑↓→←∟↔▲▼
    "><|!PS-|^v><L-^v",   // 0x10
    " !\"#$%&'()*+,-./",  // 0x20
    "0123456789:;<=>?",   // 0x30
    "@ABCDEFGHIJKLMNO",   // 0x40
    "PQRSTUVWXYZ[\\]^_",  // 0x50
    "`abcdefghijklmno",   // 0x60
    // pqrstuvwxyz{|}~⌂
    "pqrstuvwxyz{|}~^",  // 0x70
    // ÇüéâäàåçêëèïîìÄÅ
    "CueaaaaceeeiiiAA",  // 0x80
    // ÉæÆôöòûùÿÖÜø£Ø×ƒ
    "EaAooouuyOUoLOxf",  // 0x90
    // áíóúñÑªº¿®¬½¼¡«»
    "aiounNao?R-?\?!<>",  // 0xA0
    // ░▒▓│┤ÁÂÀ©╣║╗╝¢¥┐
    "###|+AAAC+|++cY+",  // 0xB0
    // └┴┬├─┼ãÃ╚╔╩╦╠═╬¤
    "++++-+aA+++++=+*",  // 0xC0
    // ðÐÊËÈıÍÎÏ┘┌█▄¦Ì▀
    "dDEEEiIII++##|I#",  // 0xD0
    // ÓßÔÒõÕµþÞÚÛÙýÝ¯´
    "OsOOoOutTUUUyY-'",  // 0xE0
    // soft hyphen, ±‗¾¶§÷¸°¨·¹³²■, no-break space
    "-+_?PS/,o\".132# ",  // 0xF0
};

constexpr bool SixteenToARow() {
  for (std::string_view row : kAsciiStandIns)
    if (row.size() != 16) return false;
  return true;
}
static_assert(SixteenToARow(), "a row of stand-ins lost or gained a byte");

}  // namespace

char32_t Cp850ToUnicode(std::uint8_t byte) {
  if (byte < 32) return kControlGlyphs[byte];
  if (byte == 127) return kDeleteGlyph;
  if (byte < 128) return byte;
  return kUpperHalf[byte - 128];
}

int UnicodeToCp850(char32_t codePoint) {
  if (codePoint < 128) return static_cast<int>(codePoint);
  // The upper half first: its pictures win over the control bytes' (see header).
  for (int i = 0; i < 128; ++i) {
    if (kUpperHalf[i] == codePoint) return 128 + i;
  }
  if (codePoint == kDeleteGlyph) return 127;
  for (int i = 1; i < 32; ++i) {
    if (kControlGlyphs[i] == codePoint) return i;
  }
  return -1;
}

int TypedCp850(char32_t codePoint) {
  if (codePoint < 128) return static_cast<int>(codePoint);
  const int byte = UnicodeToCp850(codePoint);
  return byte >= 128 ? byte : -1;
}

char Cp850AsciiStandIn(std::uint8_t byte) {
  return kAsciiStandIns[byte >> 4][byte & 15];
}

}  // namespace kippfeld::platform
