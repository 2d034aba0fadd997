// The history file on Windows: %LOCALAPPDATA%\kippfeld\history.tsv.
//
// A record goes out in one WriteFile on a handle opened for appending only
// (FILE_APPEND_DATA without FILE_WRITE_DATA): the system puts each such
// write whole at the end of the file, so records of two games ending at the
// same moment never mix. Before it, the file store looks at the file's end.
// So that no other game writes during that look, the look and the write are
// made holding a lock on one byte far beyond the end of the file:
// Windows locks keep everyone else from the bytes they cover, and that byte
// is one no reader ever wants. Where the lock cannot be had the game goes on
// without: at worst a header or an empty line too many, which the reader
// passes over. Paths are kept as UTF-8 and handed to the wide-character
// functions, so that a user folder such as C:\Users\Jürgen works.
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "platform/history_file.h"
#include "words/words.h"

// Last, so that its macros cannot reach the declarations above.
#include "platform/windows/windows_api.h"

namespace kippfeld::platform {

namespace {

constexpr std::string_view kFileInFolder = "\\kippfeld\\history.tsv";
constexpr std::string_view kLocalUnderProfile = "\\AppData\\Local";
constexpr const char* kFolderReason = N_("it is a folder");
constexpr LONGLONG kTicksPerMinute = 60LL * 10'000'000;
// The byte the writers lock: 2^62, where no file of ours ever reaches.
constexpr DWORD kLockOffsetHigh = 0x40000000;

std::wstring Wide(std::string_view text) {
  if (text.empty()) return {};
  int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                      nullptr, nullptr);
  return text;
}

std::string Environment(const wchar_t* name) {
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  DWORD length = GetEnvironmentVariableW(name, value.data(), size);
  value.resize(length < size ? length : 0);
  return Utf8(value);
}

// The system's own words for an error, without the line end it ends with.
std::string ErrorText(DWORD error) {
  wchar_t* message = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::string text = length != 0 ? Utf8(std::wstring_view(message, length)) : std::string();
  if (message != nullptr) LocalFree(message);
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
    text.pop_back();
  }
  return text.empty() ? "error " + std::to_string(error) : text;
}

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

// Where the folders a path names begin: after a drive (C:\) or a share
// (\\server\share\), which cannot be created.
std::size_t FirstFolder(const std::string& path) {
  if (path.empty()) return 0;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    std::size_t separators = 0;
    for (std::size_t i = 2; i < path.size(); ++i) {
      if (IsSeparator(path[i]) && ++separators == 2) return i + 1;
    }
    return path.size();
  }
  if (path.size() >= 2 && path[1] == ':') return path.size() > 2 && IsSeparator(path[2]) ? 3 : 2;
  return IsSeparator(path[0]) ? 1 : 0;
}

std::string MakeFolders(const std::string& path) {
  for (std::size_t i = FirstFolder(path); i < path.size(); ++i) {
    if (!IsSeparator(path[i])) continue;
    std::string folder = path.substr(0, i);
    DWORD attributes = GetFileAttributesW(Wide(folder).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
      return folder + " is in the way: it is not a folder";
    }
    // ERROR_ALREADY_EXISTS: another game has just made it.
    if (CreateDirectoryW(Wide(folder).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) {
      continue;
    }
    return words::Fill(_("cannot create the folder {1}: {2}"), {folder, ErrorText(GetLastError())});
  }
  return {};
}

bool IsFolder(const std::wstring& name) {
  DWORD attributes = GetFileAttributesW(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A history is a file on a disk: a pipe would hold the game or the report
// waiting for another process, and a device (NUL, CON) holds no history.
std::string DiskFileOnly(HANDLE handle) {
  return GetFileType(handle) == FILE_TYPE_DISK ? std::string() : _("it is not a regular file");
}

HANDLE Native(const AppendingFile& file) {
  return reinterpret_cast<HANDLE>(file.handle);
}

}  // namespace

std::string HistoryFilePath(std::string& reason) {
  std::string path = Environment(L"KIPPFELD_HISTORY");
  if (!path.empty()) return path;
  std::string local = Environment(L"LOCALAPPDATA");
  if (local.empty()) {
    std::string profile = Environment(L"USERPROFILE");
    if (!profile.empty()) local = profile.append(kLocalUnderProfile);
  }
  if (local.empty()) {
    reason = _("no folder to keep it in (LOCALAPPDATA is not set)");
    return {};
  }
  return local.append(kFileInFolder);
}

std::string LocalDateTimeNow() {
  // One reading of the clock, turned into local time with the offset in
  // force now, so that the time and its offset always belong together.
  FILETIME utc = {};
  FILETIME local = {};
  SYSTEMTIME time = {};
  GetSystemTimeAsFileTime(&utc);
  if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToSystemTime(&local, &time)) return {};
  ULARGE_INTEGER u = {};
  ULARGE_INTEGER l = {};
  u.LowPart = utc.dwLowDateTime;
  u.HighPart = utc.dwHighDateTime;
  l.LowPart = local.dwLowDateTime;
  l.HighPart = local.dwHighDateTime;
  LONGLONG difference = static_cast<LONGLONG>(l.QuadPart) - static_cast<LONGLONG>(u.QuadPart);
  // Rounded to whole minutes: the two conversions may differ by a tick.
  int offset = static_cast<int>((difference + (difference < 0 ? -1 : 1) * kTicksPerMinute / 2) /
                                kTicksPerMinute);
  char sign = offset < 0 ? '-' : '+';
  if (offset < 0) offset = -offset;
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u%c%02d:%02d", time.wYear,
                time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond, sign, offset / 60,
                offset % 60);
  return text;
}

