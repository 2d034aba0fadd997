// What the tests of the history file share, through the file store on the
// POSIX and the Windows file functions, the browser page's storage and
// through the real binary: a temporary folder, a file's bytes, the checks
// that hold for the history's store on every system, the places a history
// cannot be written to, and the check of a file that two writers appended
// to at the same time.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "game/history.h"
#include "history/file/file_store.h"

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

// Where a history is kept, as the store's shared checks see it: the path the
// store is given, and the stored bytes, looked at and set past the store.
struct HistoryPlace {
  std::string path;
  std::function<std::string()> contents;
  std::function<void(const std::string&)> write;
  // Cuts the history to size bytes, or makes it that long with zero bytes.
  std::function<void(std::uint64_t)> resize;
};

// A history file at path.
inline HistoryPlace FilePlace(const std::string& path) {
  return {path, [path] { return Contents(path); },
          [path](const std::string& text) { Write(path, text); },
          [path](std::uint64_t size) { std::filesystem::resize_file(path, size); }};
}

// Appends a record to the history file at `path`, as a game does; empty
// when it was kept, else why not.
inline std::string Append(const std::string& path, const std::string& record) {
  return history::FileHistoryStore(path).Append(kHeader, record);
}

// The whole file as the history command reads it; the reason when it cannot.
inline std::string ReadBack(const std::string& path, platform::HistoryRead expected) {
  history::FileHistoryStore store(path);
  std::string content;
  std::string reason;
  EXPECT_EQ(history::ReadWhole(store, content, reason), expected) << reason;
  return expected == platform::HistoryRead::kFailed ? reason : content;
}

// Two records appended to `path`, in folders not there yet: the folders are
// made, and the header comes first and only once; the reader reads back
// what the writer wrote.
inline void ExpectNewFileWithTheHeaderOnce(const std::string& path) {
  EXPECT_EQ(Append(path, "one\t1\n"), "");
  EXPECT_EQ(Append(path, "two\t2\n"), "");
  EXPECT_EQ(Contents(path), "started\ttasks\none\t1\ntwo\t2\n");
  EXPECT_EQ(ReadBack(path, platform::HistoryRead::kRead), Contents(path));
}

// A file whose last line a write cut short: the next record goes on a line
// of its own.
inline void ExpectCutLastLineMended(const HistoryPlace& place) {
  place.write("started\ttasks\none\t1\ntw");
  EXPECT_EQ(Append(place.path, "three\t3\n"), "");
  EXPECT_EQ(place.contents(), "started\ttasks\none\t1\ntw\nthree\t3\n");
}

// Records of tests as the game writes them, kept by the file store and read
// back by the history command's reader: the same records come back.
inline void ExpectRecordsRoundTrip(const HistoryPlace& place) {
  const std::string& path = place.path;
  std::vector<game::TestRecord> records(2);
  records[0].started = "2025-03-14T09:26:53+01:00";
  records[0].tasks = 1;
  records[0].time = 12.2f;
  records[0].moves = 7;
  records[0].taskTime[1] = 12.2L;
  records[0].taskMoves[1] = 5;
  records[0].taskMoves[2] = 2;
  records[1].started = "2025-03-15T23:59:59-03:30";
  records[1].tasks = 12;
  for (int k = 1; k <= game::kTaskCount; ++k) {
    records[1].taskTime[k] = k / 10.0L + k;
    records[1].taskMoves[k] = k;
    records[1].time = static_cast<float>(records[1].time + records[1].taskTime[k]);
    records[1].moves += k;
  }
  history::FileHistoryStore store(path);
  for (const game::TestRecord& record : records) {
    EXPECT_EQ(store.Append(game::HistoryHeader(), game::HistoryLine(record)), "");
  }
  game::History history = game::ParseHistory(ReadBack(path, platform::HistoryRead::kRead));
  EXPECT_TRUE(history.problems.empty());
  ASSERT_EQ(history.records.size(), records.size());
  for (std::size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(game::HistoryLine(history.records[i]), game::HistoryLine(records[i]));
  }
}

// A history at the size the reader still takes is not made longer, and one
// past it is refused by the reader.
inline void ExpectSizeCapKept(const HistoryPlace& place) {
  const std::string& path = place.path;
  place.write("started\ttasks\n");
  place.resize(history::kLongestHistory - 6);
  EXPECT_EQ(Append(path, "one\t1\n"), "the history is full: it would grow past 64 MiB");
  EXPECT_EQ(place.contents().size(), history::kLongestHistory - 6);
  // A record that still fits, with the line end a file of zero bytes lacks.
  EXPECT_EQ(Append(path, "12\t1\n"), "");
  EXPECT_EQ(place.contents().size(), history::kLongestHistory);
  EXPECT_EQ(ReadBack(path, platform::HistoryRead::kRead).size(), history::kLongestHistory);
  place.resize(history::kLongestHistory + 1);
  EXPECT_EQ(ReadBack(path, platform::HistoryRead::kFailed),
            "it is longer than 64 MiB, far too long for a history");
}

// A long history comes in pieces of at most 64 KiB, in order, so that the
// report never holds the file; a reader that has seen enough stops the
// read. Past the size cap no byte beyond it reaches the reader.
inline void ExpectReadInPieces(const HistoryPlace& place) {
  const std::string& path = place.path;
  std::string longer;
  for (int i = 0; longer.size() < 200'000; ++i) longer += std::to_string(i) + "\n";
  place.write(longer);
  history::FileHistoryStore store(path);
  std::string content;
  std::size_t pieces = 0;
  std::size_t largest = 0;
  std::string reason;
  EXPECT_EQ(store.Read(
                [&](std::string_view piece) {
                  content.append(piece);
                  ++pieces;
                  largest = std::max(largest, piece.size());
                  return true;
                },
                reason),
            platform::HistoryRead::kRead)
      << reason;
  EXPECT_EQ(content, longer);
  EXPECT_GT(pieces, 1u);
  EXPECT_LE(largest, std::size_t{64} << 10);

  pieces = 0;
  EXPECT_EQ(store.Read(
                [&](std::string_view) {
                  ++pieces;
                  return false;
                },
                reason),
            platform::HistoryRead::kRead);
  EXPECT_EQ(pieces, 1u);

  place.resize(history::kLongestHistory + 1);
  std::uint64_t taken = 0;
  EXPECT_EQ(store.Read(
                [&](std::string_view piece) {
                  taken += piece.size();
                  return true;
                },
                reason),
            platform::HistoryRead::kFailed);
  EXPECT_EQ(reason, "it is longer than 64 MiB, far too long for a history");
  EXPECT_LE(taken, history::kLongestHistory);
}

// The checks above that need nothing but a history of their own, each run
// on a new, empty place (by default history.tsv in a new folder): the file
// store's rules, which hold on every system and in the browser's storage.
inline void ExpectTheFileStoresRules(
    const std::function<void(const std::function<void(const HistoryPlace&)>&)>& onNewPlace = {}) {
  struct Check {
    const char* name;
    void (*expect)(const HistoryPlace& place);
  };
  const Check checks[] = {
      {"cut last line mended", &ExpectCutLastLineMended},
      {"records round trip", &ExpectRecordsRoundTrip},
      {"size cap kept", &ExpectSizeCapKept},
      {"read in pieces", &ExpectReadInPieces},
  };
  for (const Check& check : checks) {
    SCOPED_TRACE(check.name);
    if (onNewPlace) {
      onNewPlace(check.expect);
    } else {
      TemporaryFolder folder;
      check.expect(FilePlace(folder.path() + kSeparator + "history.tsv"));
    }
  }
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
