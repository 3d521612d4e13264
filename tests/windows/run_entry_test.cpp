#include <gtest/gtest.h>

#include "config/registry_run_entry.h"
#include "framework/text.h"
#include "wine_test_support.h"

using namespace qmo;

namespace qmo {
namespace {

using testing::ReadRawValue;
using testing::ScratchKey;

const std::wstring kValueName = L"Z Wyndle Memory opt";

TEST(RegistryRunEntryTest, WritesTerminatedRegSzAndBlanksWithAnEmptyString) {
    ScratchKey scratch(L"Run");
    ASSERT_TRUE(testing::WriteRawValue(scratch.Root(), scratch.Path(), L"other", REG_SZ, L"", sizeof(wchar_t)));
    RegistryRunEntry entry(scratch.Root(), scratch.Path());

    const std::string quoted = "\"C:\\Program Files\\Quenvale\\QuenvaleMemoryOptimizer.exe\"";
    ASSERT_TRUE(entry.WriteRunValue(quoted));
    auto value = ReadRawValue(scratch.Root(), scratch.Path(), kValueName);
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value.data.size(), (quoted.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(Narrow(testing::AsText(value)), quoted);

    ASSERT_TRUE(entry.WriteRunValue(""));
    value = ReadRawValue(scratch.Root(), scratch.Path(), kValueName);
    EXPECT_TRUE(value.exists);
    EXPECT_EQ(value.data.size(), sizeof(wchar_t));
    EXPECT_EQ(testing::AsText(value), L"");
}

TEST(RegistryRunEntryTest, MissingRunKeyIsNeitherCreatedNorWritten) {
    ScratchKey scratch(L"NoRun");
    RegistryRunEntry entry(scratch.Root(), scratch.Path());
    EXPECT_FALSE(entry.WriteRunValue("\"C:\\x.exe\""));
    EXPECT_FALSE(testing::KeyExists(scratch.Root(), scratch.Path()));
}

TEST(RegistryRunEntryTest, ExecutablePathIsThisProgramsFullPath) {
    RegistryRunEntry entry;
    const std::string path = entry.ExecutablePath();
    ASSERT_GT(path.size(), 3u);
    EXPECT_EQ(path.substr(1, 2), ":\\");
    EXPECT_NE(path.find("qmo_windows_tests.exe"), std::string::npos);
}

TEST(RegistryRunEntryTest, MachineRunEntryFollowsTheSetting) {
    const std::wstring runKey = kRunKeyPath;
    ::UpdateRunEntry(false);
    auto value = ReadRawValue(HKEY_LOCAL_MACHINE, runKey, kValueName);
    ASSERT_TRUE(value.exists);
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(testing::AsText(value), L"\"" + ModuleFilePath() + L"\"");

    ::UpdateRunEntry(true);
    value = ReadRawValue(HKEY_LOCAL_MACHINE, runKey, kValueName);
    EXPECT_TRUE(value.exists);
    EXPECT_EQ(testing::AsText(value), L"");

    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, runKey.c_str(), 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
        ::RegDeleteValueW(key, kValueName.c_str());
        ::RegCloseKey(key);
    }
}

}  // namespace
}  // namespace qmo
