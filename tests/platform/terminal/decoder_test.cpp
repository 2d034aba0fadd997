#include "platform/terminal/decoder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace kippfeld::platform {
namespace {

constexpr std::uint32_t kAlt = kLeftAltPressed;
constexpr std::uint32_t kCtrl = kLeftCtrlPressed;
constexpr std::uint32_t kShift = kShiftPressed;
constexpr std::uint32_t kExt = kEnhancedKey;

struct KeyOut {
  int character = 0;
  int scanCode = 0;
  std::uint32_t state = 0;
  bool operator==(const KeyOut&) const = default;
};

void PrintTo(const KeyOut& key, std::ostream* os) {
  *os << "{char " << key.character << ", scan " << key.scanCode << ", state 0x" << std::hex
      << key.state << std::dec << "}";
}

const KeyOut kEscOut = {27, 1, 0};
const KeyOut kQuestionMark = {'?', 53, kShift};
const KeyOut kX = {'x', 45, 0};

std::vector<InputRecord> Drain(InputDecoder& decoder) {
  std::vector<InputRecord> records;
  InputRecord record;
  while (decoder.Pop(record)) records.push_back(record);
  return records;
}

// Feeds the bytes whole, or one at a time a millisecond apart (well inside
// the Esc timeout), and returns what came out without any expiry.
std::vector<InputRecord> Decode(InputDecoder& decoder, std::string_view bytes, bool byteAtATime,
                                std::uint64_t nowMs = 1000) {
  if (byteAtATime) {
    for (std::size_t i = 0; i < bytes.size(); ++i) decoder.Feed(bytes.substr(i, 1), nowMs + i);
  } else {
    decoder.Feed(bytes, nowMs);
  }
  return Drain(decoder);
}

// The key-down records, checking that each is followed by its key-up.
std::vector<KeyOut> Keys(const std::vector<InputRecord>& records) {
  std::vector<KeyOut> keys;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const InputRecord& down = records[i];
    EXPECT_EQ(down.eventType, kKeyEvent) << "record " << i;
    EXPECT_TRUE(down.keyDown) << "record " << i;
    keys.push_back({down.character, down.virtualScanCode, down.controlKeyState});
    if (++i >= records.size()) {
      ADD_FAILURE() << "key-down without key-up";
      break;
    }
    const InputRecord& up = records[i];
    EXPECT_FALSE(up.keyDown);
    EXPECT_EQ(up.character, down.character);
    EXPECT_EQ(up.virtualScanCode, down.virtualScanCode);
    EXPECT_EQ(up.controlKeyState, down.controlKeyState);
  }
  return keys;
}

struct KeyCase {
  const char* name;
  std::string bytes;
  std::vector<KeyOut> keys;
};

KeyOut Ext(int scanCode, std::uint32_t state = 0) {
  return {0, scanCode, kExt | state};
}

