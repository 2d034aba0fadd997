// The history store's rules, shared with the file systems' tests, on the
// browser page's storage: history_storage.js run under Node.js over
// stand-ins for the browser's database and its local storage.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "history_file_testing.h"

// stand_in_library.js
extern "C" {
void kippfeld_test_new_place(const char* kind);
void kippfeld_test_contents(char** text, int* length);
void kippfeld_test_write(const char* text, int length);
void kippfeld_test_resize(double size);
}

namespace kippfeld {
namespace {

test::HistoryPlace BrowserPlace() {
  return {"this browser's storage (kippfeld/history.tsv)",
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

void ExpectTheRulesIn(const char* kind) {
  test::ExpectTheFileStoresRules(
      [kind](const std::function<void(const test::HistoryPlace&)>& check) {
        kippfeld_test_new_place(kind);
        check(BrowserPlace());
      });
}

TEST(BrowserHistory, KeepsTheFileStoresRulesInTheDatabase) {
  ExpectTheRulesIn("database");
}

TEST(BrowserHistory, KeepsTheFileStoresRulesInLocalStorage) {
  ExpectTheRulesIn("local storage");
}

TEST(BrowserHistory, ANewHistoryGetsTheHeaderOnceAndIsMissingBefore) {
  for (const char* kind : {"database", "local storage"}) {
    SCOPED_TRACE(kind);
    kippfeld_test_new_place(kind);
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
