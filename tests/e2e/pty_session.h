// Runs a program in a pseudo-terminal and reads its screen the way a player
// would see it, through a terminal emulator (libvterm): text, colours, the
// cursor and the modes the program switched on. Every wait is for a
// condition with a deadline, so the tests are as fast as the program and do
// not depend on the machine's speed.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct VTerm;
struct VTermScreen;

namespace kippfeld::e2e {

struct ScreenCell {
  char32_t glyph = 0;  // the first code point, 0 for an empty cell
  int width = 1;
  int foreground = -1;  // palette index, -1 for the terminal's default colour
  int background = -1;
  bool bold = false;
  bool underline = false;
  bool reverse = false;
};

struct SessionOptions {
  int columns = 80;
  int rows = 25;
  // The size the terminal reports at the start, when not columns x rows
  // (see ReportSize); 0 for columns x rows.
  int reportedColumns = 0;
  int reportedRows = 0;
  std::string term = "xterm-256color";
  std::string locale = "C.UTF-8";
  std::vector<std::string> arguments;
  // Set in the program's environment after TERM and the locale, so they can
  // override those too.
  std::vector<std::pair<std::string, std::string>> environment;
  // Starts the program with SIGHUP ignored, as nohup does.
  bool ignoreHangup = false;
  // False: the program gets the terminal on its standard handles only, in a
  // session of its own without a controlling terminal, so no resize signal
  // ever reaches it.
  bool controllingTerminal = true;
  // Standard output and standard error go to pipes, not to the terminal,
  // which stays the controlling terminal and standard input.
  bool outputToPipes = false;
  // Starts the program as a job of a small shell of the harness's own, in a
  // process group of its own with the shell as its parent: only then do the
  // stop signals stop it (a process group with no parent in its session
  // ignores them, since no shell could continue it). As an interactive shell
  // does, this one takes the terminal when the job stops, and hands it back
  // on ForegroundJob().
  bool jobControl = false;
};

class PtySession {
 public:
  static constexpr int kDefaultDeadlineMs = 10'000;

  PtySession(const std::string& program, const SessionOptions& options = {});
  ~PtySession();
  PtySession(const PtySession&) = delete;
  PtySession& operator=(const PtySession&) = delete;

  // --- Driving the program ---
  void Send(std::string_view bytes);
  // Sends the terminal's SGR mouse report for a press or release of button
  // (0 left, 1 middle, 2 right) at a 1-based row and column.
  void SendMouse(int button, int row, int column, bool release);
  void Resize(int columns, int rows);
  // Makes the terminal report a size to the program (with the resize
  // signal) while the emulator keeps its own: a window too large to emulate.
  void ReportSize(int columns, int rows);
  void Signal(int signalNumber);
  // With jobControl: what fg does, the terminal handed to the job and the
  // job continued.
  void ForegroundJob();
  // Whether the program is stopped, as the kernel reports it.
  bool Stopped() const;
  // Whether the program's process group is the terminal's foreground.
  bool InForeground() const;
  // Closes the terminal's master side, as a terminal window closing does.
  void CloseMaster();

  // --- Waiting ---
  // Reads the program's output until condition holds; false at the deadline.
  bool WaitFor(const std::function<bool()>& condition, int deadlineMs = kDefaultDeadlineMs);
  bool WaitForText(int row, int column, std::string_view utf8, int deadlineMs = kDefaultDeadlineMs);
  bool WaitForCursor(int row, int column, int deadlineMs = kDefaultDeadlineMs);
  // Reads output until there has been none for quietMs (or the deadline).
  void Settle(int quietMs = 300, int deadlineMs = kDefaultDeadlineMs);
  // Waits for the program to end; false at the deadline. The wait status is
  // then available through Status().
  bool WaitExit(int deadlineMs = kDefaultDeadlineMs);
  // The same without reading the terminal: the program's output stays
  // unread, as with a terminal that has stopped reading.
  bool WaitExitUnread(int deadlineMs);
  bool Exited() const { return exited_; }
  int Status() const { return status_; }

  // --- The screen (1-based rows and columns) ---
  ScreenCell CellAt(int row, int column) const;
  // The row's text as UTF-8, empty cells as blanks, trailing blanks kept.
  std::string RowText(int row) const;
  std::string TextAt(int row, int column, int count) const;
  int CursorRow() const;
  int CursorColumn() const;
  bool CursorVisible() const { return cursorVisible_; }
  bool AlternateScreen() const { return alternateScreen_; }
  int MouseMode() const { return mouseMode_; }  // 0 when no mouse reports are on
  int Rows() const { return rows_; }
  int Columns() const { return columns_; }

  // --- What the program did to the terminal ---
  const std::string& Output() const { return output_; }
  // Bytes written since the mark, for counting what an input costs.
  std::size_t Mark() const { return output_.size(); }
  // With outputToPipes, everything the program wrote there; reads until the
  // program (and whatever inherited the pipe) has closed it.
  std::string PipedOutput();
  std::string PipedError();
  termios SettingsAtStart() const { return startSettings_; }
  termios SettingsNow() const;
  // Writes bytes straight into the emulator, as if the program had: after
  // the program has ended, this shows the pen the terminal was left with.
  void Emulate(std::string_view bytes);
  pid_t Pid() const { return jobPid_ > 0 ? jobPid_ : pid_; }
  // The history file the program keeps its tests in, unless the options
  // name another; it and its folder go with the session.
  std::string HistoryPath() const;

 private:
  // Reads what is there within waitMs; false when the program's side of the
  // terminal is gone.
  bool ReadOnce(int waitMs);
  // Reads on until the program has been quiet for a moment.
  void FinishUpdate();
  void Reap(bool block);
  friend struct SessionCallbacks;

  int master_ = -1;
  pid_t jobPid_ = -1;  // the program, when pid_ is the harness's shell
  int slave_ = -1;     // kept open to read the terminal settings after the end
  pid_t pid_ = -1;
  bool exited_ = false;
  int status_ = 0;
  int columns_;
  int rows_;
  VTerm* vterm_ = nullptr;
  VTermScreen* screen_ = nullptr;
  bool cursorVisible_ = true;
  bool alternateScreen_ = false;
  int mouseMode_ = 0;
  std::string output_;
  termios startSettings_{};
  // The read ends of the pipes, with outputToPipes.
  int outputPipe_ = -1;
  int errorPipe_ = -1;
  std::string historyFolder_;
};

// Equal in every field a program could have changed and failed to restore.
bool SameSettings(const termios& a, const termios& b);

std::string Utf8(char32_t codePoint);

// pipe(), both ends closed on exec (pipe2 is not everywhere).
bool PipeClosedOnExec(int ends[2]);

}  // namespace kippfeld::e2e
