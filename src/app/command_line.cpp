#include "app/command_line.h"

#include <cstdio>
#include <string_view>

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

// The length of the printable character that text starts with, as valid
// UTF-8; 0 when it starts with none. Controls are not printable: C0, DEL and
// C1 (U+0080 to U+009F), of which some terminals take U+009B as the start
// of a control sequence. Overlong forms, surrogates and code points beyond
// U+10FFFF are not valid.
std::size_t PrintableLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead >= 0x20 && lead < 0x7F) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;  // the first continuation byte's bounds
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    if (lead == 0xC2) low = 0xA0;  // U+0080..U+009F are the C1 controls
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if (byte(i) < low || byte(i) > high) return 0;
    low = 0x80;
    high = 0xBF;
  }
  return length;
}

// The argument as an error shows it: in quotes, with every byte that is not
// part of a printable character spelled out, so that the message stays one
// line whatever was typed and nothing in it reaches the terminal as a control.
std::string Quoted(std::string_view argument) {
  std::string quoted = "'";
  for (std::size_t i = 0; i < argument.size();) {
    if (std::size_t length = PrintableLength(argument.substr(i)); length > 0) {
      quoted.append(argument.substr(i, length));
      i += length;
      continue;
    }
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(argument[i]));
    quoted += escape;
    ++i;
  }
  return quoted + "'";
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
