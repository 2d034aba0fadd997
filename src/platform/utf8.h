// UTF-8 as the program reads it wherever text comes from outside (a file, a
// key, a name): one decoder with one idea of what is well formed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kippfeld::platform {

// The length of the well-formed UTF-8 sequence at `at`, 0 when there is none
// (a stray continuation byte, a cut sequence, an overlong form, a surrogate
// or a value past U+10FFFF); the code point goes to `codePoint`.
inline std::size_t Utf8Length(std::string_view text, std::size_t at, char32_t& codePoint) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  std::size_t length = 0;
  char32_t lowest = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    lowest = 0x80;
    codePoint = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    lowest = 0x800;
    codePoint = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    lowest = 0x10000;
    codePoint = lead & 0x07u;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (byte(at + i) & 0x3Fu);
  }
  if (codePoint < lowest || codePoint > 0x10FFFF) return 0;
  if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 0;
  return length;
}

// A byte spelled out as \xNN, with upper-case hex digits.
inline std::string HexEscape(unsigned char byte) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string text = "\\x";
  text += kDigits[byte >> 4];
  text += kDigits[byte & 15];
  return text;
}

}  // namespace kippfeld::platform
