// Which language the program speaks, and how a text's inserts go in.
#include <gtest/gtest.h>

#include <array>

#include "config/language_choice.h"
#include "framework/texts.h"

namespace qmo {
namespace {

constexpr std::array<std::string_view, 6> kShipped{"en", "de", "fr", "es", "zh-Hans", "qps-ploc"};

struct Case {
    std::string_view stored;
    std::string_view windows;
    std::string_view expected;
};

TEST(LanguageChoice, StoredChoiceFirstThenWindowsThenEnglish) {
    const Case cases[] = {
        {"", "de-DE", "de"},          {"", "de-AT", "de"},          {"", "fr-CA", "fr"},
        {"", "es-419", "es"},         {"", "ja-JP", "en"},          {"", "", "en"},
        {"fr", "de-DE", "fr"},        {"FR", "de-DE", "fr"},        {"es-MX", "de-DE", "es"},
        {"xx", "de-DE", "en"},        {"", "zh-CN", "zh-Hans"},     {"", "zh-SG", "zh-Hans"},
        {"", "zh-Hans-HK", "zh-Hans"}, {"", "zh", "zh-Hans"},       {"", "zh-TW", "en"},
        {"", "zh-Hant", "en"},        {"zh-hk", "de-DE", "en"},     {"qps-ploc", "de-DE", "qps-ploc"},
        {"qps", "de-DE", "en"},       {"", "qps-plocm", "en"},      {"de_CH", "", "de"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.stored) + " / " + std::string(c.windows));
        EXPECT_EQ(ChooseLanguage(c.stored, c.windows, kShipped), c.expected);
    }
}

TEST(LanguageChoice, OnlyWellFormedTagsAreKept) {
    EXPECT_EQ(KeptLanguageTag("zh-Hans"), "zh-Hans");
    EXPECT_EQ(KeptLanguageTag("tlh"), "tlh") << "a language of a later version is kept";
    EXPECT_EQ(KeptLanguageTag("de DE"), "");
    EXPECT_EQ(KeptLanguageTag("de\\..\\x"), "");
    EXPECT_EQ(KeptLanguageTag(std::string(86, 'a')), "");
}

TEST(TextInserts, PlaceholdersTakeTheirInsertsInAnyOrder) {
    EXPECT_EQ(FormatPattern("Freed %1 MB", {"412"}), "Freed 412 MB");
    EXPECT_EQ(FormatPattern("%2 von %1", {"5", "3"}), "3 von 5");
    EXPECT_EQ(FormatPattern("%1%1", {"ab"}), "abab");
    EXPECT_EQ(FormatPattern("Committed memory: %1 %", {"45"}), "Committed memory: 45 %");
    EXPECT_EQ(FormatPattern("%3 and %", {"a"}), "%3 and %") << "a missing insert stays visible";
    EXPECT_EQ(FormatPattern("%1", {"%2", "x"}), "%2") << "an insert is not read again";
}

}  // namespace
}  // namespace qmo
