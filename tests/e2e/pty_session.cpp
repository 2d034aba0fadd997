#include "pty_session.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vterm.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace kippfeld::e2e {

namespace {

long long NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

int PaletteIndex(const VTermColor& colour, bool foreground) {
  if (foreground ? VTERM_COLOR_IS_DEFAULT_FG(&colour) : VTERM_COLOR_IS_DEFAULT_BG(&colour))
    return -1;
  if (VTERM_COLOR_IS_INDEXED(&colour)) return colour.indexed.idx;
  return -2;  // a direct RGB colour, which this program never sends
}

volatile sig_atomic_t gForegroundWanted = 0;

void OnForegroundWanted(int) {
  gForegroundWanted = 1;
}

// The harness's shell, in the forked child that leads the session: starts
// the program as a job in a process group of its own in the foreground,
// takes the terminal when the job stops, gives it back and continues the
// job on SIGUSR1, and ends as the job ended. Never returns.
[[noreturn]] void RunJobShell(char* const* args, int pidPipe) {
  // A shell changes the terminal's foreground from the background and is
  // stopped by nothing the terminal sends.
  signal(SIGTTOU, SIG_IGN);
  signal(SIGTTIN, SIG_IGN);
  signal(SIGTSTP, SIG_IGN);
  pid_t job = fork();
  if (job == 0) {
    setpgid(0, 0);
    tcsetpgrp(STDIN_FILENO, getpid());
    signal(SIGTTOU, SIG_DFL);
    signal(SIGTTIN, SIG_DFL);
    signal(SIGTSTP, SIG_DFL);
    execv(args[0], args);
    _exit(127);
  }
  if (job < 0) _exit(127);
  setpgid(job, job);
  signal(SIGUSR1, OnForegroundWanted);
  [[maybe_unused]] ssize_t sent = write(pidPipe, &job, sizeof job);
  close(pidPipe);
  for (;;) {
    if (gForegroundWanted) {
      gForegroundWanted = 0;
      tcsetpgrp(STDIN_FILENO, job);
      kill(job, SIGCONT);
    }
    int status = 0;
    pid_t done = waitpid(job, &status, WUNTRACED | WNOHANG);
    if (done == 0 || (done < 0 && errno == EINTR)) {
      usleep(2'000);
      continue;
    }
    if (done < 0) _exit(127);
    if (WIFSTOPPED(status)) {
      tcsetpgrp(STDIN_FILENO, getpgrp());
      continue;
    }
    if (WIFSIGNALED(status)) {
      signal(WTERMSIG(status), SIG_DFL);
      kill(getpid(), WTERMSIG(status));
    }
    _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 127);
  }
}

}  // namespace

struct SessionCallbacks {
  static int SetTermProp(VTermProp prop, VTermValue* value, void* user) {
    auto* session = static_cast<PtySession*>(user);
    switch (prop) {
      case VTERM_PROP_CURSORVISIBLE:
        session->cursorVisible_ = value->boolean != 0;
        break;
      case VTERM_PROP_ALTSCREEN:
        session->alternateScreen_ = value->boolean != 0;
        break;
      case VTERM_PROP_MOUSE:
        session->mouseMode_ = value->number;
        break;
      default:
        break;
    }
    return 1;
  }
};

namespace {
const VTermScreenCallbacks kCallbacks = {
    nullptr, nullptr, nullptr, &SessionCallbacks::SetTermProp, nullptr, nullptr, nullptr, nullptr,
};
}  // namespace

std::string Utf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

