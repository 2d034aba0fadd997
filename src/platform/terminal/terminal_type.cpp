#include "platform/terminal/terminal_type.h"

#include "words/words.h"

// Last, for their macros (lines, columns and hundreds more).
#define NCURSES_WIDECHAR 1
#include <curses.h>
#include <term.h>

namespace kippfeld::platform {

int WithTerminfoEntry(const char* type, int fd, const std::function<void()>& read) {
  // setupterm only reads the entry and asks the terminal for its size; the
  // entry it makes is put away again, so that curses starts afresh.
  TERMINAL* previous = cur_term;
  int status = 0;
  if (setupterm(type, fd, &status) != OK) {
    // Refusing a hardcopy type, setupterm has made its entry all the same.
    // (Its status is then 1, as for an entry read: not passed on.)
    if (cur_term != previous) del_curterm(set_curterm(previous));
    return status < 0 ? -1 : 0;
  }
  read();
  del_curterm(set_curterm(previous));
  return 1;
}

std::string TerminalTypeProblem(const char* type, int fd) {
  if (type == nullptr || *type == '\0') return _("unknown terminal type TERM=(not set)");
  const std::string named = std::string("TERM=") + type;
  bool addressable = false;
  const int status = WithTerminfoEntry(type, fd, [&] {
    const char* cursorAddress = tigetstr("cup");
    addressable = cursorAddress != nullptr && cursorAddress != reinterpret_cast<char*>(-1) &&
                  *cursorAddress != '\0';
  });
  // TRANSLATORS: {1} is TERM=name.
  if (status < 0)
    return words::Fill(_("cannot read the terminal database to look up {1}"), {named});
  if (status == 0) return words::Fill(_("unknown terminal type {1}"), {named});
  if (!addressable) {
    return words::Fill(_("terminal type {1} cannot move the cursor, which the game needs"),
                       {named});
  }
  return {};
}

}  // namespace kippfeld::platform
