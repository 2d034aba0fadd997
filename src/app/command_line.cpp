#include "app/command_line.h"

#include <algorithm>
#include <string_view>

#include "game/history.h"
#include "words/words.h"

#ifndef KIPPFELD_VERSION
#error "KIPPFELD_VERSION must come from the build (the project's version)"
#endif

namespace kippfeld::app {

namespace {

enum class Option { kHelp, kVersion, kHistory, kNoHistory, kLanguage, kDrill };

struct OptionName {
  std::string_view shortName;  // empty when there is none
  std::string_view longName;
  Option option;
  bool takesValue = false;
  bool mayTakeValue = false;  // only with = or when the next argument is a number
};

constexpr OptionName kOptions[] = {
    {"-h", "--help", Option::kHelp},         {"-V", "--version", Option::kVersion},
    {"", "--history", Option::kHistory},     {"", "--no-history", Option::kNoHistory},
    {"", "--lang", Option::kLanguage, true}, {"", "--drill", Option::kDrill, false, true},
};

const OptionName* FindOption(std::string_view argument) {
  for (const OptionName& name : kOptions)
    if (argument == name.longName || (!name.shortName.empty() && argument == name.shortName))
      return &name;
  return nullptr;
}

// The argument as an error shows it: in quotes, with every byte that is not
// part of a printable UTF-8 character spelled out, so that the message stays
// one line whatever was typed and nothing in it reaches the terminal as a
// control.
std::string Quoted(std::string_view argument) {
  std::string quoted = "'";
  quoted += game::PrintableText(argument, true);
  quoted += '\'';
  return quoted;
}

// The tasks of a drill's list: numbers 1..12 parted by commas, in the order
// named, each once. Nothing when it is no such list.
std::optional<std::vector<int>> DrillTasks(std::string_view list) {
  std::vector<int> tasks;
  for (;;) {
    std::size_t comma = list.find(',');
    std::string_view item = list.substr(0, comma);
    if (item.empty() || item.size() > 2) return std::nullopt;
    int task = 0;
    for (char c : item) {
      if (c < '0' || c > '9') return std::nullopt;
      task = task * 10 + (c - '0');
    }
    if (task < 1 || task > game::kTaskCount) return std::nullopt;
    if (std::find(tasks.begin(), tasks.end(), task) == tasks.end()) tasks.push_back(task);
    if (comma == std::string_view::npos) return tasks;
    list.remove_prefix(comma + 1);
  }
}

void Note(CommandLine& result, Mistake mistake, std::string_view argument) {
  if (result.mistake != Mistake::kNone) return;
  result.mistake = mistake;
  result.argument = argument;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  bool help = false;
  bool version = false;
  bool history = false;
  CommandLine result;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string_view argument = arguments[i];
    if (optionsEnded) {
      Note(result, Mistake::kUnexpectedArgument, argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    const OptionName* name = FindOption(argument);
    std::optional<std::string_view> value;
    std::size_t equals = argument.find('=');
    if (name == nullptr && argument.starts_with("--") && equals != std::string_view::npos) {
      name = FindOption(argument.substr(0, equals));
      if (name != nullptr) value = argument.substr(equals + 1);
    }
    if (name == nullptr) {
      bool option = argument.size() >= 2 && argument[0] == '-';
      Note(result, option ? Mistake::kUnknownOption : Mistake::kUnexpectedArgument, argument);
      continue;
    }
    if (value && !name->takesValue && !name->mayTakeValue) {
      Note(result, Mistake::kTakesNoValue, name->longName);
      continue;
    }
    if (name->takesValue && !value) {
      // The next argument is the value, whatever it looks like.
      if (i + 1 == arguments.size()) {
        Note(result, Mistake::kNeedsValue, name->longName);
        continue;
      }
      value = arguments[++i];
    }
    if (name->mayTakeValue && !value && i + 1 < arguments.size() && !arguments[i + 1].empty() &&
        arguments[i + 1][0] >= '0' && arguments[i + 1][0] <= '9') {
      value = arguments[++i];
    }
    switch (name->option) {
      case Option::kHelp:
        help = true;
        break;
      case Option::kVersion:
        version = true;
        break;
      case Option::kHistory:
        history = true;
        break;
      case Option::kNoHistory:
        result.noHistory = true;
        break;
      case Option::kDrill:
        result.drill = true;
        if (value) {
          if (std::optional<std::vector<int>> tasks = DrillTasks(*value)) {
            result.drillTasks = *tasks;
          } else {
            Note(result, Mistake::kBadDrillList, *value);
          }
        }
        break;
      case Option::kLanguage:
        if (std::optional<words::Language> language = words::LanguageNamed(*value)) {
          result.language = language;
        } else {
          Note(result, Mistake::kUnknownLanguage, *value);
        }
        break;
    }
  }
  if (history && result.drill) Note(result, Mistake::kDrillWithHistory, "--drill");
  if (help) {
    result.action = Action::kShowHelp;
    result.mistake = Mistake::kNone;
    result.argument.clear();
  } else if (result.mistake != Mistake::kNone) {
    result.action = Action::kUsageError;
  } else if (version) {
    result.action = Action::kShowVersion;
  } else if (history) {
    result.action = Action::kShowHistory;
  }
  return result;
}

std::string MistakeText(const CommandLine& commandLine) {
  std::string argument = Quoted(commandLine.argument);
  switch (commandLine.mistake) {
    case Mistake::kNone:
      break;
    case Mistake::kUnexpectedArgument:
      return words::Fill(_("unexpected argument {1}"), {argument});
    case Mistake::kUnknownOption:
      return words::Fill(_("unknown option {1}"), {argument});
    case Mistake::kTakesNoValue:
      return words::Fill(_("option {1} takes no value"), {argument});
    case Mistake::kNeedsValue:
      // TRANSLATORS: {1} is the option, '--lang'; de and en are its values.
      return words::Fill(_("option {1} needs a value: de or en"), {argument});
    case Mistake::kUnknownLanguage:
      // TRANSLATORS: {1} is the value given; de and en are the only ones.
      return words::Fill(_("unknown language {1} for '--lang': de or en"), {argument});
    case Mistake::kBadDrillList:
      // TRANSLATORS: {1} is the value given to --drill.
      return words::Fill(_("{1} is no list of tasks for '--drill': numbers 1 to 12 parted by "
                           "commas, as in 4,10"),
                         {argument});
    case Mistake::kDrillWithHistory:
      return _("'--drill' plays and '--history' reports: give only one of them");
  }
  return {};
}

std::string UsageText() {
  // TRANSLATORS: lines of at most 79 columns. Options and keys stay as they
  // are; the game's screens are German unless --lang en is given.
  return _(
      "Usage: kippfeld [OPTION]...\n"
      "A puzzle trainer for the text terminal: flip the cells of a 3x3 field\n"
      "into twelve target pictures. Without an option it starts the game in\n"
      "the terminal.\n"
      "\n"
      "  -h, --help        show this help and exit\n"
      "  -V, --version     show the version and exit\n"
      "      --history     show the training history and exit\n"
      "      --no-history  play, but record nothing of this game in the history\n"
      "      --drill LIST  instead of the practice and the test, drill the tasks of\n"
      "                    LIST (4,10); without LIST, the three that cost you the\n"
      "                    most time in your last tests (see the manual page)\n"
      "      --lang de|en  speak German (de) or English (en); the game's screens\n"
      "                    are German unless it is en\n"
      "\n"
      "--help wins over everything else. Otherwise an unknown option or any\n"
      "argument is an error (exit status 2); the game takes no arguments, so\n"
      "anything after -- is one too. --version wins over --history, and an\n"
      "option given twice counts once. Without --lang, the language follows\n"
      "LANGUAGE, LC_ALL, LC_MESSAGES and LANG (on Windows, the system's).\n"
      "\n"
      "Keys: the arrow keys, Home, End, PgUp and PgDn select a cell, Enter\n"
      "applies its move, P starts the test, Esc ends the game.\n"
      "Mouse: a click on a cell's digit selects the cell, a left double click\n"
      "there applies its move, a right double click ends the game.\n"
      "Once installed, the manual page says more: man 6 kippfeld\n");
}

std::string VersionText() {
  // TRANSLATORS: {1} is the version number, 1.2.0.
  return words::Fill(_("kippfeld {1}\n"), {KIPPFELD_VERSION});
}

std::string UsageErrorLine(const CommandLine& commandLine) {
  // TRANSLATORS: {1} says what is wrong, as in "unknown option '-x'".
  return "kippfeld: " + words::Fill(_("{1}; try 'kippfeld --help'\n"), {MistakeText(commandLine)});
}

}  // namespace kippfeld::app
