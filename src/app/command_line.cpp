#include "app/command_line.h"

#include <string_view>

#include "game/history.h"

#ifndef KIPPFELD_VERSION
#error "KIPPFELD_VERSION must come from the build (the project's version)"
#endif

namespace kippfeld::app {

namespace {

enum class Option { kHelp, kVersion, kHistory, kNoHistory };

struct OptionName {
  std::string_view shortName;  // empty when there is none
  std::string_view longName;
  Option option;
};

constexpr OptionName kOptions[] = {
    {"-h", "--help", Option::kHelp},
    {"-V", "--version", Option::kVersion},
    {"", "--history", Option::kHistory},
    {"", "--no-history", Option::kNoHistory},
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

// What is wrong with an argument that names no option; empty for "--".
std::string Problem(std::string_view argument) {
  if (argument.size() < 2 || argument[0] != '-') return "unexpected argument " + Quoted(argument);
  std::size_t equals = argument.find('=');
  if (argument.starts_with("--") && equals != std::string_view::npos) {
    std::string_view name = argument.substr(0, equals);
    if (FindOption(name) != nullptr) return "option " + Quoted(name) + " takes no value";
  }
  return "unknown option " + Quoted(argument);
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  bool help = false;
  bool version = false;
  bool history = false;
  CommandLine result;
  bool optionsEnded = false;
  for (const std::string& argument : arguments) {
    const OptionName* name = optionsEnded ? nullptr : FindOption(argument);
    if (name == nullptr) {
      if (!optionsEnded && argument == "--") {
        optionsEnded = true;
      } else if (result.error.empty()) {
        result.error = optionsEnded ? "unexpected argument " + Quoted(argument) : Problem(argument);
      }
      continue;
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
    }
  }
  if (help) {
    result.action = Action::kShowHelp;
    result.error.clear();
  } else if (!result.error.empty()) {
    result.action = Action::kUsageError;
  } else if (version) {
    result.action = Action::kShowVersion;
  } else if (history) {
    result.action = Action::kShowHistory;
  }
  return result;
}

std::string UsageText() {
  return "Usage: kippfeld [OPTION]...\n"
         "A puzzle trainer for the text terminal, with German screens: flip the\n"
         "cells of a 3x3 field into twelve target pictures. Without an option it\n"
         "starts the game in the terminal.\n"
         "\n"
         "  -h, --help        show this help and exit\n"
         "  -V, --version     show the version and exit\n"
         "      --history     show the training history and exit\n"
         "      --no-history  play, but record nothing of this game in the history\n"
         "\n"
         "--help wins over everything else. Otherwise an unknown option or any\n"
         "argument is an error (exit status 2); the game takes no arguments, so\n"
         "anything after -- is one too. --version wins over --history, and an\n"
         "option given twice counts once.\n"
         "\n"
         "Keys: the arrow keys, Home, End, PgUp and PgDn select a cell, Enter\n"
         "applies its move, P starts the test, Esc ends the game.\n"
         "Mouse: a click on a cell's digit selects the cell, a left double click\n"
         "there applies its move, a right double click ends the game.\n"
         "Once installed, the manual page says more: man 6 kippfeld\n";
}

std::string VersionText() {
  return "kippfeld " KIPPFELD_VERSION "\n";
}

std::string UsageErrorLine(const CommandLine& commandLine) {
  return "kippfeld: " + commandLine.error + "; try 'kippfeld --help'\n";
}

}  // namespace kippfeld::app
