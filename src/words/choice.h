// Which language the program speaks when the player does not say: the
// order gettext reads the environment in, or the system's own language
// where it has one apart from the environment (Windows). Nothing here needs
// the locale to be installed, nor asks the C library: the names are read as
// they are written.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "words/language.h"

namespace kippfeld::words {

struct LanguageEnvironment {
  // The variables' values; empty when unset.
  std::string language;  // LANGUAGE, a list such as "de:en"
  std::string lcAll;
  std::string lcMessages;
  std::string lang;
  // The user interface's language where the system keeps one apart from the
  // environment (Windows), as a locale name such as "de-AT"; then it takes
  // the place of the locale variables. Empty on POSIX.
  std::string system;
};

// The environment of this process, with the system's language given.
LanguageEnvironment ProcessEnvironment(std::string system);

// The language of a locale or language name (de, de_AT.UTF-8, de-CH,
// en_GB@euro ...): German for every German one, nothing for C, C.UTF-8,
// POSIX or an empty name, English for the rest.
std::optional<Language> LanguageOfLocale(std::string_view name);

// LANGUAGE's list first, unless the locale is C or POSIX; then the first of
// LC_ALL, LC_MESSAGES and LANG that is set (or the system's language);
// English when none says otherwise.
Language ChooseLanguage(const LanguageEnvironment& environment);

}  // namespace kippfeld::words
