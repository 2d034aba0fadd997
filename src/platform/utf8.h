// UTF-8 as the program reads it wherever text comes from outside (a file, a
// key, a name): one decoder with one idea of what is well formed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kippfeld::platform {

// What the bytes at `at` begin with.
struct Utf8Step {
  // The bytes taken: a whole character; or, when it is none, those up to the
  // first that cannot continue it (at least one), so that a reader goes on
  // from the byte that broke it.
  std::size_t length = 0;
  bool complete = false;  // a well-formed character, its code point below
  // The text ends inside what is so far a well-formed character: a reader
  // of a stream waits for more.
  bool cut = false;
  char32_t codePoint = 0;
};

// Well formed is what Unicode allows: no overlong form, no surrogate,
// nothing past U+10FFFF; the bounds of the second byte keep those out.
inline Utf8Step ReadUtf8(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  Utf8Step step;
  step.length = 1;
  std::size_t continuations = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead < 0x80) {
    step.complete = true;
    step.codePoint = lead;
    return step;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    continuations = 1;
    step.codePoint = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    continuations = 2;
    step.codePoint = lead & 0x0Fu;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    continuations = 3;
    step.codePoint = lead & 0x07u;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return step;
  }
  for (std::size_t i = 1; i <= continuations; ++i) {
    if (at + i >= text.size()) {
      step.cut = true;
      step.length = i;
      return step;
    }
    const auto byte = static_cast<unsigned char>(text[at + i]);
    if (byte < low || byte > high) {
      step.length = i;
      return step;
    }
    low = 0x80;
    high = 0xBF;
    step.codePoint = (step.codePoint << 6) | (byte & 0x3Fu);
  }
  step.length = continuations + 1;
  step.complete = true;
  return step;
}

// The length of the well-formed UTF-8 character at `at`, 0 when there is
// none (a stray continuation byte, a cut sequence, an overlong form, a
// surrogate or a value past U+10FFFF); the code point goes to `codePoint`.
inline std::size_t Utf8Length(std::string_view text, std::size_t at, char32_t& codePoint) {
  Utf8Step step = ReadUtf8(text, at);
  if (!step.complete) return 0;
  codePoint = step.codePoint;
  return step.length;
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
