#include <gtest/gtest.h>

#include "config/profile_value_codec.h"
#include "raw_profile.h"

namespace qmo {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Utf16Bytes(std::u16string_view text, bool terminated = true) {
    Bytes data;
    for (const char16_t unit : text) {
        data.push_back(static_cast<std::uint8_t>(unit));
        data.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    if (terminated)
        data.insert(data.end(), {0, 0});
    return data;
}

TEST(ProfileInt, OnlyAFourByteDwordIsANumber) {
    EXPECT_EQ(DecodeProfileInt(kProfileTypeDword, Bytes{0x50, 0, 0, 0}), 80);
    EXPECT_EQ(DecodeProfileInt(kProfileTypeDword, Bytes{0xFF, 0xFF, 0xFF, 0xFF}), -1);
    EXPECT_EQ(DecodeProfileInt(kProfileTypeDword, Bytes{0x00, 0x00, 0x00, 0x80}), INT32_MIN);
    for (const Bytes& wrongSize : {Bytes{}, Bytes{1}, Bytes{1, 0, 0}, Bytes{1, 0, 0, 0, 0}, Bytes(8, 0)})
        EXPECT_FALSE(DecodeProfileInt(kProfileTypeDword, wrongSize)) << wrongSize.size() << " bytes";
    // REG_SZ "80", REG_BINARY, REG_QWORD and REG_DWORD_BIG_ENDIAN are not numbers here.
    EXPECT_FALSE(DecodeProfileInt(kProfileTypeString, Utf16Bytes(u"80")));
    for (const std::uint32_t otherType : {0u, 3u, 5u, 11u})
        EXPECT_FALSE(DecodeProfileInt(otherType, Bytes{0x50, 0, 0, 0})) << "type " << otherType;
}

TEST(ProfileString, ReadsUpToTheFirstNullWithOrWithoutATerminator) {
    EXPECT_EQ(DecodeProfileString(kProfileTypeString, Utf16Bytes(u"O")), "O");
    EXPECT_EQ(DecodeProfileString(kProfileTypeString, Utf16Bytes(u"O", false)), "O");
    EXPECT_EQ(DecodeProfileString(kProfileTypeString, Utf16Bytes(u"AB\0CD", false)), "AB");
    EXPECT_EQ(DecodeProfileString(kProfileTypeString, Bytes{}), "");
    EXPECT_EQ(DecodeProfileString(kProfileTypeString, Bytes{0, 0}), "");
}

TEST(ProfileString, OddSizesOversizedDataAndOtherTypesReadAsMissing) {
    EXPECT_FALSE(DecodeProfileString(kProfileTypeString, Bytes{'O', 0, 0}));
    EXPECT_FALSE(DecodeProfileString(kProfileTypeDword, Bytes{'O', 0, 0, 0}));
    EXPECT_FALSE(DecodeProfileString(2 /* REG_EXPAND_SZ */, Utf16Bytes(u"O")));
    EXPECT_FALSE(DecodeProfileString(7 /* REG_MULTI_SZ */, Utf16Bytes(u"O")));
    Bytes largest(kMaxProfileStringBytes, 'a');
    for (std::size_t i = 1; i < largest.size(); i += 2)
        largest[i] = 0;
    const std::optional<std::string> read = DecodeProfileString(kProfileTypeString, largest);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->size(), kMaxProfileStringBytes / 2);
    largest.insert(largest.end(), {'a', 0});
    EXPECT_FALSE(DecodeProfileString(kProfileTypeString, largest));
}

TEST(ProfileStrings, TheListEndsAtItsEmptyStringAndBadDataReadsAsMissing) {
    Bytes list = Utf16Bytes(u"game.exe");
    const Bytes second = Utf16Bytes(u"C:\\T\u00FCr\\*");
    list.insert(list.end(), second.begin(), second.end());
    Bytes closed = list;
    closed.insert(closed.end(), {0, 0});
    const Bytes after = Utf16Bytes(u"ignored");
    Bytes withTail = closed;
    withTail.insert(withTail.end(), after.begin(), after.end());
    const std::vector<std::string> both{"game.exe", "C:\\T\xC3\xBCr\\*"};
    EXPECT_EQ(DecodeProfileStrings(kProfileTypeStrings, closed), both);
    EXPECT_EQ(DecodeProfileStrings(kProfileTypeStrings, list), both) << "the list's null missing";
    EXPECT_EQ(DecodeProfileStrings(kProfileTypeStrings, withTail), both) << "nothing after the list's end";
    Bytes unterminated = list;
    unterminated.resize(unterminated.size() - 2);
    EXPECT_EQ(DecodeProfileStrings(kProfileTypeStrings, unterminated), both) << "the last string's null missing";
    EXPECT_EQ(DecodeProfileStrings(kProfileTypeStrings, Bytes{}), std::vector<std::string>{});
    EXPECT_FALSE(DecodeProfileStrings(kProfileTypeStrings, Bytes{'a', 0, 0}));
    EXPECT_FALSE(DecodeProfileStrings(kProfileTypeString, closed));
    EXPECT_FALSE(DecodeProfileStrings(kProfileTypeStrings, Bytes(kMaxProfileStringsBytes + 2, 'a')));
    EXPECT_EQ(DecodeProfileStrings(kProfileTypeStrings, EncodeProfileStrings({"a", "", "b"})),
              (std::vector<std::string>{"a", "b"}))
        << "an empty string would end the list early: left out";
}

TEST(ProfileString, NonAsciiTextSurvivesAndBrokenSurrogatesBecomeReplacementCharacters) {
    EXPECT_EQ(DecodeProfileString(kProfileTypeString, Utf16Bytes(u"\u00D6\u20AC\U0001F600")),
              "\xC3\x96\xE2\x82\xAC\xF0\x9F\x98\x80");
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(DecodeProfileString(kProfileTypeString, Utf16Bytes(u"a\xD800" u"b")), "a" + replacement + "b");
    EXPECT_EQ(DecodeProfileString(kProfileTypeString, Utf16Bytes(u"\xDC00\xD800")), replacement + replacement);
}

TEST(ProfileString, MalformedUtf8IsWrittenWithReplacementCharacters) {
    const std::u16string replacement(1, u'\xFFFD');
    EXPECT_EQ(Utf8ToUtf16("O\xC3"), u"O" + replacement);                // cut short
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), replacement + replacement);      // overlong '/'
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), replacement + replacement + replacement);  // a surrogate
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80").front(), u'\xFFFD');      // beyond U+10FFFF
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
}

