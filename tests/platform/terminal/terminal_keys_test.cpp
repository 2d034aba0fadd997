// The terminal's own key sequences in the decoder: its meaning wins over the
// sequences known by heart, and every terminfo entry installed that can play
// has each of its navigation and keypad keys decoded as that key.
#include "platform/terminal/terminal_keys.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/terminal/decoder.h"
#include "platform/terminal/terminal_type.h"

namespace kippfeld::platform {
namespace {

struct KeyOut {
  int character = 0;
  int scanCode = 0;
  bool operator==(const KeyOut&) const = default;
  bool operator<(const KeyOut& other) const {
    return character != other.character ? character < other.character : scanCode < other.scanCode;
  }
};

void PrintTo(const KeyOut& key, std::ostream* os) {
  *os << "{char " << key.character << ", scan " << key.scanCode << "}";
}

constexpr KeyOut kUpKey{0, 72};
constexpr KeyOut kDownKey{0, 80};
constexpr KeyOut kLeftKey{0, 75};
constexpr KeyOut kHomeKey{0, 71};
constexpr KeyOut kEndKey{0, 79};
constexpr KeyOut kPgUpKey{0, 73};
constexpr KeyOut kPgDnKey{0, 81};

// The keys of bytes fed at once and settled when their time is up.
std::vector<KeyOut> Decode(InputDecoder& decoder, const std::string& bytes) {
  decoder.Feed(bytes, 1000);
  decoder.Expire(1000 + InputDecoder::kEscapeTimeoutMs);
  std::vector<KeyOut> keys;
  InputRecord record;
  while (decoder.Pop(record)) {
    EXPECT_EQ(record.eventType, kKeyEvent);
    if (record.keyDown) keys.push_back({record.character, record.virtualScanCode});
  }
  return keys;
}

std::vector<KeyOut> Decode(const std::vector<TerminalKey>& terminalKeys, const std::string& bytes) {
  InputDecoder decoder;
  decoder.SetTerminalKeys(terminalKeys);
  return Decode(decoder, bytes);
}

class TerminalKeysTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_GE(fd_, 0); }
  void TearDown() override { close(fd_); }
  std::vector<TerminalKey> KeysOf(const char* type) { return TerminalKeys(type, fd_); }
  int fd_ = open("/dev/null", O_RDWR);
};

TEST_F(TerminalKeysTest, TheTerminalsMeaningWinsOverASequenceKnownByHeart) {
  const DecodedKey pgDn{0, 81, kEnhancedKey};
  const DecodedKey up{0, 72, kEnhancedKey};
  const DecodedKey left{0, 75, kEnhancedKey};
  const std::vector<TerminalKey> keys = {
      {"knp", "\x1b[G", pgDn},  // known by heart as keypad 5
      {"kcuu1", "\033A", up},   // Alt+A
      {"kcub1", "\x08", left},  // Backspace
  };
  EXPECT_EQ(Decode(keys, "\x1b[G\033A\x08"), (std::vector<KeyOut>{kPgDnKey, kUpKey, kLeftKey}));
  EXPECT_EQ(Decode({}, "\x1b[G\033A\x08"), (std::vector<KeyOut>{{0, 76}, {'A', 30}, {8, 14}}));
  // What the terminal does not give stays as it was.
  EXPECT_EQ(Decode(keys, "\x1b[B\x1b[5~\x1b[1;5Ax"),
            (std::vector<KeyOut>{kDownKey, kPgUpKey, kUpKey, {'x', 45}}));

  // A real entry: vt52's cursor keys are ESC and a letter.
  EXPECT_EQ(Decode(KeysOf("vt52"), "\033A\033D\033a"),
            (std::vector<KeyOut>{kUpKey, kLeftKey, {'a', 30}}));
}

