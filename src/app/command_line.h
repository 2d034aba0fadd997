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
// - --drill plays a drill instead of the practice and the test. It may name
//   the tasks: --drill=4,10, or --drill 4,10 when the next argument starts
//   with a digit; each task 1..12, parted by commas, one named twice counts
//   once. Any other list, or --drill with --history, is a mistake.
// - --lang takes a value, de or en (--lang de or --lang=de), and goes with
//   any action; given twice, the last one counts. Any other value is a
//   mistake.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "words/language.h"

namespace kippfeld::app {

enum class Action {
  kPlay,
  kShowHelp,
  kShowVersion,
  kShowHistory,
  kUsageError,
};

// What was wrong with the arguments; the words are chosen when they are
// shown, once the language is known, which may be named after the mistake.
enum class Mistake {
  kNone,
  kUnexpectedArgument,
  kUnknownOption,
  kTakesNoValue,
  kNeedsValue,
  kUnknownLanguage,
  kBadDrillList,
  kDrillWithHistory,
};

struct CommandLine {
  Action action = Action::kPlay;
  // Play, but record nothing of this run in the training history.
  bool noHistory = false;
  // The language --lang asked for, if any.
  std::optional<words::Language> language;
  // A drill instead of the practice and the test: the tasks named, or none
  // for the ones the history picks.
  bool drill = false;
  std::vector<int> drillTasks;
  // For kUsageError, the first mistake and the argument (or option) it is in.
  Mistake mistake = Mistake::kNone;
  std::string argument;
};

// Reads the arguments that follow the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// What was wrong, naming the argument: "unknown option '-x'"; empty without
// a mistake.
std::string MistakeText(const CommandLine& commandLine);

// What --help prints on standard output.
std::string UsageText();
// What --version prints on standard output: "kippfeld 1.2.0" and a newline.
// (Like every text here, in the words' current language, UTF-8.)
std::string VersionText();
// The one line a usage error prints on standard error, with the way to help.
std::string UsageErrorLine(const CommandLine& commandLine);

}  // namespace kippfeld::app
