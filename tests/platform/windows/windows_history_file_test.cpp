// The history file through the file store on the Windows file functions:
// folders, the header, a cut last line, game records read back, the size
// cap, places that cannot be written, devices refused, appends from two
// writers at once, and the actions that run when the game ends the process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "history_file_testing.h"
#include "platform/backend.h"
#include "platform/windows/windows_platform.h"

// Last, so that its macros cannot reach the declarations above.
#include "platform/windows/windows_api.h"

namespace kippfeld::platform {
namespace {

// Set in the copy of this program that ends itself through ExitProcess.
constexpr char kEndingChild[] = "KIPPFELD_TEST_PROCESS_END";

using test::Contents;
using test::TemporaryFolder;
using test::Write;

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

TEST(WindowsHistoryFile, CreatesFoldersAndWritesTheHeaderOnce) {
  TemporaryFolder folder;
  test::ExpectNewFileWithTheHeaderOnce(folder.path() + "\\state\\kippfeld\\history.tsv");
}

// A cut last line mended, game records read back, the size cap, long
// histories read in pieces.
TEST(WindowsHistoryFile, KeepsTheFileStoresRules) {
  test::ExpectTheFileStoresRules();
}

// A device is no history; the writer and the reader refuse it at once.
TEST(WindowsHistoryFile, DevicesAreRefused) {
  EXPECT_EQ(test::Append("NUL", "one\t1\n"), "it is not a regular file");
  EXPECT_EQ(test::ReadBack("NUL", HistoryRead::kFailed), "it is not a regular file");
}

TEST(WindowsHistoryFile, PlacesThatCannotBeWrittenSayWhy) {
  TemporaryFolder folder;
  for (const test::UnwritablePlace& c : test::UnwritablePlaces(folder)) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(test::Append(c.path, "one\t1\n"), c.reason);
  }
  EXPECT_EQ(Contents(folder.path() + "\\file"), "x");
}

TEST(WindowsHistoryFile, AppendsFromTwoWritersAtOnceStayWhole) {
  TemporaryFolder folder;
  std::string path = folder.path() + "\\history.tsv";
  constexpr int kRecords = 200;
  // Each writer opens the file afresh for every record, as a game does.
  std::vector<int> failures(2, 0);
  std::vector<std::thread> writers;
  for (int writer = 0; writer < 2; ++writer) {
    writers.emplace_back([&, writer] {
      for (int i = 0; i < kRecords; ++i) {
        failures[writer] += !test::Append(path, test::WriterRecord(writer, i)).empty();
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  EXPECT_EQ(failures, std::vector<int>(2, 0));
  test::ExpectWholeRecordsOfTwoWriters(Contents(path), kRecords);
}

TEST(WindowsHistoryFile, ReadMissingFolderAndContent) {
  TemporaryFolder folder;
  EXPECT_EQ(test::ReadBack(folder.path() + "\\none\\history.tsv", HistoryRead::kMissing), "");
  EXPECT_EQ(test::ReadBack(folder.path(), HistoryRead::kFailed), test::kIsAFolder);
  Write(folder.path() + "\\history.tsv", "a\r\nb\n");
  EXPECT_EQ(test::ReadBack(folder.path() + "\\history.tsv", HistoryRead::kRead), "a\r\nb\n");
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
