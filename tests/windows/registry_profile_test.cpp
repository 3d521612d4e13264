#include <gtest/gtest.h>

#include <string>

#include "config/optimizer_settings.h"
#include "config/registry_profile.h"
#include "wine_test_support.h"

namespace qmo {
namespace {

using testing::ReadRawValue;
using testing::ScratchKey;
using testing::WriteRawValue;

// Each case alone, and within a batch that keeps its keys open.
class RegistryProfileTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam())
            profile.BeginBatch();
    }
    void TearDown() override {
        if (GetParam())
            profile.EndBatch();
    }

    ScratchKey scratch{L"Profile"};
    RegistryProfile profile{scratch.Root(), scratch.Path()};
    std::wstring section = scratch.Sub(L"Settings");

    void Raw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_TRUE(WriteRawValue(scratch.Root(), section, name, type, data, size));
    }
};

TEST_P(RegistryProfileTest, IntegersAreDwordsAndStringsAreTerminatedRegSz) {
    EXPECT_TRUE(profile.WriteProfileInt("Settings", "CL", -5));
    EXPECT_TRUE(profile.WriteProfileString("Settings", "SC", "Ö"));
    EXPECT_EQ(profile.GetProfileInt("Settings", "CL", 0), -5);
    EXPECT_EQ(profile.GetProfileString("Settings", "SC", ""), "Ö");

    const auto limit = ReadRawValue(scratch.Root(), section, L"CL");
    EXPECT_EQ(limit.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(limit.data.size(), 4u);
    const auto key = ReadRawValue(scratch.Root(), section, L"SC");
    EXPECT_EQ(key.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(key.data.size(), 4u);  // one UTF-16 unit and the null
}

TEST_P(RegistryProfileTest, MissingSectionOrValueGivesTheDefault) {
    EXPECT_EQ(profile.GetProfileInt("Settings", "CL", 33), 33);
    EXPECT_EQ(profile.GetProfileString("Settings", "SC", "dflt"), "dflt");
    profile.WriteProfileInt("Settings", "other", 1);
    EXPECT_EQ(profile.GetProfileInt("Settings", "CL", 34), 34);
}

TEST_P(RegistryProfileTest, IntegerOfAnotherTypeOrSizeReadsAsMissing) {
    const wchar_t text[] = L"80";
    Raw(L"AsString", REG_SZ, text, sizeof(text));
    const DWORD four = 1;
    Raw(L"AsBinary", REG_BINARY, &four, sizeof(four));
    const ULONGLONG wide = 90;
    Raw(L"AsQword", REG_QWORD, &wide, sizeof(wide));
    Raw(L"ShortDword", REG_DWORD, &four, 2);
    Raw(L"BigEndian", REG_DWORD_BIG_ENDIAN, &four, sizeof(four));

    for (const char* name : {"AsString", "AsBinary", "AsQword", "ShortDword", "BigEndian"})
        EXPECT_EQ(profile.GetProfileInt("Settings", name, -77), -77) << name;
}

TEST_P(RegistryProfileTest, StringOfAnotherTypeOrOversizedReadsAsMissing) {
    const DWORD number = 0x4F;
    Raw(L"AsDword", REG_DWORD, &number, sizeof(number));
    const std::wstring huge(50 * 1024, L'A');  // 100 KB of text
    Raw(L"Huge", REG_SZ, huge.c_str(), static_cast<DWORD>((huge.size() + 1) * sizeof(wchar_t)));
    const wchar_t expand[] = L"%TEMP%";
    Raw(L"Expand", REG_EXPAND_SZ, expand, sizeof(expand));
    const BYTE odd[] = {'O', 0, 0};
    Raw(L"OddSize", REG_SZ, odd, sizeof(odd));

    for (const char* name : {"AsDword", "Huge", "Expand", "OddSize"})
        EXPECT_EQ(profile.GetProfileString("Settings", name, "dflt"), "dflt") << name;
}

TEST_P(RegistryProfileTest, StringWithoutTerminatorOrWithEmbeddedNullIsReadSafely) {
    const wchar_t unterminated[] = {L'A', L'B'};
    Raw(L"Unterminated", REG_SZ, unterminated, sizeof(unterminated));
    const wchar_t embedded[] = L"P\0Q";
    Raw(L"Embedded", REG_SZ, embedded, sizeof(embedded));
    EXPECT_EQ(profile.GetProfileString("Settings", "Unterminated", ""), "AB");
    EXPECT_EQ(profile.GetProfileString("Settings", "Embedded", ""), "P");

    // Just under the limit is still read.
    const std::wstring big(RegistryProfile::kMaxStringBytes / sizeof(wchar_t) - 1, L'z');
    Raw(L"Big", REG_SZ, big.c_str(), static_cast<DWORD>((big.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(profile.GetProfileString("Settings", "Big", "").size(), big.size());
}

TEST_P(RegistryProfileTest, BadlyTypedRecordReadsAsDefaultsAndIsRewrittenWellFormed) {
    const wchar_t limit[] = L"95";
    Raw(L"CL", REG_SZ, limit, sizeof(limit));
    const DWORD letter = 'Q';
    Raw(L"SC", REG_DWORD, &letter, sizeof(letter));
    const BYTE flag[] = {0};
    Raw(L"RAS", REG_BINARY, flag, sizeof(flag));

    OptimizerSettings settings;
    ReadSettings(profile, settings);
    EXPECT_EQ(settings, OptimizerSettings{});
    WriteSettings(profile, settings);

    for (const wchar_t* name : {L"CL", L"RAS", L"SN", L"bAOMAMSF", L"bARPL"}) {
        const auto value = ReadRawValue(scratch.Root(), section, name);
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_DWORD)) << name;
        EXPECT_EQ(value.data.size(), 4u) << name;
    }
    EXPECT_EQ(testing::AsText(ReadRawValue(scratch.Root(), section, L"SC")), L"O");
    EXPECT_EQ(profile.GetProfileInt("Settings", "CL", 0), 80);
}

// A batch lets its keys go at its end: a section deleted after it is made
// again by the next batch's write, which a key kept open would lose.
TEST_P(RegistryProfileTest, AfterABatchADeletedSectionIsMadeAgainByAWrite) {
    {
        const StoreBatch batch(profile);
        EXPECT_TRUE(profile.WriteProfileInt("Settings", "CL", 1));
        EXPECT_EQ(profile.GetProfileInt("Settings", "CL", 0), 1);
    }
    if (GetParam())
        profile.EndBatch();
    ASSERT_EQ(::RegDeleteTreeW(scratch.Root(), section.c_str()), ERROR_SUCCESS);
    ::RegDeleteKeyW(scratch.Root(), section.c_str());
    const StoreBatch next(profile);
    profile.WriteProfileInt("Settings", "CL", 2);
    const auto written = ReadRawValue(scratch.Root(), section, L"CL");
    ASSERT_EQ(written.data.size(), sizeof(DWORD));
    EXPECT_EQ(written.data[0], 2);
    if (GetParam())
        profile.BeginBatch();  // for the fixture's end
}

INSTANTIATE_TEST_SUITE_P(AloneAndInABatch, RegistryProfileTest, ::testing::Bool());

}  // namespace
}  // namespace qmo
