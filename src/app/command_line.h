// What the program is asked to do, read from its arguments before anything
// touches the terminal. Only playing needs one; every other answer goes to
// standard output or standard error.
//
// The rules, also in the usage text and the manual page:
// - --help wins over everything else on the line, mistakes included: whoever
//   asks for help gets it.
// - Otherwise the first unknown option or argument is an error; the game
//   takes no arguments, so anything after "--" is one too.
// - Otherwise --version wins over --history, whatever their order.
// - An option given twice counts once; --no-history goes with any action,
//   though only a game has anything to leave out of the history.
#pragma once

#include <string>
#include <vector>

namespace kippfeld::app {

enum class Action {
  kPlay,
  kShowHelp,
  kShowVersion,
  kShowHistory,
  kUsageError,
};

struct CommandLine {
  Action action = Action::kPlay;
  // Play, but record nothing of this run in the training history.
  bool noHistory = false;
  // For kUsageError, what was wrong, naming the argument: "unknown option '-x'".
  std::string error;
};

// Reads the arguments that follow the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// What --help prints on standard output.
std::string UsageText();
// What --version prints on standard output: "kippfeld 1.2.0" and a newline.
std::string VersionText();
// The one line a usage error prints on standard error, with the way to help.
std::string UsageErrorLine(const CommandLine& commandLine);

}  // namespace kippfeld::app
