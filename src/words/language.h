// The languages the program speaks: its own words (help, messages, the
// history's report) in the player's, and the game's screens in German unless
// the player asks for English.
#pragma once

#include <optional>
#include <string_view>

namespace kippfeld::words {

// English is the language the words are written in; every other language
// has a catalogue of translations built into the program.
enum class Language { German, English };

// The language's ISO 639 code, as --lang and the catalogues name it.
std::string_view LanguageCode(Language language);

// The language --lang names: "de" or "en"; nothing for any other text.
std::optional<Language> LanguageNamed(std::string_view code);

}  // namespace kippfeld::words