const std::vector<KeyCase>& KeyCases() {
  static const std::vector<KeyCase> cases = {
      // Characters and control keys.
      {"letter", "a", {{'a', 30, 0}}},
      {"shifted letter", "P", {{'P', 25, kShift}}},
      {"digit and its shifted sign", "1!", {{'1', 2, 0}, {'!', 2, kShift}}},
      {"space and tilde", " ~", {{' ', 57, 0}, {'~', 41, kShift}}},
      {"Enter as CR", "\r", {{13, 28, 0}}},
      {"Enter as LF", "\n", {{13, 28, 0}}},
      {"Tab", "\t", {{9, 15, 0}}},
      {"Backspace as DEL", "\x7f", {{8, 14, 0}}},
      {"Backspace as BS", "\b", {{8, 14, 0}}},
      {"Ctrl+C", "\x03", {{3, 46, kCtrl}}},
      {"Ctrl+P", "\x10", {{16, 25, kCtrl}}},
      {"Ctrl+Z", "\x1a", {{26, 44, kCtrl}}},
      // UTF-8 to code page 850.
      {"u umlaut", "\xc3\xbc", {{0x81, 0, 0}}},
      {"capital U umlaut", "\xc3\x9c", {{0x9A, 0, 0}}},
      {"sharp s", "\xc3\x9f", {{0xE1, 0, 0}}},
      {"box line", "\xe2\x94\x80", {{0xC4, 0, 0}}},
      {"euro sign has no byte", "\xe2\x82\xac", {kQuestionMark}},
      {"emoji has no byte", "\xf0\x9f\x98\x80", {kQuestionMark}},
      {"note glyph is not Enter", "\xe2\x99\xaa", {kQuestionMark}},
      // Alt as an Esc prefix.
      {"Alt+p", "\x1bp", {{'p', 25, kAlt}}},
      {"Alt+Shift+P", "\x1bP", {{'P', 25, kShift | kAlt}}},
      {"Alt+Enter", "\x1b\r", {{13, 28, kAlt}}},
      {"Alt+u umlaut", "\x1b\xc3\xbc", {{0x81, 0, kAlt}}},
      {"Alt+Up as Esc before the sequence", "\x1b\x1b[A", {Ext(72, kAlt)}},
      // Cursor keys, CSI and SS3.
      {"Up", "\x1b[A", {Ext(72)}},
      {"Down", "\x1b[B", {Ext(80)}},
      {"Right", "\x1b[C", {Ext(77)}},
      {"Left", "\x1b[D", {Ext(75)}},
      {"SS3 Up", "\x1bOA", {Ext(72)}},
      {"SS3 Down", "\x1bOB", {Ext(80)}},
      {"SS3 Right", "\x1bOC", {Ext(77)}},
      {"SS3 Left", "\x1bOD", {Ext(75)}},
      {"Ctrl+Left keeps 75", "\x1b[1;5D", {Ext(75, kCtrl)}},
      {"Shift+Up", "\x1b[1;2A", {Ext(72, kShift)}},
      {"Alt+Down", "\x1b[1;3B", {Ext(80, kAlt)}},
      {"Ctrl+Alt+Shift+Right", "\x1b[1;8C", {Ext(77, kShift | kAlt | kCtrl)}},
      {"Meta counts as Alt", "\x1b[1;9D", {Ext(75, kAlt)}},
      {"SS3 with a lone modifier", "\x1bO5C", {Ext(77, kCtrl)}},
      // Home and End in all their forms, the other editing keys, keypad 5.
      {"Home CSI H", "\x1b[H", {Ext(71)}},
      {"Home SS3 H", "\x1bOH", {Ext(71)}},
      {"Home 1~", "\x1b[1~", {Ext(71)}},
      {"Home 7~", "\x1b[7~", {Ext(71)}},
      {"Ctrl+Home", "\x1b[1;5H", {Ext(71, kCtrl)}},
      {"End CSI F", "\x1b[F", {Ext(79)}},
      {"End SS3 F", "\x1bOF", {Ext(79)}},
      {"End 4~", "\x1b[4~", {Ext(79)}},
      {"End 8~", "\x1b[8~", {Ext(79)}},
      {"PgUp", "\x1b[5~", {Ext(73)}},
      {"PgDn", "\x1b[6~", {Ext(81)}},
      {"Shift+PgDn", "\x1b[6;2~", {Ext(81, kShift)}},
      {"Insert", "\x1b[2~", {Ext(82)}},
      {"Delete", "\x1b[3~", {Ext(83)}},
      {"Ctrl+Delete", "\x1b[3;5~", {Ext(83, kCtrl)}},
      {"keypad 5 CSI E", "\x1b[E", {Ext(76)}},
      {"keypad 5 SS3 E", "\x1bOE", {Ext(76)}},
      {"keypad 5 Linux console", "\x1b[G", {Ext(76)}},
      // Function keys.
      {"F1 to F4 SS3", "\x1bOP\x1bOQ\x1bOR\x1bOS", {Ext(59), Ext(60), Ext(61), Ext(62)}},
      {"Shift+F1 CSI", "\x1b[1;2P", {Ext(59, kShift)}},
      {"F1 to F5 tilde",
       "\x1b[11~\x1b[12~\x1b[13~\x1b[14~\x1b[15~",
       {Ext(59), Ext(60), Ext(61), Ext(62), Ext(63)}},
      {"F6 to F10 tilde",
       "\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~",
       {Ext(64), Ext(65), Ext(66), Ext(67), Ext(68)}},
      {"F11 and F12", "\x1b[23~\x1b[24~", {Ext(87), Ext(88)}},
      {"Ctrl+F5", "\x1b[15;5~", {Ext(63, kCtrl)}},
      {"Linux console F1 to F5",
       "\x1b[[A\x1b[[B\x1b[[C\x1b[[D\x1b[[E",
       {Ext(59), Ext(60), Ext(61), Ext(62), Ext(63)}},
      // Others.
      {"Shift+Tab", "\x1b[Z", {{9, 15, kShift}}},
      {"application keypad Enter", "\x1bOM", {{13, 28, 0}}},
      {"application keypad 8", "\x1bOx", {{'8', 72, 0}}},
      {"keys around a sequence", "a\x1b[Cb", {{'a', 30, 0}, Ext(77), {'b', 48, 0}}},
  };
  return cases;
}