TEST_F(TerminalKeysTest, ASequenceThatStartsALongerOneWaitsForItsTime) {
  const std::vector<TerminalKey> keys = {
      {"khome", "\x1e", {0, 71, kEnhancedKey}},
      {"kc3", "\x1e_", {0, 81, 0}},
  };
  EXPECT_EQ(Decode(keys, "\x1e"), std::vector<KeyOut>{kHomeKey});
  EXPECT_EQ(Decode(keys, "\x1e_"), std::vector<KeyOut>{kPgDnKey});
  EXPECT_EQ(Decode(keys, "\x1ex"), (std::vector<KeyOut>{kHomeKey, {'x', 45}}));
  InputDecoder decoder;
  decoder.SetTerminalKeys(keys);
  decoder.Feed("\x1e", 1000);
  EXPECT_FALSE(decoder.HasRecords()) << "decided before its time";
  decoder.Feed("_", 1010);
  EXPECT_EQ(Decode(decoder, ""), std::vector<KeyOut>{kPgDnKey});
}

TEST_F(TerminalKeysTest, OneSequenceForSeveralKeysIsTheFirstKeys) {
  const std::vector<TerminalKey> keys = {
      {"kcuu1", "\x1b[A", {0, 72, kEnhancedKey}},
      {"kcud1", "\x1b[A", {0, 80, kEnhancedKey}},
  };
  EXPECT_EQ(Decode(keys, "\x1b[A"), std::vector<KeyOut>{kUpKey});
}

// An entry without any of the keys decodes what every terminal sends,
// exactly as the decoder does on its own.
TEST_F(TerminalKeysTest, AnEntryWithNoneOfTheKeysChangesNothing) {
  const std::vector<TerminalKey> keys = KeysOf("ansi-mini");
  ASSERT_TRUE(TerminalTypeProblem("ansi-mini", fd_).empty()) << "ansi-mini: install ncurses-term";
  EXPECT_TRUE(keys.empty());
  const std::string bytes = "\x1b[A\x1b[G\x1bOH\x1b[6~\033A\x08\r\x1b[1;5Cz\x1b";
  EXPECT_EQ(Decode(keys, bytes), Decode({}, bytes));
  EXPECT_EQ(Decode(keys, bytes).size(), 10u);
}

TEST_F(TerminalKeysTest, Cons25AndSunNavigationKeys) {
  EXPECT_EQ(Decode(KeysOf("cons25"), "\x1b[I\x1b[G\x1b[H\x1b[F"),
            (std::vector<KeyOut>{kPgUpKey, kPgDnKey, kHomeKey, kEndKey}));
  EXPECT_EQ(Decode(KeysOf("sun"), "\x1b[214z\x1b[220z\x1b[216z\x1b[222z"),
            (std::vector<KeyOut>{kHomeKey, kEndKey, kPgUpKey, kPgDnKey}));
}

// Every entry installed (ncurses-base and ncurses-term) that the game can
// play on: each key it gives a sequence for comes out as that key. Where an
// entry gives one sequence for several keys, it comes out as one of them.
TEST_F(TerminalKeysTest, EveryInstalledEntryThatCanPlayHasEachOfItsKeysDecoded) {
  std::set<std::string> types;
  for (const char* directory : {"/usr/share/terminfo", "/lib/terminfo", "/etc/terminfo"}) {
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(directory, error))
      if (!entry.is_directory()) types.insert(entry.path().filename().string());
  }
  ASSERT_TRUE(types.contains("cons25") && types.contains("sun"))
      << "ncurses-term is not installed (scripts/bootstrap installs it)";
  int playable = 0;
  int checked = 0;
  for (const std::string& type : types) {
    if (!TerminalTypeProblem(type.c_str(), fd_).empty()) continue;
    ++playable;
    const std::vector<TerminalKey> keys = KeysOf(type.c_str());
    for (const TerminalKey& key : keys) {
      std::set<KeyOut> meanings;
      for (const TerminalKey& other : keys)
        if (other.bytes == key.bytes) meanings.insert({other.key.character, other.key.scanCode});
      const std::vector<KeyOut> got = Decode(keys, key.bytes);
      EXPECT_TRUE(got.size() == 1 && meanings.contains(got[0]))
          << "TERM=" << type << " " << key.capability << ": " << testing::PrintToString(got);
      ++checked;
    }
  }
  EXPECT_GT(playable, 2000);
  EXPECT_GT(checked, 10000);
}

}  // namespace
}  // namespace kippfeld::platform
