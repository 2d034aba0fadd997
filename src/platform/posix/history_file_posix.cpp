// The history file on a POSIX system: $XDG_STATE_HOME/kippfeld/history.tsv,
// or ~/.local/state/kippfeld/history.tsv.
//
// A record goes out in one write() on a descriptor opened with O_APPEND: the
// kernel puts each such write whole at the end of the file, so records of
// two games ending at the same moment never mix. Before it, the file store
// looks at the file's end. Another game's write may be under way during that
// look (a size taken mid-write ends inside its record), so the look and the
// write are made under an advisory lock (flock) that only other games take.
// Where the file system has no locks the game goes on without: at worst a
// header or an empty line too many, which the reader passes over.
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "platform/history_file.h"
#include "words/words.h"

namespace kippfeld::platform {

namespace {

constexpr std::string_view kFileInFolder = "/kippfeld/history.tsv";
constexpr std::string_view kStateUnderHome = "/.local/state";

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string ErrorText(int error) {
  return words::ErrorNumberText(error);
}

// Creates every missing folder above the file, for the user alone, as the
// base directory rules ask of state folders.
std::string MakeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    std::string folder = path.substr(0, slash);
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0) {
      if (S_ISDIR(info.st_mode)) continue;
      return words::Fill(_("{1} is in the way: it is not a folder"), {folder});
    }
    // EEXIST: another game has just made it.
    if (mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) continue;
    // TRANSLATORS: {1} is the folder, {2} the system's reason.
    return words::Fill(_("cannot create the folder {1}: {2}"), {folder, ErrorText(errno)});
  }
  return {};
}

// A history is a regular file. A FIFO would hold the game or the report
// waiting for another process, a device or a folder holds no history.
std::string RegularFileOnly(int fd) {
  struct stat info {};
  if (fstat(fd, &info) != 0) return ErrorText(errno);
  if (S_ISDIR(info.st_mode)) return ErrorText(EISDIR);
  if (!S_ISREG(info.st_mode)) return _("it is not a regular file");
  return {};
}

// The character set the name of the player's locale ends with, for a
// locale the C library does not have: de_DE.UTF-8 or de_DE.utf8 is UTF-8.
bool NamesUtf8() {
  std::string name;
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    name = Environment(variable);
    if (!name.empty()) break;
  }
  std::size_t dot = name.find('.');
  if (dot == std::string::npos) return false;
  std::string codeset = name.substr(dot + 1);
  codeset.erase(std::min(codeset.find('@'), codeset.size()));
  for (char& c : codeset) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return codeset == "utf-8" || codeset == "utf8";
}

}  // namespace

std::string HistoryFilePath(std::string& reason) {
  std::string path = Environment("KIPPFELD_HISTORY");
  if (!path.empty()) return path;
  // A relative XDG_STATE_HOME is to be ignored.
  std::string state = Environment("XDG_STATE_HOME");
  if (!state.empty() && state[0] == '/') return state + std::string(kFileInFolder);
  std::string home = Environment("HOME");
  if (home.empty()) {
    const passwd* user = getpwuid(getuid());
    if (user != nullptr && user->pw_dir != nullptr) home = user->pw_dir;
  }
  if (home.empty()) {
    reason = _("no home folder to keep it in (HOME is not set)");
    return {};
  }
  return home + std::string(kStateUnderHome) + std::string(kFileInFolder);
}

std::string LocalDateTimeNow() {
  time_t now = time(nullptr);
  tm local{};
  if (localtime_r(&now, &local) == nullptr) return {};
  // Offsets are whole minutes, within a day.
  int offset = static_cast<int>(local.tm_gmtoff / 60 % (24 * 60));
  char sign = offset < 0 ? '-' : '+';
  if (offset < 0) offset = -offset;
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, sign,
                offset / 60, offset % 60);
  return text;
}

std::string OpenHistoryToAppend(const std::string& path, AppendingFile& file) {
  file = AppendingFile{};
  if (std::string reason = MakeFolders(path); !reason.empty()) return reason;
  // Read access only to look at the last byte; a file the user may append
  // to but not read is still appended to. O_NONBLOCK: the open of a FIFO
  // never waits for its other side; it is refused below like any other
  // file that is not a regular one.
  constexpr int kFlags = O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  int fd = open(path.c_str(), O_RDWR | kFlags, 0666);
  file.readable = fd >= 0;
  if (fd < 0 && errno == EACCES) fd = open(path.c_str(), O_WRONLY | kFlags, 0666);
  if (fd < 0) return ErrorText(errno);
  if (std::string reason = RegularFileOnly(fd); !reason.empty()) {
    close(fd);
    return reason;
  }
  file.handle = fd;
  int locked;
  while ((locked = flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
  }
  file.locked = locked == 0;
  return {};
}

std::string ReadHistoryEnd(AppendingFile& file, HistoryEnd& end) {
  end = HistoryEnd{};
  int fd = static_cast<int>(file.handle);
  struct stat info {};
  if (fstat(fd, &info) != 0) return ErrorText(errno);
  end.size = static_cast<std::uint64_t>(info.st_size);
  char last = '\n';
  if (file.readable && info.st_size > 0 && pread(fd, &last, 1, info.st_size - 1) == 1) {
    end.last = last;
  }
  return {};
}

std::string AppendInOneWrite(AppendingFile& file, std::string_view text) {
  ssize_t written;
  do {
    written = write(static_cast<int>(file.handle), text.data(), text.size());
  } while (written < 0 && errno == EINTR);
  if (written < 0) return ErrorText(errno);
  if (static_cast<std::size_t>(written) < text.size()) {
    return words::Fill(_("only {1} of {2} bytes could be written (is the disk full?)"),
                       {std::to_string(written), std::to_string(text.size())});
  }
  return {};
}

std::string FlushHistoryFile(AppendingFile& file) {
  if (fsync(static_cast<int>(file.handle)) != 0) {
    return words::Fill(_("cannot flush it to disk: {1}"), {ErrorText(errno)});
  }
  return {};
}

std::string CloseHistoryFile(AppendingFile& file) {
  if (file.handle < 0) return {};
  // Closing gives the lock up.
  int result = close(static_cast<int>(file.handle));
  int error = errno;
  file = AppendingFile{};
  // EINTR: the descriptor is closed all the same.
  return result != 0 && error != EINTR ? ErrorText(error) : std::string();
}

HistoryRead ReadHistoryFile(const std::string& path,
                            const std::function<bool(std::string_view)>& take,
                            std::string& reason) {
  reason.clear();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) return HistoryRead::kMissing;
    reason = ErrorText(errno);
    return HistoryRead::kFailed;
  }
  reason = RegularFileOnly(fd);
  char buffer[65536];
  while (reason.empty()) {
    ssize_t count = read(fd, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) reason = ErrorText(errno);
    if (count <= 0 || !take(std::string_view(buffer, static_cast<std::size_t>(count)))) break;
  }
  close(fd);
  return reason.empty() ? HistoryRead::kRead : HistoryRead::kFailed;
}

bool PutText(std::FILE* stream, std::string_view text) {
  return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

bool StreamTakesUtf8(std::FILE*) {
  // The player's character set, as the environment sets it, looked at in a
  // locale object of its own: the process's locale stays the C locale, so
  // that nothing else it writes (numbers above all) changes with the
  // environment. A locale that is not installed is taken at its name.
  locale_t player = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
  if (player == static_cast<locale_t>(nullptr)) return NamesUtf8();
  bool utf8 = std::strcmp(nl_langinfo_l(CODESET, player), "UTF-8") == 0;
  freelocale(player);
  return utf8;
}

}  // namespace kippfeld::platform