TEST(InputDecoderTest, KeysWholeAndOneByteAtATime) {
  for (const KeyCase& c : KeyCases()) {
    for (bool byteAtATime : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (byteAtATime ? " (byte at a time)" : " (whole)"));
      InputDecoder decoder;
      EXPECT_EQ(Keys(Decode(decoder, c.bytes, byteAtATime)), c.keys);
      EXPECT_EQ(decoder.PendingBytes(), 0u);
      EXPECT_FALSE(decoder.Deadline());
    }
  }
}

// Whatever a broken or foreign sequence was, the key typed after it must come
// out: losing it would eat the player's next key press.
TEST(InputDecoderTest, MalformedAndUnknownInputDoesNotEatTheNextKey) {
  const std::vector<KeyCase> cases = {
      {"unknown tilde number", "\x1b[99~x", {kX}},
      {"unknown final", "\x1b[1;5Xx", {kX}},
      {"cursor movement is no key", "\x1b[2Ax", {kX}},
      {"device attributes answer", "\x1b[?1;2cx", {kX}},
      {"intermediate byte", "\x1b[1 qx", {kX}},
      {"focus report", "\x1b[Ix", {kX}},
      {"unknown SS3", "\x1bOzx", {kX}},
      {"unknown Linux console key", "\x1b[[Zx", {kX}},
      {"SGR mouse with two numbers", "\x1b[<0;1Mx", {kX}},
      {"SGR mouse with four numbers", "\x1b[<0;1;1;1Mx", {kX}},
      {"sequence cut off by a sequence", "\x1b[1;5\x1b[A", {Ext(72)}},
      {"sequence cut off by Enter", "\x1b[1;5\rx", {{13, 28, 0}, kX}},
      {"SS3 cut off", "\x1bO5\x1b[B", {Ext(80)}},
      {"Alt+[ before a control key", "\x1b[\r", {{'[', 26, kAlt}, {13, 28, 0}}},
      {"Alt+Shift+O before Tab", "\x1bO\t", {{'O', 24, kShift | kAlt}, {9, 15, 0}}},
      {"stray continuation byte", "\x80x", {kQuestionMark, kX}},
      {"truncated two-byte character", "\xc3x", {kQuestionMark, kX}},
      {"truncated three-byte character", "\xe2\x94x", {kQuestionMark, kX}},
      {"overlong slash", "\xc0\xafx", {kQuestionMark, kQuestionMark, kX}},
      {"surrogate", "\xed\xa0\x80x", {kQuestionMark, kQuestionMark, kQuestionMark, kX}},
      {"beyond U+10FFFF",
       "\xf4\x90\x80\x80x",
       {kQuestionMark, kQuestionMark, kQuestionMark, kQuestionMark, kX}},
      {"0xFF", "\xffx", {kQuestionMark, kX}},
      {"character cut off by a sequence", "\xc3\x1b[A", {kQuestionMark, Ext(72)}},
      {"extra mouse button", "\x1b[<128;1;1Mx", {kX}},
      {"wheel release", "\x1b[<64;1;1mx", {kX}},
  };
  for (const KeyCase& c : cases) {
    for (bool byteAtATime : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (byteAtATime ? " (byte at a time)" : " (whole)"));
      InputDecoder decoder;
      EXPECT_EQ(Keys(Decode(decoder, c.bytes, byteAtATime)), c.keys);
      EXPECT_EQ(decoder.PendingBytes(), 0u);
    }
  }
}

