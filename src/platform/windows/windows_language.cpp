// The language Windows shows its own interface in, which the program's words
// follow unless LANGUAGE says otherwise.
#include <string>

#include "platform/backend.h"
#include "platform/windows/windows_api.h"

namespace kippfeld::platform {

std::string UserInterfaceLanguage() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  LCID locale = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
  int length = LCIDToLocaleName(locale, name, LOCALE_NAME_MAX_LENGTH, 0);
  // A locale name is ASCII letters, digits and hyphens.
  std::string text;
  for (int i = 0; i + 1 < length && name[i] < 0x80; ++i) text.push_back(static_cast<char>(name[i]));
  // English where Windows does not say: never an empty name, which would
  // send the choice to the locale variables Windows does not use.
  return text.empty() ? "en" : text;
}

}  // namespace kippfeld::platform
