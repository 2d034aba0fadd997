// What the tests of the history file share, through the POSIX and the
// Windows file functions and through the real binary: a temporary folder, a
// file's bytes, the checks that hold for the file functions on either
// system, the places a history cannot be written to, and the check of a
// file that two writers appended to at the same time.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/history_file.h"

namespace kippfeld::test {

inline constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

// A header as the file functions take it; they never look into it.
inline constexpr const char* kHeader = "started\ttasks\n";

// The reason the file functions give for a folder where the file should be.
#ifdef _WIN32
inline constexpr const char* kIsAFolder = "it is a folder";
#else
inline constexpr const char* kIsAFolder = "Is a directory";
#endif

// A new, empty folder in the system's temporary folder, removed with all it
// holds when the test is done.
class TemporaryFolder {
 public:
  explicit TemporaryFolder(std::string_view prefix = "kippfeld-history-") {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    std::random_device random;
    std::filesystem::path path;
    // Creating the folder is what claims the name.
    do {
      path = base / (std::string(prefix) + std::to_string(random()));
    } while (!std::filesystem::create_directory(path));
    path_ = path.string();
  }
  ~TemporaryFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline std::string Contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

inline void Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Two records appended to `path`, in folders not there yet: the folders are
// made, and the header comes first and only once.
inline void ExpectNewFileWithTheHeaderOnce(const std::string& path) {
  EXPECT_EQ(platform::AppendToHistoryFile(path, kHeader, "one\t1\n"), "");
  EXPECT_EQ(platform::AppendToHistoryFile(path, kHeader, "two\t2\n"), "");
  EXPECT_EQ(Contents(path), "started\ttasks\none\t1\ntwo\t2\n");
}

// A file whose last line a write cut short: the next record goes on a line
// of its own.
inline void ExpectCutLastLineMended(const std::string& path) {
  Write(path, "started\ttasks\none\t1\ntw");
  EXPECT_EQ(platform::AppendToHistoryFile(path, kHeader, "three\t3\n"), "");
  EXPECT_EQ(Contents(path), "started\ttasks\none\t1\ntw\nthree\t3\n");
}

struct UnwritablePlace {
  std::string path;
  std::string reason;  // the reason given, or how it starts
};

// A file where the history's folder should be, and a folder where the file
// should be. The file is `folder`/file and holds "x", which must stay so.
inline std::vector<UnwritablePlace> UnwritablePlaces(const TemporaryFolder& folder) {
  const std::string file = folder.path() + kSeparator + "file";
  Write(file, "x");
  return {
      {file + kSeparator + "kippfeld" + kSeparator + "history.tsv",
       file + " is in the way: it is not a folder"},
      {folder.path(), kIsAFolder},
  };
}

// Record `i` of writer 0 or 1: about as long as a real record, with the
// writer's digit at byte 27 and its letter after the number.
inline std::string WriterRecord(int writer, int i) {
  std::string line =
      "2025-03-14T09:26:53+01:00\t" + std::to_string(writer) + "\t" + std::to_string(i) + "\t";
  line.append(160, static_cast<char>('a' + writer));
  return line + "\n";
}

// A file that two writers each appended `records` WriterRecords to at once,
// starting on no file: every record whole on a line of its own, each
// writer's in its own order, none lost, and the header written only once.
inline void ExpectWholeRecordsOfTwoWriters(const std::string& content, int records) {
  std::istringstream lines(content);
  std::vector<int> next(2, 0);
  int headers = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line + "\n" == kHeader) {
      ++headers;
      continue;
    }
    const int writer = line.size() > 26 ? line[26] - '0' : -1;
    ASSERT_TRUE(writer == 0 || writer == 1) << line;
    ASSERT_EQ(line + "\n", WriterRecord(writer, next[writer])) << line;
    ++next[writer];
  }
  EXPECT_EQ(next, std::vector<int>(2, records));
  // Only one of them found the new file empty.
  EXPECT_EQ(headers, 1);
}

}  // namespace kippfeld::test