TEST(InputDecoderTest, LoneEscComesOutOnlyOnceItsTimeIsUp) {
  InputDecoder decoder;
  decoder.Feed("\x1b", 1000);
  EXPECT_TRUE(Drain(decoder).empty());
  ASSERT_TRUE(decoder.Deadline());
  EXPECT_EQ(*decoder.Deadline(), 1025u);
  decoder.Expire(1024);
  EXPECT_TRUE(Drain(decoder).empty());
  decoder.Expire(1025);
  EXPECT_EQ(Keys(Drain(decoder)), std::vector<KeyOut>{kEscOut});
  EXPECT_EQ(decoder.PendingBytes(), 0u);
  EXPECT_FALSE(decoder.Deadline());
}

TEST(InputDecoderTest, EscThenKeyIsAltOnlyWithinTheTimeout) {
  InputDecoder within;
  within.Feed("\x1b", 1000);
  within.Feed("x", 1024);
  EXPECT_EQ(Keys(Drain(within)), (std::vector<KeyOut>{{'x', 45, kAlt}}));

  // No Expire call in between: the Esc has still timed out by the time the
  // next byte arrives.
  InputDecoder late;
  late.Feed("\x1b", 1000);
  late.Feed("x", 1025);
  EXPECT_EQ(Keys(Drain(late)), (std::vector<KeyOut>{kEscOut, kX}));
}

TEST(InputDecoderTest, WhatTimesOutIsSettled) {
  const std::vector<KeyCase> cases = {
      {"two Esc presses", "\x1b\x1b", {kEscOut, kEscOut}},
      {"Esc after a key", "x\x1b", {kX, kEscOut}},
      {"Alt+[", "\x1b[", {{'[', 26, kAlt}}},
      {"Alt+Shift+O", "\x1bO", {{'O', 24, kShift | kAlt}}},
      {"unfinished sequence is dropped", "\x1b[1;5", {}},
      {"unfinished Alt sequence", "\x1b\x1b[1", {kEscOut}},
      {"unfinished X10 report is dropped", "\x1b[M !", {}},
      {"unfinished character", "\xe2\x94", {kQuestionMark}},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    InputDecoder decoder;
    std::vector<InputRecord> records = Decode(decoder, c.bytes, true);
    decoder.Expire(1000 + c.bytes.size() + InputDecoder::kEscapeTimeoutMs);
    for (const InputRecord& record : Drain(decoder)) records.push_back(record);
    EXPECT_EQ(Keys(records), c.keys);
    EXPECT_EQ(decoder.PendingBytes(), 0u);
    EXPECT_FALSE(decoder.Deadline());
    // What comes next is decoded afresh.
    EXPECT_EQ(Keys(Decode(decoder, "x", false, 5000)), std::vector<KeyOut>{kX});
  }
}

