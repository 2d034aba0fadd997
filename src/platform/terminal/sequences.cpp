#include "platform/terminal/sequences.h"

#include <algorithm>
#include <array>
#include <optional>

#include "console/platform.h"
#include "platform/cp850.h"
#include "platform/us_layout.h"
#include "platform/utf8.h"

namespace kippfeld::platform {

namespace {

using Key = DecodedKey;

constexpr char kEsc = '\x1b';
constexpr Key kEscKey = {27, 1, 0};

// --- The sequences, as data -------------------------------------------------

// Keys told by a final letter, in CSI (ESC [ A, ESC [ 1;5A) and SS3 (ESC O A)
// form alike.
struct LetterKey {
  char final;
  std::uint16_t scanCode;
};
constexpr LetterKey kLetterKeys[] = {
    {'A', 72},  // Up
    {'B', 80},  // Down
    {'C', 77},  // Right
    {'D', 75},  // Left
    {'E', 76},  // keypad 5 with Num Lock off
    {'G', 76},  // keypad 5 on the Linux console
    {'H', 71},  // Home
    {'F', 79},  // End
    {'P', 59},  // F1
    {'Q', 60},  // F2
    {'R', 61},  // F3
    {'S', 62},  // F4
};

// The Linux console's F1 to F5: ESC [ [ A to ESC [ [ E.
constexpr LetterKey kLinuxFunctionKeys[] = {
    {'A', 59}, {'B', 60}, {'C', 61}, {'D', 62}, {'E', 63},
};

// Keys told by a number before '~' (ESC [ 5 ~, ESC [ 5;3~). Home and End come
// as 1 and 4 from some terminals and as 7 and 8 from others.
struct NumberKey {
  int number;
  std::uint16_t scanCode;
};
constexpr NumberKey kNumberKeys[] = {
    {1, 71},  {7, 71},                                 // Home
    {2, 82},                                           // Insert
    {3, 83},                                           // Delete
    {4, 79},  {8, 79},                                 // End
    {5, 73},                                           // PgUp
    {6, 81},                                           // PgDn
    {11, 59}, {12, 60}, {13, 61}, {14, 62}, {15, 63},  // F1..F5
    {17, 64}, {18, 65}, {19, 66}, {20, 67}, {21, 68},  // F6..F10
    {23, 87}, {24, 88},                                // F11, F12
};

// The numeric keypad in application mode (ESC O p is keypad 0). These are
// character keys; the scan codes are the keypad's own, as the console gives.
struct KeypadKey {
  char final;
  std::uint8_t character;
  std::uint16_t scanCode;
};
constexpr KeypadKey kKeypadKeys[] = {
    {'M', 13, 28},  {'j', '*', 55}, {'k', '+', 78}, {'m', '-', 74}, {'n', '.', 83}, {'o', '/', 53},
    {'p', '0', 82}, {'q', '1', 79}, {'r', '2', 80}, {'s', '3', 81}, {'t', '4', 75}, {'u', '5', 76},
    {'v', '6', 77}, {'w', '7', 71}, {'x', '8', 72}, {'y', '9', 73},
};

template <typename Row, std::size_t N>
const Row* FindFinal(const Row (&table)[N], char final) {
  for (const Row& row : table) {
    if (row.final == final) return &row;
  }
  return nullptr;
}

Token Partial() {
  return {TokenKind::kPartial, 0, {}, {}};
}
Token Drop(std::size_t length) {
  return {TokenKind::kDrop, length, {}, {}};
}
Token KeyToken(Key key, std::size_t length) {
  return {TokenKind::kKey, length, key, {}};
}
Token MouseToken(MouseReport mouse, std::size_t length) {
  return {TokenKind::kMouse, length, {}, mouse};
}

// The modifier parameter N of "1;N": N-1 holds 1 Shift, 2 Alt, 4 Ctrl, 8 Meta.
// The console has no Meta key; Meta is the Alt key on most keyboards.
std::uint32_t ModifierState(int parameter) {
  if (parameter < 2) return 0;
  const int bits = parameter - 1;
  std::uint32_t state = 0;
  if (bits & 1) state |= kShiftPressed;
  if (bits & (2 | 8)) state |= kLeftAltPressed;
  if (bits & 4) state |= kLeftCtrlPressed;
  return state;
}

Key ExtendedKey(std::uint16_t scanCode, std::uint32_t state) {
  return {0, scanCode, kEnhancedKey | state};
}

// One byte below 128 as the key that sends it on a US keyboard.
Key PlainKey(std::uint8_t byte) {
  switch (byte) {
    case 13:
    case 10:  // terminals that translate Enter send a line feed
      return {13, 28, 0};
    case 9:
      return {9, 15, 0};
    case 127:
    case 8:  // Backspace sends either, depending on the terminal
      return {8, 14, 0};
    case 27:
      return kEscKey;
    default:
      break;
  }
  const KeyPosition position = KeyOfCharacter(byte);
  std::uint32_t state = position.shift ? std::uint32_t{kShiftPressed} : 0;
  if (byte < 32) state |= kLeftCtrlPressed;
  return {byte, position.scanCode, state};
}

Key AltKey(Key key) {
  key.state |= kLeftAltPressed;
  return key;
}

const Key kReplacementKey = PlainKey('?');

// Up to four numbers separated by ';'. Empty fields are 0; sub-parameters
// after ':' (key event kinds of newer protocols) are ignored. Anything else,
// private markers such as '?' included, is not a key report.
struct Numbers {
  int count = 0;
  std::array<int, 4> value{};
};

std::optional<Numbers> ParseNumbers(std::string_view text) {
  Numbers numbers;
  if (text.empty()) return numbers;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(';', start);
    const std::string_view field =
        text.substr(start, end == std::string_view::npos ? end : end - start);
    if (numbers.count == static_cast<int>(numbers.value.size())) return std::nullopt;
    int value = 0;
    bool subParameter = false;
    for (char c : field) {
      if (c == ':') {
        subParameter = true;
      } else if (c < '0' || c > '9') {
        return std::nullopt;
      } else if (!subParameter) {
        value = std::min(value * 10 + (c - '0'), 99999);  // no overflow from a long run
      }
    }
    numbers.value[numbers.count++] = value;
    if (end == std::string_view::npos) return numbers;
    start = end + 1;
  }
}

// --- Parsers: each looks at the bytes from the start of one token -----------
// `final` means no more bytes will come for this token (its time is up), so a
// parser must then decide and never answer kPartial.

Token ParseUtf8(std::string_view in, bool final) {
  const Utf8Step step = ReadUtf8(in, 0);
  if (step.cut) return final ? KeyToken(kReplacementKey, in.size()) : Partial();
  // A broken sequence is one "?"; the byte that broke it starts afresh, so
  // a key typed after a cut-off character is not swallowed.
  if (!step.complete) return KeyToken(kReplacementKey, step.length);
  const int byte = TypedCp850(step.codePoint);
  if (byte < 0) return KeyToken(kReplacementKey, step.length);
  return KeyToken({static_cast<std::uint8_t>(byte), 0, 0}, step.length);
}

Token ParsePlain(std::string_view in, bool final) {
  const auto b = static_cast<std::uint8_t>(in[0]);
  if (b < 0x80) return KeyToken(PlainKey(b), 1);
  return ParseUtf8(in, final);
}

// ESC [ M and three bytes, each value + 32; coordinates are 1-based.
Token ParseX10Mouse(std::string_view in, bool final) {
  if (in.size() < 6) return final ? Drop(in.size()) : Partial();
  const auto value = [&](std::size_t i) { return static_cast<std::uint8_t>(in[i]); };
  MouseReport mouse;
  mouse.code = (value(3) - 32) & 0xFF;
  // A byte below 33 is a coordinate the encoding could not carry (beyond 222);
  // wrapping makes it 223 and above, past the edge, and clamping does the rest.
  mouse.x = (value(4) - 33) & 0xFF;
  mouse.y = (value(5) - 33) & 0xFF;
  return MouseToken(mouse, 6);
}

// ESC [ < b ; x ; y M (press, motion, wheel) or m (release); 1-based.
Token ParseSgrMouse(std::string_view params, bool release, std::size_t length) {
  const std::optional<Numbers> numbers = ParseNumbers(params);
  if (!numbers || numbers->count != 3) return Drop(length);
  MouseReport mouse;
  mouse.code = numbers->value[0];
  mouse.x = std::max(numbers->value[1], 1) - 1;
  mouse.y = std::max(numbers->value[2], 1) - 1;
  mouse.release = release;
  return MouseToken(mouse, length);
}

Token ParseLinuxFunctionKey(std::string_view in, bool final) {
  if (in.size() < 4) return final ? Drop(in.size()) : Partial();
  const auto b = static_cast<std::uint8_t>(in[3]);
  if (const LetterKey* row = FindFinal(kLinuxFunctionKeys, static_cast<char>(b))) {
    return KeyToken(ExtendedKey(row->scanCode, 0), 4);
  }
  return IsFinalByte(b) ? Drop(4) : Drop(3);
}

Token InterpretCsi(std::string_view params, bool intermediates, char final, std::size_t length) {
  if (intermediates) return Drop(length);
  if (!params.empty() && params[0] == '<') {
    if (final == 'M' || final == 'm') return ParseSgrMouse(params.substr(1), final == 'm', length);
    return Drop(length);
  }
  const std::optional<Numbers> numbers = ParseNumbers(params);
  if (!numbers) return Drop(length);
  const int count = numbers->count;
  const auto& value = numbers->value;
  if (final == '~') {
    if (count < 1 || count > 2) return Drop(length);
    for (const NumberKey& row : kNumberKeys) {
      if (row.number == value[0]) {
        return KeyToken(ExtendedKey(row.scanCode, ModifierState(count == 2 ? value[1] : 1)),
                        length);
      }
    }
    return Drop(length);
  }
  if (final == 'Z') return KeyToken({9, 15, kShiftPressed}, length);  // Shift+Tab
  const LetterKey* row = FindFinal(kLetterKeys, final);
  // "ESC [ 1 ; N A" carries modifiers; "ESC [ 3 A" would be no key at all.
  if (row == nullptr || count > 2 || (count >= 1 && value[0] > 1)) return Drop(length);
  return KeyToken(ExtendedKey(row->scanCode, ModifierState(count == 2 ? value[1] : 1)), length);
}

Token ParseCsi(std::string_view in, bool final) {
  // Alt+[ sends ESC [ too; on its own, or before something no sequence can
  // contain, it is that key.
  if (in.size() < 3) return final ? KeyToken(AltKey(PlainKey('[')), 2) : Partial();
  const auto first = static_cast<std::uint8_t>(in[2]);
  if (first == 'M') return ParseX10Mouse(in, final);
  if (first == '[') return ParseLinuxFunctionKey(in, final);
  if (first < 0x20 || first > 0x7E) return KeyToken(AltKey(PlainKey('[')), 2);
  std::size_t parametersEnd = std::string_view::npos;
  std::size_t i = 2;
  for (;; ++i) {
    if (i >= kMaxSequenceLength) return {TokenKind::kAbandon, i, {}, {}};
    if (i >= in.size()) return final ? Drop(i) : Partial();
    const auto b = static_cast<std::uint8_t>(in[i]);
    if (IsParameterByte(b)) {
      if (parametersEnd != std::string_view::npos) return Drop(i);
      continue;
    }
    if (IsIntermediateByte(b)) {
      if (parametersEnd == std::string_view::npos) parametersEnd = i;
      continue;
    }
    if (IsFinalByte(b)) break;
    // A control or non-ASCII byte: the sequence was cut off, and that byte
    // is new input.
    return Drop(i);
  }
  const bool intermediates = parametersEnd != std::string_view::npos;
  if (!intermediates) parametersEnd = i;
  return InterpretCsi(in.substr(2, parametersEnd - 2), intermediates, in[i], i + 1);
}

Token ParseSs3(std::string_view in, bool final) {
  constexpr std::size_t kMaxParameters = 4;  // "1;16"
  std::size_t i = 2;
  for (;; ++i) {
    if (i >= in.size()) {
      if (!final) return Partial();
      return i == 2 ? KeyToken(AltKey(PlainKey('O')), 2) : Drop(i);
    }
    const auto b = static_cast<std::uint8_t>(in[i]);
    if ((b >= '0' && b <= '9') || b == ';') {
      if (i - 2 >= kMaxParameters) return Drop(i);
      continue;
    }
    if (IsFinalByte(b)) break;
    // Alt+Shift+O sends ESC O; followed by, say, Enter it is that key.
    return i == 2 ? KeyToken(AltKey(PlainKey('O')), 2) : Drop(i);
  }
  const std::size_t length = i + 1;
  const char final_ = in[i];
  const std::optional<Numbers> numbers = ParseNumbers(in.substr(2, i - 2));
  if (!numbers || numbers->count > 2) return Drop(length);
  if (numbers->count == 0) {
    if (const KeypadKey* row = FindFinal(kKeypadKeys, final_)) {
      return KeyToken({row->character, row->scanCode, 0}, length);
    }
  }
  const LetterKey* row = FindFinal(kLetterKeys, final_);
  if (row == nullptr) return Drop(length);
  // Some terminals put the modifier alone: ESC O 5 A.
  const int modifier = numbers->count == 0 ? 1 : numbers->value[numbers->count - 1];
  return KeyToken(ExtendedKey(row->scanCode, ModifierState(modifier)), length);
}

Token ParseEscape(std::string_view in, bool final) {
  if (in.size() < 2) return final ? KeyToken(kEscKey, 1) : Partial();
  switch (in[1]) {
    case '[':
      return ParseCsi(in, final);
    case 'O':
      return ParseSs3(in, final);
    case kEsc: {
      // Some terminals send Alt with a navigation key as ESC before the key's
      // sequence. Anything else after two ESCs is two Esc presses.
      if (in.size() < 3) return final ? KeyToken(kEscKey, 1) : Partial();
      if (in[2] == '[' || in[2] == 'O') {
        Token inner = ParseEscape(in.substr(1), final);
        if (inner.kind == TokenKind::kPartial) return inner;
        if (inner.kind == TokenKind::kKey && inner.length > 2) {
          inner.key = AltKey(inner.key);
          inner.length += 1;
          return inner;
        }
      }
      return KeyToken(kEscKey, 1);
    }
    default:
      break;
  }
  // ESC before a key is that key with Alt held.
  Token inner = ParsePlain(in.substr(1), final);
  if (inner.kind == TokenKind::kKey) {
    inner.key = AltKey(inner.key);
    inner.length += 1;
  }
  return inner;
}

}  // namespace

Token ParseToken(std::string_view bytes, bool final) {
  if (bytes[0] == kEsc) return ParseEscape(bytes, final);
  return ParsePlain(bytes, final);
}

}  // namespace kippfeld::platform
