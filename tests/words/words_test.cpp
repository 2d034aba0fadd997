#include "words/words.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "words/builtin.h"
#include "words/catalogue.h"

namespace kippfeld::words {
namespace {

// Each test in the language it names, and English again after it.
class InLanguage {
 public:
  explicit InLanguage(Language language) { UseLanguage(language); }
  ~InLanguage() { UseLanguage(Language::English); }
};

TEST(TranslateTest, GivesTheCurrentLanguageAndEnglishWithoutATranslation) {
  EXPECT_STREQ(_("Tests"), "Tests");
  EXPECT_STREQ(_("Moves"), "Moves");
  InLanguage german(Language::German);
  EXPECT_STREQ(_("Moves"), "Züge");
  EXPECT_STREQ(_("a text nobody translated"), "a text nobody translated");
  // The empty id is the catalogue's header, not a message.
  EXPECT_STREQ(_(""), "");
}

TEST(TranslateTest, PicksThePluralFormForTheNumber) {
  EXPECT_STREQ(NGettext("{1} test added", "{1} tests added", 1), "{1} test added");
  EXPECT_STREQ(NGettext("{1} test added", "{1} tests added", 0), "{1} tests added");
  InLanguage german(Language::German);
  EXPECT_STREQ(NGettext("{1} test added", "{1} tests added", 1), "{1} Test hinzugefügt");
  EXPECT_STREQ(NGettext("{1} test added", "{1} tests added", 2), "{1} Tests hinzugefügt");
  EXPECT_STREQ(NGettext("one nobody translated", "many", 2), "many");
}

TEST(TranslateTest, WritesNumbersInTheLanguagesForm) {
  EXPECT_EQ(TenthsText(11), "1.1");
  EXPECT_EQ(TenthsText(0), "0.0");
  EXPECT_EQ(TenthsText(-5), "-0.5");
  EXPECT_EQ(TenthsText(123456789012), "12345678901.2");
  InLanguage german(Language::German);
  EXPECT_EQ(TenthsText(11), "1,1");
  EXPECT_EQ(DecimalSeparator(), ",");
}

TEST(FillTest, PutsTheValuesWhereTheirNumbersStand) {
  EXPECT_EQ(Fill("{2} before {1}", {"a", "b"}), "b before a");
  EXPECT_EQ(Fill("{1}{1}", {"x"}), "xx");
  // A number without a value, and what only looks like one, stay.
  EXPECT_EQ(Fill("{1} {2} {0} {x} {1", {"a"}), "a {2} {0} {x} {1");
  // A value is never read for numbers of its own.
  EXPECT_EQ(Fill("{1} and {2}", {"{2}", "b"}), "{2} and b");
}

TEST(ForOutputTest, WritesTheLettersOutForAsciiOutput) {
  EXPECT_EQ(ForOutput("Züge, größer, Ärger", true), "Züge, größer, Ärger");
  EXPECT_EQ(ForOutput("Züge, größer, Ärger", false), "Zuege, groesser, Aerger");
  // What no language here writes is spelled out, and so is what is not
  // UTF-8 at all.
  EXPECT_EQ(ForOutput("\xE2\x82\xAC \xFF", false), "\\xE2\\x82\\xAC \\xFF");
}

TEST(ErrorNumberTextTest, NamesAFileErrorInTheLanguage) {
  EXPECT_EQ(ErrorNumberText(ENOENT), "No such file or directory");
  InLanguage german(Language::German);
  EXPECT_EQ(ErrorNumberText(EACCES), "Zugriff verweigert");
  EXPECT_FALSE(ErrorNumberText(EDOM).empty());
}

TEST(ColumnsTest, CountsCharactersNotBytes) {
  EXPECT_EQ(Columns("Züge"), 4u);
  EXPECT_EQ(Columns(""), 0u);
}

// Whatever the translator wrote, every value the English text shows must
// still have its place in the translation, and nothing else must.
TEST(CatalogueTest, EveryTranslationKeepsTheValuesOfItsMessage) {
  auto numbers = [](std::string_view text) {
    std::multiset<std::string> found;
    for (std::size_t at = text.find('{'); at != std::string_view::npos;
         at = text.find('{', at + 1)) {
      if (at + 2 < text.size() && text[at + 2] == '}')
        found.insert(std::string(text.substr(at, 3)));
    }
    return std::set<std::string>(found.begin(), found.end());
  };
  MessageCatalogue german(BuiltInCatalogue("de"));
  ASSERT_FALSE(german.Empty());
  int messages = 0;
  german.ForEach([&](std::string_view key, std::string_view text) {
    if (key.empty()) return;
    ++messages;
    std::string_view id =
        key.substr(key.find('\x04') == std::string_view::npos ? 0 : key.find('\x04') + 1);
    std::string_view singular = id.substr(0, id.find('\0'));
    std::string_view plural =
        id.find('\0') == std::string_view::npos ? singular : id.substr(id.find('\0') + 1);
    for (std::string_view form = text;;) {
      std::string_view one = form.substr(0, form.find('\0'));
      std::set<std::string> expected = numbers(plural);
      std::set<std::string> fromSingular = numbers(singular);
      expected.insert(fromSingular.begin(), fromSingular.end());
      EXPECT_EQ(numbers(one), expected) << singular << " -> " << one;
      if (form.find('\0') == std::string_view::npos) break;
      form.remove_prefix(form.find('\0') + 1);
    }
  });
  EXPECT_GT(messages, 100);
}

TEST(CatalogueTest, ReadsNothingFromBytesThatAreNoCatalogue) {
  for (std::string_view bytes :
       {std::string_view(), std::string_view("not a catalogue at all, but long enough"),
        std::string_view("\xDE\x12\x04\x95\0\0\0\0\xFF\xFF\xFF\x7F\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0",
                         28)}) {
    MessageCatalogue catalogue(bytes);
    EXPECT_TRUE(catalogue.Empty());
    EXPECT_EQ(catalogue.Find("Tests"), "");
  }
  // A catalogue cut short anywhere is never read past its end.
  std::string_view german = BuiltInCatalogue("de");
  for (std::size_t size = 0; size < german.size(); size += 97) {
    MessageCatalogue cut(german.substr(0, size));
    EXPECT_TRUE(cut.Empty() || !cut.Find("Tests").empty()) << size;
  }
}

struct PluralCase {
  const char* expression;
  unsigned long n;
  std::optional<unsigned long> index;
};

TEST(PluralIndexTest, ReadsTheExpressionsLanguagesUse) {
  const PluralCase cases[] = {
      {"(n != 1)", 1, 0},
      {"(n != 1)", 0, 1},
      {"n>1", 1, 0},
      {"n>1", 2, 1},
      {"0", 7, 0},
      // Polish and Russian forms: the grammar in full.
      {"(n==1 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2)", 22, 1},
      {"(n==1 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2)", 12, 2},
      {"(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2)", 21, 0},
      {"!(n - 1) * 3 + n / 2", 1, 3},
      {"n <= 2 ? n : 9", 2, 2},
      // Not an expression: nothing, never a crash.
      {"", 1, std::nullopt},
      {"n %", 1, std::nullopt},
      {"n / 0", 1, std::nullopt},
      {"(((n)", 1, std::nullopt},
      {"n ? 1", 1, std::nullopt},
      {"x", 1, std::nullopt},
      {"99999999999999999999", 1, std::nullopt},
  };
  for (const PluralCase& c : cases)
    EXPECT_EQ(PluralIndex(c.expression, c.n), c.index) << c.expression << " for " << c.n;
  EXPECT_EQ(PluralIndex(std::string(10000, '('), 1), std::nullopt);
}

}  // namespace
}  // namespace kippfeld::words