// Bytes read late (the reader's queue was full, or the program busy) may
// have been waiting all along: only a quiet moment after the timeout makes
// an Esc alone, however late the rest is read.
TEST(InputDecoderTest, SequenceReadLateAfterNoQuietMomentStaysOneKey) {
  struct Case {
    const char* head;
    const char* rest;
    KeyOut key;
  };
  const Case cases[] = {
      {"\x1b", "[A", Ext(72)},
      {"\x1b[", "A", Ext(72)},
      {"\x1b[1;", "5D", Ext(75, kCtrl)},
      {"\x1bO", "H", Ext(71)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "cut after " << c.head + 1);
    InputDecoder decoder;
    decoder.Feed(std::string("x") + c.head, 1000, 900);
    // The clock is far past the timeout, but the source was last seen
    // quiet before the bytes came.
    decoder.Expire(900);
    decoder.Feed(c.rest, 60'000, 900);
    EXPECT_EQ(Keys(Drain(decoder)), (std::vector<KeyOut>{kX, c.key}));
    EXPECT_EQ(decoder.PendingBytes(), 0u);

    // Seen quiet once the timeout had passed, the head was on its own.
    InputDecoder alone;
    alone.Feed(c.head, 1000, 900);
    alone.Feed(c.rest, 60'000, 1000 + InputDecoder::kEscapeTimeoutMs);
    const std::vector<KeyOut> keys = Keys(Drain(alone));
    EXPECT_GE(keys.size(), 2u);
    EXPECT_NE(keys.back(), c.key);
  }
}

TEST(InputDecoderTest, SequenceSplitAcrossReadsWithinTheTimeout) {
  InputDecoder decoder;
  decoder.Feed("\x1b[1;", 1000);
  decoder.Expire(1020);
  decoder.Feed("5", 1020);
  decoder.Expire(1040);
  decoder.Feed("D", 1040);
  EXPECT_EQ(Keys(Drain(decoder)), std::vector<KeyOut>{Ext(75, kCtrl)});
}

// A terminal or a paste can send a sequence that never ends; the decoder must
// neither hold it all nor let its digits out as key presses.
TEST(InputDecoderTest, OverlongSequenceIsAbandonedAndPendingStaysBounded) {
  const std::string bytes = "\x1b[" + std::string(200, '1') + "Ax";
  for (bool byteAtATime : {false, true}) {
    SCOPED_TRACE(byteAtATime ? "byte at a time" : "whole");
    InputDecoder decoder;
    std::vector<InputRecord> records;
    if (byteAtATime) {
      for (std::size_t i = 0; i < bytes.size(); ++i) {
        decoder.Feed(bytes.substr(i, 1), 1000);
        EXPECT_LE(decoder.PendingBytes(), InputDecoder::kMaxPending);
      }
    } else {
      decoder.Feed(bytes, 1000);
    }
    EXPECT_EQ(Keys(Drain(decoder)), std::vector<KeyOut>{kX});
  }
}

TEST(InputDecoderTest, AbandonedSequenceEndsWhenTimeIsUp) {
  InputDecoder decoder;
  decoder.Feed("\x1b[" + std::string(40, '1'), 1000);
  ASSERT_TRUE(decoder.Deadline());
  decoder.Expire(*decoder.Deadline());
  // A digit typed later is a key again.
  EXPECT_EQ(Keys(Decode(decoder, "1", false, 2000)), (std::vector<KeyOut>{{'1', 2, 0}}));
}

// Whatever the bytes, feeding them whole or one at a time gives the same
// records, and nothing grows without bound.
TEST(InputDecoderTest, RandomInputSplitsAndBoundsInvariants) {
  static const char kAlphabet[] = "\x1b\x1b\x1b[[O<M;m~~1235A\r\x7f\xc3\xbc\xe2\x80\xff";
  const std::string_view alphabet(kAlphabet, sizeof kAlphabet - 1);
  std::mt19937 random(1234);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes;
    const std::size_t length = random() % 24;
    for (std::size_t i = 0; i < length; ++i) bytes += alphabet[random() % alphabet.size()];
    InputDecoder whole;
    InputDecoder split;
    whole.SetScreenSize(80, 25);
    split.SetScreenSize(80, 25);
    whole.Feed(bytes, 1000);
    for (char b : bytes) {
      split.Feed(std::string_view(&b, 1), 1000);
      ASSERT_LE(split.PendingBytes(), InputDecoder::kMaxPending);
    }
    whole.Expire(2000);
    split.Expire(2000);
    const std::vector<InputRecord> a = Drain(whole);
    const std::vector<InputRecord> b = Drain(split);
    ASSERT_EQ(a.size(), b.size()) << "round " << round;
    for (std::size_t i = 0; i < a.size(); ++i) {
      EXPECT_EQ(a[i].eventType, b[i].eventType);
      EXPECT_EQ(a[i].character, b[i].character);
      EXPECT_EQ(a[i].virtualScanCode, b[i].virtualScanCode);
      EXPECT_EQ(a[i].controlKeyState, b[i].controlKeyState);
      EXPECT_EQ(a[i].buttonState, b[i].buttonState);
      EXPECT_EQ(a[i].eventFlags, b[i].eventFlags);
      EXPECT_EQ(a[i].mouseX, b[i].mouseX);
      EXPECT_EQ(a[i].mouseY, b[i].mouseY);
    }
    EXPECT_EQ(whole.PendingBytes(), 0u);
    EXPECT_EQ(split.PendingBytes(), 0u);
  }
}

// --- Mouse -----------------------------------------------------------------

struct MouseOut {
  int x = 0;
  int y = 0;
  std::uint32_t buttons = 0;
  std::uint32_t flags = 0;
  bool operator==(const MouseOut&) const = default;
};

void PrintTo(const MouseOut& mouse, std::ostream* os) {
  *os << "{" << mouse.x << "," << mouse.y << " buttons 0x" << std::hex << mouse.buttons << " flags "
      << mouse.flags << std::dec << "}";
}

std::vector<MouseOut> Mice(const std::vector<InputRecord>& records) {
  std::vector<MouseOut> mice;
  for (const InputRecord& record : records) {
    EXPECT_EQ(record.eventType, kMouseEvent);
    mice.push_back({record.mouseX, record.mouseY, record.buttonState, record.eventFlags});
  }
  return mice;
}

enum class Encoding { kSgr, kX10 };

std::string Sgr(int code, int x, int y, bool release = false) {
  return "\x1b[<" + std::to_string(code) + ";" + std::to_string(x + 1) + ";" +
         std::to_string(y + 1) + (release ? "m" : "M");
}

std::string X10(int code, int x, int y) {
  std::string bytes = "\x1b[M";
  bytes += static_cast<char>(code + 32);
  bytes += static_cast<char>(x + 33);
  bytes += static_cast<char>(y + 33);
  return bytes;
}

std::string Report(Encoding encoding, int code, int x, int y) {
  return encoding == Encoding::kSgr ? Sgr(code, x, y) : X10(code, x, y);
}

// SGR names the button it releases; X10 only says "released" (button 3).
std::string Release(Encoding encoding, int button, int x, int y) {
  return encoding == Encoding::kSgr ? Sgr(button, x, y, true) : X10(3, x, y);
}

const char* Name(Encoding encoding) {
  return encoding == Encoding::kSgr ? "SGR" : "X10";
}

TEST(InputDecoderMouseTest, PressMotionReleaseAcrossEncodingsButtonsAndCoordinates) {
  struct Button {
    int code;
    std::uint32_t bit;
  };
  const Button buttons[] = {{0, kLeftButton}, {1, kMiddleButton}, {2, kRightButton}};
  for (Encoding encoding : {Encoding::kSgr, Encoding::kX10}) {
    for (const Button& button : buttons) {
      // 222 is the largest cell X10 can carry, 1023 needs SGR.
      for (int c : {0, 222, 1023}) {
        if (encoding == Encoding::kX10 && c > 222) continue;
        for (bool small : {false, true}) {
          for (bool byteAtATime : {false, true}) {
            SCOPED_TRACE(std::string(Name(encoding)) + " button " + std::to_string(button.code) +
                         " at " + std::to_string(c) + (small ? " on 80x25" : "") +
                         (byteAtATime ? " byte at a time" : ""));
            InputDecoder decoder;
            decoder.SetScreenSize(small ? 80 : 2000, small ? 25 : 2000);
            const int y = c / 2;
            const std::string bytes =
                Report(encoding, button.code, c, y) + Report(encoding, button.code + 32, c, y) +
                Release(encoding, button.code, c, y) + Report(encoding, 3 + 32, c, y);
            const int x = small ? std::min(c, 79) : c;
            const int row = small ? std::min(y, 24) : y;
            const std::vector<MouseOut> expected = {
                {x, row, button.bit, 0},
                {x, row, button.bit, kMouseMoved},
                {x, row, 0, 0},
                {x, row, 0, kMouseMoved},
            };
            EXPECT_EQ(Mice(Decode(decoder, bytes, byteAtATime)), expected);
            EXPECT_EQ(decoder.PendingBytes(), 0u);
          }
        }
      }
    }
  }
}

TEST(InputDecoderMouseTest, MotionWaitingInTheQueueIsMergedSoAKeyIsNotDelayed) {
  // A sweep of 50 reports must not queue 50 records in front of the key:
  // the game answers each record it takes with a redraw.
  InputDecoder decoder;
  decoder.SetScreenSize(80, 25);
  std::string sweep;
  for (int x = 0; x < 50; ++x) sweep += Sgr(35, x, 3);
  sweep += "a";
  // A press ends a run of motion; motion with a button held is a new run.
  sweep += Sgr(0, 50, 3) + Sgr(32, 51, 3) + Sgr(32, 52, 3) + Sgr(0, 52, 3, true);
  const std::vector<InputRecord> records = Decode(decoder, sweep, false);
  ASSERT_EQ(records.size(), 6u);
  EXPECT_EQ(Mice({records[0]}), (std::vector<MouseOut>{{49, 3, 0, kMouseMoved}}));
  EXPECT_EQ(records[1].character, 'a');
  EXPECT_EQ(records[2].character, 'a');
  EXPECT_EQ(Mice({records[3], records[4], records[5]}),
            (std::vector<MouseOut>{
                {50, 3, kLeftButton, 0}, {52, 3, kLeftButton, kMouseMoved}, {52, 3, 0, 0}}));
}

TEST(InputDecoderMouseTest, WheelCarriesItsDeltaAndTheHeldButtons) {
  constexpr std::uint32_t kForward = 120u << 16;
  constexpr std::uint32_t kBackward = 0xFF88u << 16;  // -120
  for (Encoding encoding : {Encoding::kSgr, Encoding::kX10}) {
    SCOPED_TRACE(Name(encoding));
    InputDecoder decoder;
    decoder.SetScreenSize(80, 25);
    const std::string bytes = Report(encoding, 64, 3, 4) + Report(encoding, 65, 3, 4) +
                              Report(encoding, 66, 3, 4) + Report(encoding, 67, 3, 4) +
                              Report(encoding, 0, 3, 4) + Report(encoding, 64, 3, 4);
    const std::vector<MouseOut> expected = {
        {3, 4, kForward, kMouseWheeled},
        {3, 4, kBackward, kMouseWheeled},
        {3, 4, kBackward, kMouseHWheeled},
        {3, 4, kForward, kMouseHWheeled},
        {3, 4, kLeftButton, 0},
        {3, 4, kForward | kLeftButton, kMouseWheeled},
    };
    EXPECT_EQ(Mice(Decode(decoder, bytes, false)), expected);
  }
}

TEST(InputDecoderMouseTest, ReleaseKeepsTheOtherHeldButtons) {
  InputDecoder sgr;
  const std::string bytes =
      Sgr(0, 1, 1) + Sgr(2, 1, 1) + Sgr(32, 2, 1) + Sgr(0, 2, 1, true) + Sgr(2, 2, 1, true);
  const std::vector<MouseOut> expected = {
      {1, 1, kLeftButton, 0},
      {1, 1, kLeftButton | kRightButton, 0},
      {2, 1, kLeftButton | kRightButton, kMouseMoved},
      {2, 1, kRightButton, 0},
      {2, 1, 0, 0},
  };
  EXPECT_EQ(Mice(Decode(sgr, bytes, false)), expected);
}

// X10 cannot say which button went up; a button left "held" would make every
// later move a drag and hide the next press of that button.
TEST(InputDecoderMouseTest, X10ReleaseReleasesAllHeldButtons) {
  InputDecoder x10;
  const std::string bytes = X10(0, 1, 1) + X10(1, 1, 1) + X10(3, 1, 1) + X10(35, 2, 1);
  const std::vector<MouseOut> expected = {
      {1, 1, kLeftButton, 0},
      {1, 1, kLeftButton | kMiddleButton, 0},
      {1, 1, 0, 0},
      {2, 1, 0, kMouseMoved},
  };
  EXPECT_EQ(Mice(Decode(x10, bytes, false)), expected);
}

TEST(InputDecoderMouseTest, ModifiersOfAReportGoIntoTheControlKeyState) {
  InputDecoder decoder;
  const std::vector<InputRecord> records = Decode(decoder, Sgr(4 + 8 + 16, 0, 0), false);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].controlKeyState, kShift | kAlt | kCtrl);
  EXPECT_EQ(records[0].buttonState, kLeftButton);
}