std::string OpenHistoryToAppend(const std::string& path, AppendingFile& file) {
  file = AppendingFile{};
  if (std::string reason = MakeFolders(path); !reason.empty()) return reason;
  std::wstring name = Wide(path);
  if (IsFolder(name)) return _(kFolderReason);
  // Read access only to look at the last byte; a file the user may append
  // to but not read is still appended to.
  constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE handle = CreateFileW(name.c_str(), FILE_APPEND_DATA | FILE_READ_DATA, kShare, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  file.readable = handle != INVALID_HANDLE_VALUE;
  if (!file.readable && GetLastError() == ERROR_ACCESS_DENIED) {
    handle = CreateFileW(name.c_str(), FILE_APPEND_DATA, kShare, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (handle == INVALID_HANDLE_VALUE) return ErrorText(GetLastError());
  if (std::string reason = DiskFileOnly(handle); !reason.empty()) {
    CloseHandle(handle);
    return reason;
  }
  file.handle = reinterpret_cast<std::intptr_t>(handle);
  OVERLAPPED lockAt = {};
  lockAt.OffsetHigh = kLockOffsetHigh;
  file.locked = LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &lockAt);
  return {};
}

std::string ReadHistoryEnd(AppendingFile& file, HistoryEnd& end) {
  end = HistoryEnd{};
  HANDLE handle = Native(file);
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(handle, &size)) return ErrorText(GetLastError());
  end.size = static_cast<std::uint64_t>(size.QuadPart);
  if (!file.readable || size.QuadPart == 0) return {};
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(size.QuadPart - 1);
  at.OffsetHigh = static_cast<DWORD>((size.QuadPart - 1) >> 32);
  char last = '\n';
  DWORD read = 0;
  if (ReadFile(handle, &last, 1, &read, &at) && read == 1) end.last = last;
  return {};
}

std::string AppendInOneWrite(AppendingFile& file, std::string_view text) {
  DWORD written = 0;
  if (!WriteFile(Native(file), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
    return ErrorText(GetLastError());
  }
  if (written < text.size()) {
    return words::Fill(_("only {1} of {2} bytes could be written (is the disk full?)"),
                       {std::to_string(written), std::to_string(text.size())});
  }
  return {};
}

std::string FlushHistoryFile(AppendingFile& file) {
  if (!FlushFileBuffers(Native(file))) {
    return words::Fill(_("cannot flush it to disk: {1}"), {ErrorText(GetLastError())});
  }
  return {};
}

std::string CloseHistoryFile(AppendingFile& file) {
  if (file.handle == -1) return {};
  HANDLE handle = Native(file);
  if (file.locked) {
    OVERLAPPED lockAt = {};
    lockAt.OffsetHigh = kLockOffsetHigh;
    UnlockFileEx(handle, 0, 1, 0, &lockAt);
  }
  bool closed = CloseHandle(handle);
  DWORD error = GetLastError();
  file = AppendingFile{};
  return closed ? std::string() : ErrorText(error);
}

HistoryRead ReadHistoryFile(const std::string& path,
                            const std::function<bool(std::string_view)>& take,
                            std::string& reason) {
  reason.clear();
  std::wstring name = Wide(path);
  HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return HistoryRead::kMissing;
    }
    reason = IsFolder(name) ? _(kFolderReason) : ErrorText(error);
    return HistoryRead::kFailed;
  }
  reason = DiskFileOnly(handle);
  char buffer[65536];
  while (reason.empty()) {
    DWORD count = 0;
    if (!ReadFile(handle, buffer, sizeof buffer, &count, nullptr)) {
      reason = ErrorText(GetLastError());
      break;
    }
    if (count == 0 || !take(std::string_view(buffer, count))) break;
  }
  CloseHandle(handle);
  return reason.empty() ? HistoryRead::kRead : HistoryRead::kFailed;
}

namespace {

// The console the stream writes to, or none.
HANDLE ConsoleOf(std::FILE* stream) {
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// Characters per WriteConsoleW: older consoles refuse a buffer of 64 KiB.
constexpr std::size_t kConsoleWriteChars = 8192;

}  // namespace

bool StreamTakesUtf8(std::FILE* stream) {
  // A console shows every character PutText gives it, whatever its code
  // page; a file or a pipe gets plain ASCII, since nothing says what will
  // read it.
  return ConsoleOf(stream) != nullptr;
}

bool PutText(std::FILE* stream, std::string_view text) {
  HANDLE console = ConsoleOf(stream);
  if (console == nullptr) return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
  // The C library would hand the console the UTF-8 bytes to read in its
  // code page (850 or 1252 in a German Windows: "ZÃ¼ge"); as UTF-16 they
  // are shown as they are, and the console's code page is never changed.
  if (std::fflush(stream) != 0) return false;
  const std::wstring wide = Wide(text);
  for (std::size_t at = 0; at < wide.size();) {
    std::size_t count = std::min(wide.size() - at, kConsoleWriteChars);
    // A character beyond the BMP is not cut in two between writes.
    if (count > 1 && at + count < wide.size() && IS_HIGH_SURROGATE(wide[at + count - 1])) --count;
    DWORD written = 0;
    if (!WriteConsoleW(console, wide.data() + at, static_cast<DWORD>(count), &written, nullptr) ||
        written == 0) {
      return false;
    }
    at += written;
  }
  return true;
}

}  // namespace kippfeld::platform