bool SameSettings(const termios& a, const termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 &&
         cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

PtySession::PtySession(const std::string& program, const SessionOptions& options)
    : columns_(options.columns), rows_(options.rows) {
  winsize size{};
  size.ws_col =
      static_cast<unsigned short>(options.reportedColumns ? options.reportedColumns : columns_);
  size.ws_row = static_cast<unsigned short>(options.reportedRows ? options.reportedRows : rows_);
  if (openpty(&master_, &slave_, nullptr, nullptr, &size) != 0)
    throw std::runtime_error("openpty failed");
  fcntl(master_, F_SETFD, FD_CLOEXEC);
  fcntl(slave_, F_SETFD, FD_CLOEXEC);
  tcgetattr(slave_, &startSettings_);
  std::string folder = (std::filesystem::temp_directory_path() / "kippfeld-e2e-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  historyFolder_ = folder;
  std::string history = HistoryPath();

  vterm_ = vterm_new(rows_, columns_);
  vterm_set_utf8(vterm_, 1);
  screen_ = vterm_obtain_screen(vterm_);
  vterm_screen_set_callbacks(screen_, &kCallbacks, this);
  vterm_screen_enable_altscreen(screen_, 1);
  vterm_screen_reset(screen_, 1);

  std::vector<std::string> argv{program};
  argv.insert(argv.end(), options.arguments.begin(), options.arguments.end());
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  std::string term = "TERM=" + options.term;
  int outputPipe[2] = {-1, -1};
  int errorPipe[2] = {-1, -1};
  if (options.outputToPipes && (!PipeClosedOnExec(outputPipe) || !PipeClosedOnExec(errorPipe)))
    throw std::runtime_error("pipe failed");

  int pidPipe[2] = {-1, -1};
  if (options.jobControl && pipe(pidPipe) != 0) throw std::runtime_error("pipe failed");
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    setsid();
    if (options.controllingTerminal) ioctl(slave_, TIOCSCTTY, 0);
    dup2(slave_, 0);
    dup2(options.outputToPipes ? outputPipe[1] : slave_, 1);
    dup2(options.outputToPipes ? errorPipe[1] : slave_, 2);
    signal(SIGHUP, options.ignoreHangup ? SIG_IGN : SIG_DFL);
    signal(SIGINT, SIG_DFL);
    signal(SIGQUIT, SIG_DFL);
    putenv(term.data());
    setenv("LANG", options.locale.c_str(), 1);
    setenv("LC_ALL", options.locale.c_str(), 1);
    // The program's words in English unless the test says otherwise: in
    // C.UTF-8, LANGUAGE would count.
    unsetenv("LANGUAGE");
    unsetenv("LC_MESSAGES");
    // A test's games never go into the history of whoever runs the tests:
    // each session has a file of its own, removed with the session.
    setenv("KIPPFELD_HISTORY", history.c_str(), 1);
    for (const auto& [name, value] : options.environment) setenv(name.c_str(), value.c_str(), 1);
    // The crash tests end the program by SIGSEGV and SIGABRT: no core files.
    rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    unsetenv("LINES");
    unsetenv("COLUMNS");
    if (options.jobControl) {
      // The shell outlives the exec below: it must not hold the terminal's
      // other side open.
      close(master_);
      close(pidPipe[0]);
      RunJobShell(args.data(), pidPipe[1]);
    }
    execv(args[0], args.data());
    _exit(127);
  }
  if (options.outputToPipes) {
    close(outputPipe[1]);
    close(errorPipe[1]);
    outputPipe_ = outputPipe[0];
    errorPipe_ = errorPipe[0];
  }
  if (options.jobControl) {
    close(pidPipe[1]);
    if (read(pidPipe[0], &jobPid_, sizeof jobPid_) != sizeof jobPid_) jobPid_ = -1;
    close(pidPipe[0]);
  }
}

PtySession::~PtySession() {
  if (!exited_ && jobPid_ > 0) kill(jobPid_, SIGKILL);
  if (!exited_ && pid_ > 0) {
    kill(pid_, SIGKILL);
    Reap(true);
  }
  if (master_ >= 0) close(master_);
  if (slave_ >= 0) close(slave_);
  if (outputPipe_ >= 0) close(outputPipe_);
  if (errorPipe_ >= 0) close(errorPipe_);
  if (vterm_ != nullptr) vterm_free(vterm_);
  std::error_code ignored;
  std::filesystem::remove_all(historyFolder_, ignored);
}

std::string PtySession::HistoryPath() const {
  return historyFolder_ + "/history.tsv";
}

namespace {
std::string ReadToEnd(int fd) {
  std::string text;
  char bytes[4096];
  while (fd >= 0) {
    ssize_t count = read(fd, bytes, sizeof bytes);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    text.append(bytes, static_cast<std::size_t>(count));
  }
  return text;
}
}  // namespace

std::string PtySession::PipedOutput() {
  return ReadToEnd(outputPipe_);
}

std::string PtySession::PipedError() {
  return ReadToEnd(errorPipe_);
}

void PtySession::Send(std::string_view bytes) {
  while (!bytes.empty() && master_ >= 0) {
    ssize_t written = write(master_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void PtySession::SendMouse(int button, int row, int column, bool release) {
  Send("\x1b[<" + std::to_string(button) + ";" + std::to_string(column) + ";" +
       std::to_string(row) + (release ? "m" : "M"));
}

void PtySession::Resize(int columns, int rows) {
  columns_ = columns;
  rows_ = rows;
  winsize size{};
  size.ws_col = static_cast<unsigned short>(columns);
  size.ws_row = static_cast<unsigned short>(rows);
  vterm_set_size(vterm_, rows, columns);
  // The kernel sends SIGWINCH to the program's process group.
  ioctl(master_, TIOCSWINSZ, &size);
}

void PtySession::ReportSize(int columns, int rows) {
  winsize size{};
  size.ws_col = static_cast<unsigned short>(columns);
  size.ws_row = static_cast<unsigned short>(rows);
  ioctl(master_, TIOCSWINSZ, &size);
}

void PtySession::Signal(int signalNumber) {
  if (!exited_) kill(Pid(), signalNumber);
}

void PtySession::ForegroundJob() {
  if (!exited_ && jobPid_ > 0) kill(pid_, SIGUSR1);
}

bool PtySession::InForeground() const {
  // Asked on the master side, which any process may ask.
  return master_ >= 0 && tcgetpgrp(master_) == Pid();
}

bool PtySession::Stopped() const {
  std::ifstream stat("/proc/" + std::to_string(Pid()) + "/stat");
  std::string text;
  std::getline(stat, text);
  // The state follows the command name, which is in parentheses.
  std::size_t close = text.rfind(')');
  return close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'T';
}

void PtySession::CloseMaster() {
  if (master_ >= 0) close(master_);
  master_ = -1;
}

bool PtySession::ReadOnce(int waitMs) {
  if (master_ < 0) return false;
  pollfd fd{master_, POLLIN, 0};
  int ready = poll(&fd, 1, waitMs);
  if (ready <= 0) return true;
  char bytes[8192];
  ssize_t count = read(master_, bytes, sizeof bytes);
  if (count <= 0) return errno == EINTR || errno == EAGAIN;
  output_.append(bytes, static_cast<std::size_t>(count));
  vterm_input_write(vterm_, bytes, static_cast<std::size_t>(count));
  return true;
}

void PtySession::Reap(bool block) {
  if (exited_ || pid_ <= 0) return;
  int status = 0;
  pid_t done = waitpid(pid_, &status, block ? 0 : WNOHANG);
  if (done == pid_) {
    exited_ = true;
    status_ = status;
  }
}

bool PtySession::WaitFor(const std::function<bool()>& condition, int deadlineMs) {
  long long end = NowMs() + deadlineMs;
  for (;;) {
    if (condition()) {
      // The update that made it true may still be on its way in pieces
      // (curses writes a large one in several writes): take the rest of it,
      // so that what the caller checks next is one whole screen.
      FinishUpdate();
      return true;
    }
    long long left = end - NowMs();
    if (left <= 0) return false;
    if (!ReadOnce(static_cast<int>(std::min<long long>(left, 20)))) {
      // Nothing more will come; one last look after what was read.
      Reap(false);
      if (condition()) return true;
      if (exited_) return false;
      usleep(10'000);
    }
    Reap(false);
  }
}

bool PtySession::WaitForText(int row, int column, std::string_view utf8, int deadlineMs) {
  return WaitFor(
      [&] {
        std::string text = RowText(row);
        // Columns count cells, not bytes: find the byte offset of the column.
        std::string prefix = TextAt(row, 1, column - 1);
        return text.compare(prefix.size(), utf8.size(), utf8) == 0;
      },
      deadlineMs);
}

bool PtySession::WaitForCursor(int row, int column, int deadlineMs) {
  return WaitFor([&] { return CursorRow() == row && CursorColumn() == column; }, deadlineMs);
}

void PtySession::FinishUpdate() {
  constexpr int kQuietMs = 15;
  constexpr int kLimitMs = 250;
  long long end = NowMs() + kLimitMs;
  std::size_t seen = output_.size();
  while (NowMs() < end && master_ >= 0 && ReadOnce(kQuietMs) && output_.size() != seen)
    seen = output_.size();
}

void PtySession::Settle(int quietMs, int deadlineMs) {
  long long end = NowMs() + deadlineMs;
  std::size_t seen = output_.size();
  long long quietSince = NowMs();
  while (NowMs() < end && master_ >= 0) {
    if (!ReadOnce(20)) break;
    if (output_.size() != seen) {
      seen = output_.size();
      quietSince = NowMs();
    } else if (NowMs() - quietSince >= quietMs) {
      break;
    }
  }
}

bool PtySession::WaitExit(int deadlineMs) {
  WaitFor([this] { return exited_; }, deadlineMs);
  // Whatever the program wrote on its way out is in the master's buffer.
  while (exited_ && master_ >= 0) {
    pollfd fd{master_, POLLIN, 0};
    if (poll(&fd, 1, 0) <= 0 || !ReadOnce(0)) break;
  }
  return exited_;
}

bool PtySession::WaitExitUnread(int deadlineMs) {
  long long end = NowMs() + deadlineMs;
  for (;;) {
    Reap(false);
    if (exited_ || NowMs() >= end) return exited_;
    usleep(5'000);
  }
}

ScreenCell PtySession::CellAt(int row, int column) const {
  VTermScreenCell cell{};
  VTermPos pos{row - 1, column - 1};
  ScreenCell result;
  if (!vterm_screen_get_cell(screen_, pos, &cell)) return result;
  result.glyph = cell.chars[0];
  result.width = cell.width;
  result.foreground = PaletteIndex(cell.fg, true);
  result.background = PaletteIndex(cell.bg, false);
  result.bold = cell.attrs.bold != 0;
  result.underline = cell.attrs.underline != 0;
  result.reverse = cell.attrs.reverse != 0;
  return result;
}

std::string PtySession::TextAt(int row, int column, int count) const {
  std::string text;
  for (int c = column; c < column + count && c <= columns_; ++c) {
    ScreenCell cell = CellAt(row, c);
    text += Utf8(cell.glyph == 0 ? U' ' : cell.glyph);
  }
  return text;
}

std::string PtySession::RowText(int row) const {
  return TextAt(row, 1, columns_);
}

int PtySession::CursorRow() const {
  VTermPos pos{};
  vterm_state_get_cursorpos(vterm_obtain_state(vterm_), &pos);
  return pos.row + 1;
}

int PtySession::CursorColumn() const {
  VTermPos pos{};
  vterm_state_get_cursorpos(vterm_obtain_state(vterm_), &pos);
  return pos.col + 1;
}

termios PtySession::SettingsNow() const {
  termios settings{};
  tcgetattr(slave_, &settings);
  return settings;
}

void PtySession::Emulate(std::string_view bytes) {
  vterm_input_write(vterm_, bytes.data(), bytes.size());
}

bool PipeClosedOnExec(int ends[2]) {
  if (pipe(ends) != 0) return false;
  fcntl(ends[0], F_SETFD, FD_CLOEXEC);
  fcntl(ends[1], F_SETFD, FD_CLOEXEC);
  return true;
}

}  // namespace kippfeld::e2e
