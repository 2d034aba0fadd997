// The real binary's own words in the player's language: chosen from the
// environment as gettext chooses, or by --lang, with no German locale
// installed; and every message path once in German.
#include <sys/stat.h>
#include <sys/wait.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "detached_run.h"
#include "e2e_support.h"
#include "history_file_testing.h"

namespace kippfeld::e2e {
namespace {

using Environment = std::vector<std::pair<std::string, std::string>>;
using test::TemporaryFolder;

DetachedOptions With(Environment environment) {
  DetachedOptions options;
  options.environment = std::move(environment);
  return options;
}

struct Choice {
  const char* name;
  Environment environment;
  std::vector<std::string> arguments;
  bool german;
};

void PrintTo(const Choice& c, std::ostream* out) {
  *out << c.name;
}

class LanguageChoiceE2E : public ::testing::TestWithParam<Choice> {};

TEST_P(LanguageChoiceE2E, HelpIsInTheChosenLanguage) {
  const Choice& c = GetParam();
  std::vector<std::string> arguments = c.arguments;
  arguments.push_back("--help");
  DetachedRun run = RunDetached(KIPPFELD_BINARY, arguments, With(c.environment));
  ASSERT_TRUE(run.exited);
  EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.error;
  EXPECT_TRUE(run.output.starts_with(c.german ? "Aufruf: kippfeld " : "Usage: kippfeld "))
      << run.output;
}

INSTANTIATE_TEST_SUITE_P(
    Variables, LanguageChoiceE2E,
    ::testing::Values(
        Choice{"Nothing", {}, {}, false}, Choice{"Lang", {{"LANG", "de_DE.UTF-8"}}, {}, true},
        Choice{"LangSwiss", {{"LANG", "de_CH"}}, {}, true},
        Choice{"LangFrench", {{"LANG", "fr_FR.UTF-8"}}, {}, false},
        Choice{"Messages", {{"LANG", "en_US.UTF-8"}, {"LC_MESSAGES", "de_AT.UTF-8"}}, {}, true},
        Choice{"AllOverMessages", {{"LC_ALL", "en_US.UTF-8"}, {"LC_MESSAGES", "de_DE"}}, {}, false},
        Choice{"All", {{"LC_ALL", "de_DE.UTF-8"}, {"LANG", "en_US"}}, {}, true},
        Choice{"LanguageList", {{"LANGUAGE", "fr:de:en"}, {"LANG", "en_US.UTF-8"}}, {}, true},
        Choice{"LanguageEnglishFirst", {{"LANGUAGE", "en:de"}, {"LANG", "de_DE.UTF-8"}}, {}, false},
        Choice{"LanguageInCUtf8", {{"LANGUAGE", "de"}, {"LC_ALL", "C.UTF-8"}}, {}, true},
        Choice{"LanguageAsideInC", {{"LANGUAGE", "de"}, {"LC_ALL", "C"}}, {}, false},
        Choice{"LanguageAsideInPosix", {{"LANGUAGE", "de"}, {"LANG", "POSIX"}}, {}, false},
        Choice{"OptionOverLocale", {{"LANG", "de_DE.UTF-8"}}, {"--lang", "en"}, false},
        Choice{
            "OptionOverLanguage", {{"LANGUAGE", "en"}, {"LANG", "C.UTF-8"}}, {"--lang=de"}, true},
        Choice{"OptionInC", {{"LC_ALL", "C"}}, {"--lang", "de"}, true},
        Choice{"LastOptionCounts", {}, {"--lang", "de", "--lang", "en"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LanguageE2E, ABadLanguageIsAUsageErrorInTheChosenOne) {
  DetachedRun run = RunDetached(KIPPFELD_BINARY, {"--lang", "fr"}, With({{"LANG", "de_DE.UTF-8"}}));
  ASSERT_TRUE(run.exited);
  EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 2) << run.status;
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.error,
            "kippfeld: unbekannte Sprache 'fr' für '--lang': de oder en; Hilfe gibt 'kippfeld "
            "--help'\n");
  run = RunDetached(KIPPFELD_BINARY, {"--lang"});
  EXPECT_EQ(run.error,
            "kippfeld: option '--lang' needs a value: de or en; try 'kippfeld --help'\n");
  // An output that takes ASCII only gets the letters written out.
  run = RunDetached(KIPPFELD_BINARY, {"--lang", "de", "--bogus"}, With({{"LC_ALL", "C"}}));
  EXPECT_EQ(run.error, "kippfeld: unbekannte Option '--bogus'; Hilfe gibt 'kippfeld --help'\n");
  run = RunDetached(KIPPFELD_BINARY, {"--lang", "de", "--lang", "xx"}, With({{"LC_ALL", "C"}}));
  EXPECT_EQ(run.error,
            "kippfeld: unbekannte Sprache 'xx' fuer '--lang': de oder en; Hilfe gibt 'kippfeld "
            "--help'\n");
}

TEST(LanguageE2E, VersionAndNoTerminalInGerman) {
  DetachedOptions german = With({{"LANGUAGE", "de"}, {"LANG", "C.UTF-8"}});
  DetachedRun run = RunDetached(KIPPFELD_BINARY, {"--version"}, german);
  EXPECT_EQ(run.output, "kippfeld " KIPPFELD_VERSION "\n");
  run = RunDetached(KIPPFELD_BINARY, {}, german);
  EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 1) << run.status;
  EXPECT_EQ(run.error,
            "kippfeld: kein Terminal zum Spielen (/dev/tty lässt sich nicht öffnen, und weder die "
            "Standardausgabe noch die Standardfehlerausgabe ist ein Terminal)\n");
  german.outputFile = "/dev/full";
  run = RunDetached(KIPPFELD_BINARY, {"--help"}, german);
  EXPECT_EQ(run.error, "kippfeld: die Standardausgabe kann nicht beschrieben werden\n");
}

TEST(LanguageE2E, TerminalTypesAreRefusedInGerman) {
  const std::pair<const char*, const char*> cases[] = {
      {"dumb",
       "kippfeld: Terminaltyp TERM=dumb kann den Cursor nicht bewegen, was das Spiel "
       "braucht\n"},
      {"no-such-terminal", "kippfeld: unbekannter Terminaltyp TERM=no-such-terminal\n"},
      {"", "kippfeld: unbekannter Terminaltyp TERM=(nicht gesetzt)\n"},
  };
  for (const auto& [term, error] : cases) {
    SessionOptions options;
    options.term = term;
    options.outputToPipes = true;
    options.environment = {{"LANGUAGE", "de"}};
    PtySession s(KIPPFELD_BINARY, options);
    ASSERT_TRUE(s.WaitExit());
    EXPECT_TRUE(WIFEXITED(s.Status()) && WEXITSTATUS(s.Status()) == 1) << s.Status();
    EXPECT_EQ(s.PipedError(), error);
    EXPECT_EQ(s.Output(), "") << "written to the terminal";
  }
}

TEST(LanguageE2E, HistoryReportAndItsErrorsInGerman) {
  TemporaryFolder folder;
  std::string path = folder.path() + "/history.tsv";
  Environment german = {{"KIPPFELD_HISTORY", path}, {"LANGUAGE", "de"}, {"LC_ALL", "C.UTF-8"}};
  DetachedRun run = RunDetached(KIPPFELD_BINARY, {"--history"}, With(german));
  EXPECT_EQ(run.output, "In " + path + " sind noch keine Tests festgehalten.\n");
  {
    std::ofstream file(path);
    file << "2025-03-14T09:26:53+01:00\t1\t1.1\t8\t1.1\t5";
    for (int k = 2; k <= 12; ++k) file << "\t0\t" << (k == 2 ? 3 : 0);
    file << "\nbad\n";
  }
  run = RunDetached(KIPPFELD_BINARY, {"--history"}, With(german));
  EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0) << run.error;
  EXPECT_NE(run.output.find("   1  2025-03-14 09:26      1/12  0:01,1     8\n"), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("  alles 1                        1,1 s 2025-03-14     5"),
            std::string::npos)
      << run.output;
  EXPECT_EQ(run.error, "kippfeld: " + path + ":2: übersprungen: 1 Spalte statt 28\n");
  // The same file in English: the numbers with their point.
  run = RunDetached(KIPPFELD_BINARY, {"--history"}, With({{"KIPPFELD_HISTORY", path}}));
  EXPECT_NE(run.output.find("0:01.1"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("1.1 s"), std::string::npos) << run.output;
  // A folder is no history.
  german[0].second = folder.path();
  run = RunDetached(KIPPFELD_BINARY, {"--history"}, With(german));
  EXPECT_TRUE(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 1) << run.status;
  EXPECT_EQ(run.error, "kippfeld: der Verlauf " + folder.path() +
                           " kann nicht gelesen werden: Ist ein Ordner\n");
}

}  // namespace
}  // namespace kippfeld::e2e
