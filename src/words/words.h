// The program's own words in the player's language, marked in the code as
// gettext marks them, so that xgettext finds every one (make pot):
//
//   _("text")                 the text in the current language, now
//   N_("text")                the text marked, to be translated later by _()
//   NGettext("one", "many", n)  the form for n
//   PGettext("context", "text") a text that needs its context to translate
//
// The message ids are English; a text without a translation stays English.
// Values go into a text by number, {1}, {2} ..., so that a translation can
// put them in the order its language needs. Include this in .cpp files only:
// its marks are macros.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "words/language.h"

#define _(msgid) ::kippfeld::words::Translate(msgid)
#define N_(msgid) msgid

namespace kippfeld::words {

// The language the program's words are in from now on; English until the
// program says.
void UseLanguage(Language language);
Language CurrentLanguage();

// The translation of msgid in the current language, else msgid itself.
const char* Translate(const char* msgid);
const char* NGettext(const char* one, const char* many, unsigned long n);
const char* PGettext(const char* context, const char* msgid);

// The text with {1}, {2} ... replaced by the values, in the order given; a
// number with no value is left as it is.
std::string Fill(std::string_view text, std::initializer_list<std::string_view> values);

// The current language's decimal point: "." in English, "," in German.
std::string_view DecimalSeparator();
// A number of tenths as the current language writes it: 12.3, 12,3.
std::string TenthsText(long long tenths);

// What the C library's error number means, in the current language: the
// errors a file can meet are the words' own, any other the library's text
// (strerror's, in the C locale the program keeps).
std::string ErrorNumberText(int error);

// The columns the text takes on a terminal: UTF-8 continuation bytes take
// none.
std::size_t Columns(std::string_view text);

// The text for an output that takes ASCII only: every character outside
// ASCII of a translation written the way its language writes it without
// one (ae for ä), else as '?'. UTF-8 output takes the text as it is.
std::string ForOutput(std::string_view text, bool utf8);

}  // namespace kippfeld::words