TEST(ProfileValues, EveryWrittenValueReadsBackUnchanged) {
    for (const int value : {0, 1, 80, 100, -1, INT32_MAX, INT32_MIN})
        EXPECT_EQ(DecodeProfileInt(kProfileTypeDword, EncodeProfileInt(value)), value);
    for (const std::string text : {"", "O", "Z", "\xC3\x96", "\xF0\x9F\x98\x80 x"})
        EXPECT_EQ(DecodeProfileString(kProfileTypeString, EncodeProfileString(text)), text);
}

TEST(ProfileValues, ARecordOfWrongTypesLoadsAsTheDefaultsAndIsWrittenBackWhole) {
    testing::RawProfile profile;
    profile.Set("SC", {kProfileTypeDword, EncodeProfileInt(79)});
    profile.Set("CL", {kProfileTypeString, EncodeProfileString("50")});
    OptimizerSettings settings;
    ReadSettings(profile, settings);
    EXPECT_EQ(settings, OptimizerSettings{}) << "no readable shortcut: no stored record";

    profile.Set("SC", {kProfileTypeString, EncodeProfileString("O")});
    profile.Set("RAS", {kProfileTypeDword, Bytes{1, 0}});
    ReadSettings(profile, settings);
    EXPECT_EQ(settings.m_nCriticalLimit, 0) << "a limit stored as text reads as missing";
    EXPECT_FALSE(settings.m_bRunAtStartup) << "a two-byte switch reads as missing";

    WriteSettings(profile, settings);
    OptimizerSettings reread;
    ReadSettings(profile, reread);
    EXPECT_EQ(reread, settings);
    EXPECT_EQ(profile.values.at("Settings\\CL").type, kProfileTypeDword);
}

}  // namespace
}  // namespace qmo
