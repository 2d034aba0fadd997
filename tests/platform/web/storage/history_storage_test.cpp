// The history store's rules, shared with the file systems' tests, on the
// browser page's storage, for the history and for the drill rounds beside
// it: history_storage.js run under Node.js over stand-ins for the browser's
// database and its local storage.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "history_file_testing.h"

// stand_in_library.js
extern "C" {
void kippfeld_test_new_place(const char* kind, const char* file);
void kippfeld_test_contents(char** text, int* length);
void kippfeld_test_write(const char* text, int length);
void kippfeld_test_resize(double size);
}

namespace kippfeld {
namespace {

constexpr const char* kKinds[] = {"database", "local storage"};

// file: history.tsv or drills.tsv, as the page names them.
test::HistoryPlace BrowserPlace(const std::string& file = "history.tsv") {
  return {"this browser's storage (kippfeld/" + file + ")",
          [] {
            char* text = nullptr;
            int length = 0;
            kippfeld_test_contents(&text, &length);
            std::string contents(text, static_cast<std::size_t>(length));
            std::free(text);
            return contents;
          },
          [](const std::string& text) {
            kippfeld_test_write(text.data(), static_cast<int>(text.size()));
          },
          [](std::uint64_t size) { kippfeld_test_resize(static_cast<double>(size)); }};
}

void ExpectTheRulesIn(const char* kind, const std::string& file) {
  test::ExpectTheFileStoresRules(
      [kind, file](const std::function<void(const test::HistoryPlace&)>& check) {
        kippfeld_test_new_place(kind, file.c_str());
        check(BrowserPlace(file));
      });
}

TEST(BrowserHistory, KeepsTheFileStoresRulesInTheDatabase) {
  ExpectTheRulesIn("database", "history.tsv");
}

TEST(BrowserHistory, KeepsTheFileStoresRulesInLocalStorage) {
  ExpectTheRulesIn("local storage", "history.tsv");
}

// The drill rounds have a storage of their own, by the same rules.
TEST(BrowserHistory, KeepsTheFileStoresRulesForTheDrillRounds) {
  for (const char* kind : kKinds) {
    SCOPED_TRACE(kind);
    ExpectTheRulesIn(kind, "drills.tsv");
  }
}

TEST(BrowserHistory, TheHistoryAndTheDrillRoundsNeverMix) {
  for (const char* kind : kKinds) {
    SCOPED_TRACE(kind);
    kippfeld_test_new_place(kind, "drills.tsv");
    const test::HistoryPlace drills = BrowserPlace("drills.tsv");
    const test::HistoryPlace history = BrowserPlace();
    EXPECT_EQ(test::Append(drills.path, "round\t1\n"), "");
    EXPECT_EQ(test::ReadBack(history.path, platform::HistoryRead::kMissing), "");
    EXPECT_EQ(test::Append(history.path, "test\t1\n"), "");
    EXPECT_EQ(test::ReadBack(drills.path, platform::HistoryRead::kRead),
              "started\ttasks\nround\t1\n");
    EXPECT_EQ(test::ReadBack(history.path, platform::HistoryRead::kRead),
              "started\ttasks\ntest\t1\n");
  }
}

TEST(BrowserHistory, ANewHistoryGetsTheHeaderOnceAndIsMissingBefore) {
  for (const char* kind : kKinds) {
    SCOPED_TRACE(kind);
    kippfeld_test_new_place(kind, "history.tsv");
    const test::HistoryPlace place = BrowserPlace();
    EXPECT_EQ(test::ReadBack(place.path, platform::HistoryRead::kMissing), "");
    EXPECT_EQ(test::Append(place.path, "one\t1\n"), "");
    EXPECT_EQ(test::Append(place.path, "two\t2\n"), "");
    EXPECT_EQ(place.contents(), "started\ttasks\none\t1\ntwo\t2\n");
    EXPECT_EQ(test::ReadBack(place.path, platform::HistoryRead::kRead), place.contents());
  }
}

}  // namespace
}  // namespace kippfeld

// The storage's calls suspend main, so what main returns at the end never
// reaches Node.js; exit says how the tests went.
int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  std::exit(RUN_ALL_TESTS());
}
