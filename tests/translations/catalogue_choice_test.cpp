#include "core/ui_text.h"
#include "translations/translations.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace orb {
namespace {

TEST(CatalogueChoice, KoreanReadersGetKoreanEveryoneElseEnglishAndOrbLangSourceTheDesignsTexts)
{
    const struct
    {
        const char* orbLang;
        std::vector<std::string> languages;
        Catalogue expected;
    } cases[] = {
        {"", {"ko-KR", "ko"}, Catalogue::Korean},
        {"", {"ko_KR.UTF-8"}, Catalogue::Korean},
        {"", {"ko"}, Catalogue::Korean},
        {"", {"en-US", "en"}, Catalogue::English},
        {"", {"de-DE", "de"}, Catalogue::English},
        {"", {"C"}, Catalogue::English},
        {"", {}, Catalogue::English},
        // The first language the program speaks wins, as LANGUAGE=fr:ko:en asks.
        {"", {"fr-FR", "ko-KR", "en-US"}, Catalogue::Korean},
        {"", {"fr-FR", "en-GB", "ko-KR"}, Catalogue::English},
        // Not Korean: only the language part counts, whole.
        {"", {"kok-IN"}, Catalogue::English},
        {"source", {"ko-KR"}, Catalogue::Source},
        {"source", {"en-US"}, Catalogue::Source},
        // Anything else in ORB_LANG leaves the choice to the locale.
        {"Source", {"en-US"}, Catalogue::English},
    };
    for (const auto& c : cases) {
        std::string asked = std::string(c.orbLang) + ": ";
        for (const std::string& language : c.languages)
            asked += language + " ";
        EXPECT_EQ(c.expected, ChooseCatalogue(c.orbLang, c.languages)) << asked;
    }
}

// A fresh process per case: the locale is read from the environment once, at start.
struct Environment
{
    const char* orbLang;
    const char* language;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
};

[[noreturn]] void InstallAndReport(const Environment& environment)
{
    for (const char* name : {"ORB_LANG", "LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        unsetenv(name);
    const std::pair<const char*, const char*> values[] = {{"ORB_LANG", environment.orbLang},
                                                          {"LANGUAGE", environment.language},
                                                          {"LC_ALL", environment.lcAll},
                                                          {"LC_MESSAGES", environment.lcMessages},
                                                          {"LANG", environment.lang}};
    for (const auto& [name, value] : values)
        if (value)
            setenv(name, value, 1);
    int argc = 1;
    char name[] = "test_translations";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const Catalogue chosen = InstallTranslations();
    std::fprintf(stderr, "[%s|%s|%s]", Translated("정말로 '%s' Event를 삭제하시겠습니까?").c_str(),
                 Translated("Cancel").c_str(), Translated("%m월 %d일(%A)").c_str());
    std::exit(static_cast<int>(chosen));
}

constexpr int kSource = static_cast<int>(Catalogue::Source);
constexpr int kEnglish = static_cast<int>(Catalogue::English);
constexpr int kKorean = static_cast<int>(Catalogue::Korean);
const char* const kEnglishTexts = "\\[Do you really want to delete the event '%s'\\?\\|Cancel\\|%A, %m-%d\\]";
const char* const kKoreanTexts = "\\[정말로 '%s' Event를 삭제하시겠습니까\\?\\|취소\\|%m월 %d일\\(%A\\)\\]";
const char* const kSourceTexts = "\\[정말로 '%s' Event를 삭제하시겠습니까\\?\\|Cancel\\|%m월 %d일\\(%A\\)\\]";

TEST(CatalogueChoiceDeathTest, TheLocaleVariablesChooseTheCatalogueCompiledIntoTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(InstallAndReport({nullptr, nullptr, nullptr, nullptr, "ko_KR.UTF-8"}), testing::ExitedWithCode(kKorean),
                kKoreanTexts);
    EXPECT_EXIT(InstallAndReport({nullptr, nullptr, nullptr, nullptr, "en_US.UTF-8"}),
                testing::ExitedWithCode(kEnglish), kEnglishTexts);
    // LC_ALL, then LC_MESSAGES, outrank LANG; LANGUAGE lists languages ahead of them all.
    EXPECT_EXIT(InstallAndReport({nullptr, nullptr, "ko_KR.UTF-8", nullptr, "en_US.UTF-8"}),
                testing::ExitedWithCode(kKorean), kKoreanTexts);
    EXPECT_EXIT(InstallAndReport({nullptr, nullptr, nullptr, "ko_KR.UTF-8", "en_US.UTF-8"}),
                testing::ExitedWithCode(kKorean), kKoreanTexts);
    EXPECT_EXIT(InstallAndReport({nullptr, nullptr, "en_US.UTF-8", "ko_KR.UTF-8", nullptr}),
                testing::ExitedWithCode(kEnglish), kEnglishTexts);
    EXPECT_EXIT(InstallAndReport({nullptr, "ko:en", nullptr, nullptr, "en_US.UTF-8"}), testing::ExitedWithCode(kKorean),
                kKoreanTexts);
    // ORB_LANG=source shows the design's own mixed texts under any locale.
    EXPECT_EXIT(InstallAndReport({"source", nullptr, nullptr, nullptr, "ko_KR.UTF-8"}),
                testing::ExitedWithCode(kSource), kSourceTexts);
    EXPECT_EXIT(InstallAndReport({"source", nullptr, nullptr, nullptr, "en_US.UTF-8"}),
                testing::ExitedWithCode(kSource), kSourceTexts);
}

} // namespace
} // namespace orb
