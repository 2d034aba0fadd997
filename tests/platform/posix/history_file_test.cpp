// The history file on a POSIX system, written and read through the file
// store's rules.
#include "platform/history_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "history_file_testing.h"

namespace kippfeld::platform {
namespace {

using test::Contents;
using test::kHeader;
using test::TemporaryFolder;
using test::Write;

// Sets or (with nullptr) removes an environment variable for one test and
// puts it back afterwards.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    const char* old = std::getenv(name);
    if (old != nullptr) old_ = old;
    hadOld_ = old != nullptr;
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnvironment() {
    if (hadOld_) {
      setenv(name_.c_str(), old_.c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }

 private:
  std::string name_;
  std::string old_;
  bool hadOld_ = false;
};

TEST(HistoryFilePath, ExplicitFileThenStateFolderThenHome) {
  struct Case {
    const char* history;
    const char* state;
    const char* home;
    std::string path;
  };
  const std::vector<Case> cases = {
      {"/data/mine.tsv", "/state", "/home/anna", "/data/mine.tsv"},
      {"", "/state", "/home/anna", "/state/kippfeld/history.tsv"},
      {nullptr, "/state", "/home/anna", "/state/kippfeld/history.tsv"},
      // A relative XDG_STATE_HOME is ignored.
      {nullptr, "state", "/home/anna", "/home/anna/.local/state/kippfeld/history.tsv"},
      {nullptr, nullptr, "/home/anna", "/home/anna/.local/state/kippfeld/history.tsv"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ScopedEnvironment history("KIPPFELD_HISTORY", c.history);
    ScopedEnvironment state("XDG_STATE_HOME", c.state);
    ScopedEnvironment home("HOME", c.home);
    std::string reason;
    EXPECT_EQ(HistoryFilePath(reason), c.path);
    EXPECT_EQ(reason, "");
  }
}

TEST(LocalDateTimeNow, IsoWithTheZonesOffset) {
  struct Case {
    const char* zone;
    const char* offset;
  };
  // POSIX zone strings give the offset west of Greenwich, so "-5:30" is east.
  const std::vector<Case> cases = {
      {"UTC0", "+00:00"}, {"IST-5:30", "+05:30"}, {"NST3:30", "-03:30"}, {"XYZ-14", "+14:00"}};
  for (const Case& c : cases) {
    ScopedEnvironment zone("TZ", c.zone);
    tzset();
    std::string now = LocalDateTimeNow();
    ASSERT_EQ(now.size(), 25u) << now;
    EXPECT_EQ(now.substr(19), c.offset) << now;
    EXPECT_EQ(now[4], '-');
    EXPECT_EQ(now[10], 'T');
    EXPECT_EQ(now[13], ':');
  }
  tzset();
}

TEST(HistoryFile, CreatesFoldersAndWritesTheHeaderOnce) {
  TemporaryFolder folder;
  test::ExpectNewFileWithTheHeaderOnce(folder.path() + "/state/kippfeld/history.tsv");
  struct stat info {};
  ASSERT_EQ(stat((folder.path() + "/state").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
}

// A cut last line mended, game records read back, the size cap, long
// histories read in pieces.
TEST(HistoryFile, KeepsTheFileStoresRules) {
  test::ExpectTheFileStoresRules();
}

TEST(HistoryFile, FileTheUserMayNotReadIsStillAppendedTo) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  TemporaryFolder folder;
  std::string path = folder.path() + "/history.tsv";
  Write(path, "started\ttasks\n");
  chmod(path.c_str(), 0200);
  EXPECT_EQ(test::Append(path, "one\t1\n"), "");
  chmod(path.c_str(), 0600);
  EXPECT_EQ(Contents(path), "started\ttasks\none\t1\n");
}

TEST(HistoryFile, PlacesThatCannotBeWrittenSayWhy) {
  TemporaryFolder folder;
  std::vector<test::UnwritablePlace> cases = test::UnwritablePlaces(folder);
  cases.push_back({"/proc/version/history.tsv", "/proc/version is in the way: it is not a folder"});
  cases.push_back({"/proc/kippfeld/history.tsv", "cannot create the folder /proc/kippfeld: "});
  for (const test::UnwritablePlace& c : cases) {
    SCOPED_TRACE(c.path);
    std::string reason = test::Append(c.path, "one\t1\n");
    EXPECT_EQ(reason.substr(0, c.reason.size()), c.reason) << reason;
  }
  EXPECT_EQ(Contents(folder.path() + "/file"), "x");
}

// Whatever is not a regular file is refused at once, by the writer and the
// reader alike: a FIFO nobody reads or writes would otherwise hold the open
// for ever, and a device holds no history.
TEST(HistoryFile, AnythingButARegularFileIsRefusedWithoutWaiting) {
  TemporaryFolder folder;
  std::string fifo = folder.path() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // A FIFO with a reader: the writer's open would succeed and then block
  // the game if it wrote; refused all the same.
  std::string fifoWithReader = folder.path() + "/fifo-read";
  ASSERT_EQ(mkfifo(fifoWithReader.c_str(), 0600), 0);
  int reader = open(fifoWithReader.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  struct Case {
    std::string path;
    std::string appendReason;  // how it starts
    std::string readReason;
  };
  const std::vector<Case> cases = {
      {fifo, "it is not a regular file", "it is not a regular file"},
      {fifoWithReader, "it is not a regular file", "it is not a regular file"},
      {folder.path(), test::kIsAFolder, test::kIsAFolder},
      {"/dev/null", "it is not a regular file", "it is not a regular file"},
      {"/dev/zero", "it is not a regular file", "it is not a regular file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    std::string reason = test::Append(c.path, "one\t1\n");
    EXPECT_EQ(reason.substr(0, c.appendReason.size()), c.appendReason) << reason;
    EXPECT_EQ(test::ReadBack(c.path, HistoryRead::kFailed), c.readReason);
  }
  char byte;
  EXPECT_LE(read(reader, &byte, 1), 0);  // nothing was written into it
  close(reader);
}

// Two games ending together, many times over: every record whole, on its own
// line, none lost.
TEST(HistoryFile, AppendsFromTwoProcessesAtOnceStayWhole) {
  TemporaryFolder folder;
  std::string path = folder.path() + "/history.tsv";
  constexpr int kRecords = 300;
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  std::vector<pid_t> children;
  for (int process = 0; process < 2; ++process) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      // Both start when the parent closes the pipe, on a file not yet there.
      close(ready[1]);
      char byte;
      while (read(ready[0], &byte, 1) > 0) {
      }
      int failures = 0;
      for (int i = 0; i < kRecords; ++i) {
        failures += !test::Append(path, test::WriterRecord(process, i)).empty();
      }
      _exit(failures == 0 ? 0 : 1);
    }
    children.push_back(pid);
  }
  close(ready[0]);
  close(ready[1]);
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }

  std::string content = Contents(path);
  ASSERT_EQ(content.substr(0, 14), kHeader);
  test::ExpectWholeRecordsOfTwoWriters(content, kRecords);
}

TEST(HistoryFile, ReadMissingAndRead) {
  TemporaryFolder folder;
  EXPECT_EQ(test::ReadBack(folder.path() + "/none.tsv", HistoryRead::kMissing), "");
  std::string path = folder.path() + "/history.tsv";
  Write(path, std::string("a\0b\n", 4));
  EXPECT_EQ(test::ReadBack(path, HistoryRead::kRead), std::string("a\0b\n", 4));
}

TEST(StreamTakesUtf8, FollowsTheLocale) {
  ScopedEnvironment all("LC_ALL", "C.UTF-8");
  EXPECT_TRUE(StreamTakesUtf8(stdout));
  ScopedEnvironment ascii("LC_ALL", "C");
  EXPECT_FALSE(StreamTakesUtf8(stdout));
  // A locale that is not installed is taken at its name.
  ScopedEnvironment missing("LC_ALL", "de_DE.utf8");
  EXPECT_TRUE(StreamTakesUtf8(stdout));
  ScopedEnvironment latin("LC_ALL", "de_DE.ISO-8859-1@euro");
  EXPECT_FALSE(StreamTakesUtf8(stdout));
}

// Asking must not change the process's locale, or every number the program
// writes afterwards would follow the player's LC_NUMERIC.
TEST(StreamTakesUtf8, LeavesTheProcessLocaleAlone) {
  ScopedEnvironment all("LC_ALL", "C.UTF-8");
  StreamTakesUtf8(stdout);
  EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
}

}  // namespace
}  // namespace kippfeld::platform