TEST(InputDecoderMouseTest, X10CoordinateBeyondItsRangeIsClampedToTheEdge) {
  InputDecoder decoder;
  decoder.SetScreenSize(80, 25);
  // Terminals send 0 for a cell past 222: it means the far edge, not cell 0.
  const std::string bytes = std::string("\x1b[M ") + '\0' + '!';
  EXPECT_EQ(Mice(Decode(decoder, bytes, false)), (std::vector<MouseOut>{{79, 0, kLeftButton, 0}}));
}

TEST(InputDecoderMouseTest, MouseReportsAndKeysKeepTheirOrder) {
  InputDecoder decoder;
  const std::vector<InputRecord> records =
      Decode(decoder, std::string("a").append(Sgr(0, 5, 6)).append("b").append(X10(3, 5, 6)), true);
  ASSERT_EQ(records.size(), 6u);
  EXPECT_EQ(records[0].character, 'a');
  EXPECT_EQ(records[2].eventType, kMouseEvent);
  EXPECT_EQ(records[3].character, 'b');
  EXPECT_EQ(records[5].eventType, kMouseEvent);
}

TEST(InputDecoderMouseTest, DoubleClickTiming) {
  struct Case {
    const char* name;
    std::uint64_t secondAt;
    int secondX;
    int secondButton;
    std::uint32_t flags;
  };
  const Case cases[] = {
      {"after 499 ms", 1499, 10, 0, kDoubleClick},
      {"after 500 ms", 1500, 10, 0, kDoubleClick},
      {"after 501 ms", 1501, 10, 0, 0},
      {"on another cell", 1100, 11, 0, 0},
      {"with another button", 1100, 10, 2, 0},
  };
  for (Encoding encoding : {Encoding::kSgr, Encoding::kX10}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(Name(encoding)) + " " + c.name);
      InputDecoder decoder;
      decoder.Feed(Report(encoding, 0, 10, 5), 1000);
      decoder.Feed(Release(encoding, 0, 10, 5), 1050);
      Drain(decoder);
      decoder.Feed(Report(encoding, c.secondButton, c.secondX, 5), c.secondAt);
      const std::uint32_t bit = c.secondButton == 0 ? kLeftButton : kRightButton;
      EXPECT_EQ(Mice(Drain(decoder)), (std::vector<MouseOut>{{c.secondX, 5, bit, c.flags}}));
    }
  }
}

TEST(InputDecoderMouseTest, ThirdPressStartsANewPair) {
  InputDecoder decoder;
  std::vector<std::uint32_t> flags;
  for (std::uint64_t at : {1000, 1100, 1200, 1300}) {
    decoder.Feed(Sgr(0, 7, 7), at);
    decoder.Feed(Sgr(0, 7, 7, true), at + 20);
    const std::vector<MouseOut> mice = Mice(Drain(decoder));
    ASSERT_EQ(mice.size(), 2u);
    flags.push_back(mice[0].flags);
    EXPECT_EQ(mice[0].buttons, kLeftButton);
    EXPECT_EQ(mice[1], (MouseOut{7, 7, 0, 0}));
  }
  EXPECT_EQ(flags, (std::vector<std::uint32_t>{0, kDoubleClick, 0, kDoubleClick}));
}

}  // namespace
}  // namespace kippfeld::platform
