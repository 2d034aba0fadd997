// Code page 850, the byte set of every text the game writes and every
// character key it reads, against Unicode, the character set of terminals
// and of the native console's wide-character interface.
#pragma once

#include <cstdint>

namespace kippfeld::platform {

// The glyph a console shows for a byte, for all 256 bytes: 32..126 are ASCII,
// 128..255 code page 850, and the control bytes show the PC's pictures (1 is
// U+263A, 13 U+266A, 127 U+2302) so that no byte ever reaches the terminal
// raw. Byte 0 shows as a blank, U+0020.
char32_t Cp850ToUnicode(std::uint8_t byte);

// The byte for a code point, or -1 when code page 850 has none. Code points
// below 128 are their own byte (control characters included); the pictures of
// the control bytes map back to those bytes, except where code page 850 has
// the same picture above 127 (U+00B6 and U+00A7 give 244 and 245, not 20
// and 21), since a typed character should come out as the printable byte.
int UnicodeToCp850(char32_t codePoint);

// The byte a typed character arrives as: ASCII (control characters
// included) as itself, any other character of code page 850 as its byte,
// and -1 for the rest. The pictures of the control bytes are among the rest:
// a typed U+266A must not arrive as Enter.
int TypedCp850(char32_t codePoint);

// The printable ASCII character that stands in for a byte's glyph where the
// glyph itself cannot be shown (a terminal in an ASCII locale): the letter
// without its accent (0x84 "ä" gives 'a', 0xE1 "ß" 's'), the digit of a
// superscript, '+', '-', '|' and '=' for the lines of box drawing, '#' for
// shades and blocks. '?' only for glyphs nothing in ASCII resembles (the
// fractions, the gender signs, the notes). Bytes 32..126 are themselves.
char Cp850AsciiStandIn(std::uint8_t byte);

}  // namespace kippfeld::platform
