// The history file through the Windows file functions: folders, the header,
// a cut last line, places that cannot be written, appends from two writers
// at once, and the actions that run when the game ends the process.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/backend.h"
#include "platform/history_file.h"
#include "platform/windows/windows_platform.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX  // libstdc++ may have asked for it already
#endif
#include <windows.h>

namespace kippfeld::platform {
namespace {

constexpr const char* kHeader = "started\ttasks\n";
// Set in the copy of this program that ends itself through ExitProcess.
constexpr char kEndingChild[] = "KIPPFELD_TEST_PROCESS_END";

class TemporaryFolder {
 public:
  TemporaryFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    path_ = std::string(base) + "kippfeld-history-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter_++);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TemporaryFolder() { std::system(("rmdir /s /q \"" + path_ + "\" >NUL 2>&1").c_str()); }
  const std::string& path() const { return path_; }

 private:
  static inline int counter_ = 0;
  std::string path_;
};

std::string Contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(WindowsHistoryFile, PathFromTheVariableThenLocalAppData) {
  SetEnvironmentVariableW(L"KIPPFELD_HISTORY", L"D:\\Daten\\mine.tsv");
  std::string reason;
  EXPECT_EQ(HistoryFilePath(reason), "D:\\Daten\\mine.tsv");
  SetEnvironmentVariableW(L"KIPPFELD_HISTORY", nullptr);
  SetEnvironmentVariableW(L"LOCALAPPDATA", L"C:\\Users\\J\u00fcrgen\\AppData\\Local");
  EXPECT_EQ(HistoryFilePath(reason),
            "C:\\Users\\J\xc3\xbcrgen\\AppData\\Local\\kippfeld\\history.tsv");
  EXPECT_EQ(reason, "");
}

TEST(WindowsHistoryFile, LocalDateTimeHasItsOffset) {
  std::string now = LocalDateTimeNow();
  ASSERT_EQ(now.size(), 25u) << now;
  EXPECT_EQ(now[10], 'T');
  EXPECT_TRUE(now[19] == '+' || now[19] == '-') << now;
  EXPECT_EQ(now[22], ':');
}

TEST(WindowsHistoryFile, CreatesFoldersHeaderOnceAndMendsACutLine) {
  TemporaryFolder folder;
  std::string path = folder.path() + "\\state\\kippfeld\\history.tsv";
  EXPECT_EQ(AppendToHistoryFile(path, kHeader, "one\t1\n"), "");
  EXPECT_EQ(AppendToHistoryFile(path, kHeader, "two\t2\n"), "");
  EXPECT_EQ(Contents(path), "started\ttasks\none\t1\ntwo\t2\n");
  Write(path, "started\ttasks\none\t1\ntw");
  EXPECT_EQ(AppendToHistoryFile(path, kHeader, "three\t3\n"), "");
  EXPECT_EQ(Contents(path), "started\ttasks\none\t1\ntw\nthree\t3\n");
}

TEST(WindowsHistoryFile, PlacesThatCannotBeWrittenSayWhy) {
  TemporaryFolder folder;
  Write(folder.path() + "\\file", "x");
  struct Case {
    std::string path;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {folder.path() + "\\file\\kippfeld\\history.tsv",
       folder.path() + "\\file is in the way: it is not a folder"},
      {folder.path(), "it is a folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(AppendToHistoryFile(c.path, kHeader, "one\t1\n"), c.reason);
  }
  EXPECT_EQ(Contents(folder.path() + "\\file"), "x");
}

TEST(WindowsHistoryFile, AppendsFromTwoWritersAtOnceStayWhole) {
  TemporaryFolder folder;
  std::string path = folder.path() + "\\history.tsv";
  constexpr int kRecords = 200;
  auto record = [](int writer, int i) {
    std::string line =
        "2025-03-14T09:26:53+01:00\t" + std::to_string(writer) + "\t" + std::to_string(i) + "\t";
    line.append(160, static_cast<char>('a' + writer));
    return line + "\n";
  };
  // Each writer opens the file afresh for every record, as a game does.
  std::vector<int> failures(2, 0);
  std::vector<std::thread> writers;
  for (int writer = 0; writer < 2; ++writer) {
    writers.emplace_back([&, writer] {
      for (int i = 0; i < kRecords; ++i) {
        failures[writer] += !AppendToHistoryFile(path, kHeader, record(writer, i)).empty();
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  EXPECT_EQ(failures, std::vector<int>(2, 0));

  std::istringstream lines(Contents(path));
  std::vector<int> next(2, 0);
  int headers = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line + "\n" == kHeader) {
      ++headers;
      continue;
    }
    int writer = line.size() > 26 ? line[26] - '0' : -1;
    ASSERT_TRUE(writer == 0 || writer == 1) << line;
    ASSERT_EQ(line + "\n", record(writer, next[writer])) << line;
    ++next[writer];
  }
  EXPECT_EQ(next, std::vector<int>(2, kRecords));
  // Only one of them found the new file empty.
  EXPECT_EQ(headers, 1);
}

TEST(WindowsHistoryFile, ReadMissingFolderAndContent) {
  TemporaryFolder folder;
  std::string content;
  std::string reason;
  EXPECT_EQ(ReadHistoryFile(folder.path() + "\\none\\history.tsv", content, reason),
            HistoryFileRead::kMissing);
  EXPECT_EQ(ReadHistoryFile(folder.path(), content, reason), HistoryFileRead::kFailed);
  EXPECT_EQ(reason, "it is a folder");
  Write(folder.path() + "\\history.tsv", "a\r\nb\n");
  EXPECT_EQ(ReadHistoryFile(folder.path() + "\\history.tsv", content, reason),
            HistoryFileRead::kRead);
  EXPECT_EQ(content, "a\r\nb\n");
}

// The copy of this program started by the test below.
std::string theMarkFile;

void WriteMark() {
  Write(theMarkFile, "ended");
}

[[noreturn]] void EndThroughThePlatform(const std::string& markFile) {
  theMarkFile = markFile;
  AtProcessEnd(&WriteMark);
  WindowsPlatform platform;
  platform.ExitProcess(3);
}

TEST(WindowsProcessEnd, ActionsRunWhenTheGameEndsTheProcess) {
  TemporaryFolder folder;
  std::string mark = folder.path() + "\\mark";
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  SetEnvironmentVariableA(kEndingChild, mark.c_str());
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION child = {};
  std::wstring command = L"\"" + std::wstring(self) + L"\"";
  ASSERT_TRUE(CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &child));
  SetEnvironmentVariableA(kEndingChild, nullptr);
  WaitForSingleObject(child.hProcess, 60'000);
  DWORD code = 0;
  GetExitCodeProcess(child.hProcess, &code);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  EXPECT_EQ(code, 3u);
  EXPECT_EQ(Contents(mark), "ended");
}

}  // namespace
}  // namespace kippfeld::platform

int main(int argc, char** argv) {
  if (const char* mark = std::getenv(kippfeld::platform::kEndingChild)) {
    kippfeld::platform::EndThroughThePlatform(mark);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
