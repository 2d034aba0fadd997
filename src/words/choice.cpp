#include "words/choice.h"

#include <cstdlib>

namespace kippfeld::words {

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The names gettext takes for the C locale, exactly: C.UTF-8 is another
// locale for it, in which LANGUAGE counts.
bool IsPlainC(std::string_view name) {
  return name == "C" || name == "POSIX";
}

}  // namespace

std::string_view LanguageCode(Language language) {
  return language == Language::German ? "de" : "en";
}

std::optional<Language> LanguageNamed(std::string_view code) {
  if (code == "de") return Language::German;
  if (code == "en") return Language::English;
  return std::nullopt;
}

LanguageEnvironment ProcessEnvironment(std::string system) {
  return {Variable("LANGUAGE"), Variable("LC_ALL"), Variable("LC_MESSAGES"), Variable("LANG"),
          std::move(system)};
}

std::optional<Language> LanguageOfLocale(std::string_view name) {
  if (name.empty() || name.starts_with("C.") || IsPlainC(name)) return std::nullopt;
  std::string_view code = name.substr(0, name.find_first_of("_-.@"));
  return code == "de" ? Language::German : Language::English;
}

Language ChooseLanguage(const LanguageEnvironment& environment) {
  // The locale the messages would come from: the first variable set.
  std::string_view locale = environment.system;
  if (locale.empty()) {
    for (const std::string* value :
         {&environment.lcAll, &environment.lcMessages, &environment.lang}) {
      if (value->empty()) continue;
      locale = *value;
      break;
    }
  }
  // gettext leaves LANGUAGE aside in the C locale, whose messages are the
  // program's own. Without a locale variable the locale is C as well,
  // except on a system that keeps its language apart.
  bool plainC = environment.system.empty() && (locale.empty() || IsPlainC(locale));
  if (!plainC) {
    std::string_view list = environment.language;
    while (!list.empty()) {
      std::size_t colon = list.find(':');
      std::string_view entry = list.substr(0, colon);
      list.remove_prefix(colon == std::string_view::npos ? list.size() : colon + 1);
      // An entry names a language the program speaks, or is passed over.
      std::string_view code = entry.substr(0, entry.find_first_of("_-.@"));
      if (std::optional<Language> language = LanguageNamed(code)) return *language;
    }
  }
  return LanguageOfLocale(locale).value_or(Language::English);
}

}  // namespace kippfeld::words
