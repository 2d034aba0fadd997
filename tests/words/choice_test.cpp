#include "words/choice.h"

#include <gtest/gtest.h>

#include <string>

namespace kippfeld::words {
namespace {

struct Case {
  const char* what;
  LanguageEnvironment environment;
  Language expected;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.what;
}

class ChooseLanguageTest : public ::testing::TestWithParam<Case> {};

TEST_P(ChooseLanguageTest, FollowsGettextsOrder) {
  EXPECT_EQ(ChooseLanguage(GetParam().environment), GetParam().expected);
}

// {LANGUAGE, LC_ALL, LC_MESSAGES, LANG, system}
INSTANTIATE_TEST_SUITE_P(
    Posix, ChooseLanguageTest,
    ::testing::Values(
        Case{"nothing set", {"", "", "", "", ""}, Language::English},
        Case{"LANG German", {"", "", "", "de_DE.UTF-8", ""}, Language::German},
        Case{"LANG Austrian", {"", "", "", "de_AT", ""}, Language::German},
        Case{"LANG Swiss with modifier", {"", "", "", "de_CH.utf8@euro", ""}, Language::German},
        Case{"LANG bare code", {"", "", "", "de", ""}, Language::German},
        Case{"LANG French", {"", "", "", "fr_FR.UTF-8", ""}, Language::English},
        Case{"LANG Danish is not German", {"", "", "", "da_DK", ""}, Language::English},
        Case{"LC_MESSAGES over LANG", {"", "", "en_GB", "de_DE", ""}, Language::English},
        Case{"LC_MESSAGES German", {"", "", "de_DE", "en_US", ""}, Language::German},
        Case{"LC_ALL over the rest", {"", "de_DE", "en_US", "en_US", ""}, Language::German},
        Case{"LC_ALL English", {"", "en_US.UTF-8", "de_DE", "de_DE", ""}, Language::English},
        Case{"LC_ALL C", {"", "C", "de_DE", "de_DE", ""}, Language::English},
        Case{"C.UTF-8", {"", "", "", "C.UTF-8", ""}, Language::English},
        Case{"LANGUAGE first", {"de", "", "", "en_US.UTF-8", ""}, Language::German},
        Case{"LANGUAGE English", {"en", "de_DE", "", "", ""}, Language::English},
        Case{"LANGUAGE list skips what is not spoken",
             {"fr:it:de_AT:en", "", "", "en_US", ""},
             Language::German},
        Case{"LANGUAGE list of unknown ones", {"fr:it", "", "", "de_DE", ""}, Language::German},
        Case{"LANGUAGE empty entries", {"::en", "", "", "de_DE", ""}, Language::English},
        Case{"LANGUAGE aside in C", {"de", "C", "", "", ""}, Language::English},
        Case{"LANGUAGE aside in POSIX", {"de", "", "", "POSIX", ""}, Language::English},
        Case{"LANGUAGE aside without a locale", {"de", "", "", "", ""}, Language::English},
        // gettext takes only C and POSIX for the C locale.
        Case{"LANGUAGE counts in C.UTF-8", {"de", "C.UTF-8", "", "", ""}, Language::German}));

INSTANTIATE_TEST_SUITE_P(
    Windows, ChooseLanguageTest,
    ::testing::Values(
        Case{"German Windows", {"", "", "", "", "de-DE"}, Language::German},
        Case{"English Windows", {"", "", "", "", "en-US"}, Language::English},
        Case{"the locale variables do not count",
             {"", "de_DE", "", "de_DE", "en-US"},
             Language::English},
        Case{"LANGUAGE over the system", {"de", "", "", "", "en-US"}, Language::German},
        Case{"LANGUAGE English", {"en", "", "", "", "de-AT"}, Language::English}));

TEST(LanguageNamedTest, KnowsTheTwoCodesExactly) {
  EXPECT_EQ(LanguageNamed("de"), Language::German);
  EXPECT_EQ(LanguageNamed("en"), Language::English);
  for (const char* other : {"", "DE", "de_DE", "german", "fr", "en "})
    EXPECT_EQ(LanguageNamed(other), std::nullopt) << other;
  EXPECT_EQ(LanguageCode(Language::German), "de");
  EXPECT_EQ(LanguageCode(Language::English), "en");
}

}  // namespace
}  // namespace kippfeld::words
