// A text of the game's screens in German and in English. Each screen keeps
// its texts in one table of these, so that the two languages stand side by
// side. The screens are cells at fixed places, not running text: the
// English fills the same cells as the German (padded with blanks where it
// is shorter), so that every number, the field and the table's columns
// stand where they stand in German.
#pragma once

#include <string_view>

#include "game/language.h"

namespace kippfeld::game {

struct ScreenText {
  std::string_view german;
  std::string_view english;

  constexpr std::string_view In(Language language) const {
    return language == Language::English ? english : german;
  }
};

// For the texts something else follows on the same row: the English must
// take exactly the German's cells.
template <typename Texts>
constexpr bool SameRoom(const Texts& texts) {
  for (const ScreenText& text : texts) {
    if (text.english.size() != text.german.size()) return false;
  }
  return true;
}

}  // namespace kippfeld::game
