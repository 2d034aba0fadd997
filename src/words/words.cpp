#include "words/words.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/utf8.h"
#include "words/builtin.h"
#include "words/catalogue.h"

namespace kippfeld::words {

namespace {

Language theLanguage = Language::English;

// Each language's catalogue, read from its bytes once, on first use, in the
// order of the enumeration. English, the language of the ids, has none: its
// catalogue is empty.
const MessageCatalogue& CatalogueOf(Language language) {
  static const std::array<MessageCatalogue, 2> catalogues = {
      MessageCatalogue(BuiltInCatalogue(LanguageCode(Language::German))),
      MessageCatalogue(BuiltInCatalogue(LanguageCode(Language::English))),
  };
  return catalogues[static_cast<std::size_t>(language)];
}

const char* OrEnglish(std::string_view translation, const char* msgid) {
  return translation.empty() ? msgid : translation.data();
}

// How a language writes a letter without it, for the ASCII-only output.
struct StandIn {
  char32_t letter;
  std::string_view text;
};
constexpr std::array<StandIn, 10> kStandIns = {{{U'ä', "ae"},
                                                {U'ö', "oe"},
                                                {U'ü', "ue"},
                                                {U'Ä', "Ae"},
                                                {U'Ö', "Oe"},
                                                {U'Ü', "Ue"},
                                                {U'ß', "ss"},
                                                {U'é', "e"},
                                                {U'–', "-"},
                                                {U'…', "..."}}};

struct ErrorName {
  int error;
  const char* text;
};

// In the C library's words, as the messages have always shown them.
const ErrorName kErrorNames[] = {
    {EACCES, N_("Permission denied")},
    {EBUSY, N_("Device or resource busy")},
    {EEXIST, N_("File exists")},
    {EFBIG, N_("File too large")},
    {EIO, N_("Input/output error")},
    {EISDIR, N_("Is a directory")},
    {ELOOP, N_("Too many levels of symbolic links")},
    {EMFILE, N_("Too many open files")},
    {ENAMETOOLONG, N_("File name too long")},
    {ENOENT, N_("No such file or directory")},
    {ENOSPC, N_("No space left on device")},
    {ENOTDIR, N_("Not a directory")},
    {EPERM, N_("Operation not permitted")},
    {EPIPE, N_("Broken pipe")},
    {EROFS, N_("Read-only file system")},
};

}  // namespace

std::string ErrorNumberText(int error) {
  for (const ErrorName& name : kErrorNames)
    if (name.error == error) return Translate(name.text);
  return std::strerror(error);
}

void UseLanguage(Language language) {
  theLanguage = language;
}

Language CurrentLanguage() {
  return theLanguage;
}

const char* Translate(const char* msgid) {
  // The empty id is the catalogue's header, never a message.
  if (*msgid == '\0') return msgid;
  return OrEnglish(CatalogueOf(theLanguage).Find(msgid), msgid);
}

const char* NGettext(const char* one, const char* many, unsigned long n) {
  std::string_view form = CatalogueOf(theLanguage).FindPlural(one, n);
  return OrEnglish(form, n == 1 ? one : many);
}

const char* PGettext(const char* context, const char* msgid) {
  std::string key = std::string(context).append(1, '\x04').append(msgid);
  return OrEnglish(CatalogueOf(theLanguage).Find(key), msgid);
}

std::string Fill(std::string_view text, std::initializer_list<std::string_view> values) {
  std::string filled;
  filled.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    bool placeholder = text[at] == '{' && at + 2 < text.size() && text[at + 1] >= '1' &&
                       text[at + 1] <= '9' && text[at + 2] == '}';
    std::size_t index = placeholder ? static_cast<std::size_t>(text[at + 1] - '1') : 0;
    if (placeholder && index < values.size()) {
      filled.append(values.begin()[index]);
      at += 2;
    } else {
      filled.push_back(text[at]);
    }
  }
  return filled;
}

std::string_view DecimalSeparator() {
  // TRANSLATORS: what stands between the whole part and the tenths of a
  // number, as in 12.3 s: a comma in German.
  return PGettext("decimal separator", ".");
}

std::string TenthsText(long long tenths) {
  std::string_view point = DecimalSeparator();
  std::string text = tenths < 0 ? "-" : "";
  auto magnitude = static_cast<unsigned long long>(tenths);
  if (tenths < 0) magnitude = 0ULL - magnitude;
  text.append(std::to_string(magnitude / 10)).append(point);
  return text.append(1, static_cast<char>('0' + magnitude % 10));
}

std::size_t Columns(std::string_view text) {
  std::size_t columns = 0;
  for (char byte : text) columns += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
  return columns;
}

std::string ForOutput(std::string_view text, bool utf8) {
  if (utf8) return std::string(text);
  std::string ascii;
  ascii.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    char32_t letter = 0;
    std::size_t length = platform::Utf8Length(text, at, letter);
    if (length == 1) {
      ascii.push_back(text[at++]);
      continue;
    }
    std::string_view standIn;
    for (const StandIn& entry : kStandIns)
      if (length > 1 && entry.letter == letter) standIn = entry.text;
    if (!standIn.empty()) {
      ascii.append(standIn);
    } else {
      // Anything else (a name's own letters) is spelled out byte by byte,
      // as an 8-bit terminal could take some of them for controls.
      for (std::size_t i = 0; i < std::max<std::size_t>(length, 1); ++i) {
        ascii += platform::HexEscape(static_cast<unsigned char>(text[at + i]));
      }
    }
    at += std::max<std::size_t>(length, 1);
  }
  return ascii;
}

}  // namespace kippfeld::words
