// Terminal input split into tokens: one character, one key's escape sequence
// or one mouse report at a time, told apart by the bytes alone. The sequences
// and the keys they stand for are tables; the decoder adds time and state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kippfeld::platform {

// Longest control sequence kept while waiting for its end; a longer one is
// abandoned so that a runaway or hostile stream cannot grow the buffer.
inline constexpr std::size_t kMaxSequenceLength = 32;

// A key as the console describes it.
struct DecodedKey {
  std::uint8_t character = 0;  // code page 850 byte, 0 for an extended key
  std::uint16_t scanCode = 0;
  std::uint32_t state = 0;  // control-key state
};

// A key's sequence as a terminal's own description gives it.
struct TerminalKey {
  const char* capability;  // the terminfo name, for messages
  std::string bytes;
  DecodedKey key;
};

// A mouse report as the terminal describes it: the button code with its
// modifier (4, 8, 16), motion (32) and wheel (64) bits, the 0-based cell,
// and whether it is a release.
struct MouseReport {
  int code = 0;
  int x = 0;
  int y = 0;
  bool release = false;
};

enum class TokenKind {
  kPartial,  // the bytes so far may still become something: wait for more
  kKey,
  kMouse,
  kDrop,     // recognised as one unit but meaning nothing here: discard it
  kAbandon,  // an over-long sequence: discard it and the rest of its parameters
};

struct Token {
  TokenKind kind = TokenKind::kDrop;
  std::size_t length = 0;  // bytes taken; 0 for kPartial
  DecodedKey key;
  MouseReport mouse;
};

// The token at the start of bytes (not empty). final means no more bytes will
// come for it (its time is up): then the answer is never kPartial, so a lone
// Esc becomes the Esc key and a cut-off sequence is dropped.
Token ParseToken(std::string_view bytes, bool final);

// The byte classes of a control sequence after ESC [.
inline bool IsParameterByte(std::uint8_t b) {
  return b >= 0x30 && b <= 0x3F;
}
inline bool IsIntermediateByte(std::uint8_t b) {
  return b >= 0x20 && b <= 0x2F;
}
inline bool IsFinalByte(std::uint8_t b) {
  return b >= 0x40 && b <= 0x7E;
}

}  // namespace kippfeld::platform
