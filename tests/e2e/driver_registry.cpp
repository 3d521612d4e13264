// The registry: the stored settings, the Run value that starts the program at
// logon, and the installer's uninstall entry.
#include "tests/e2e/driver.h"

#include <algorithm>
#include <utility>

namespace qmo::e2e {

namespace {

#define QMO_PROFILE_KEY L"Software\\Local AppWizard-Generated Applications\\Quenvale Memory Optimizer"
constexpr wchar_t kProfileKey[] = QMO_PROFILE_KEY;
constexpr wchar_t kSettingsKey[] = QMO_PROFILE_KEY L"\\Settings";
constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Z Wyndle Memory opt";

struct RegValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

RegValue ReadValue(HKEY root, const wchar_t* keyPath, const std::wstring& name) {
    RegValue value;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return value;
    DWORD size = 0;
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        value.exists = ::RegQueryValueExW(key, name.c_str(), nullptr, &value.type, value.data.data(), &size) ==
                       ERROR_SUCCESS;
        value.data.resize(size);
    }
    ::RegCloseKey(key);
    return value;
}

// A value of `type` that holds these bytes.
RegValue BytesValue(DWORD type, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const BYTE*>(data);
    return RegValue{true, type, std::vector<BYTE>(bytes, bytes + size)};
}

RegValue StringValue(const std::wstring& text) {
    return BytesValue(REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));  // with its terminating null
}

// A value as the ring writes it: NAME=dword:N, NAME=sz:TEXT, NAME=binary:HEX
// or NAME=long-sz:N (N characters of text).
std::pair<std::wstring, RegValue> ParseValueArg(const std::wstring& arg) {
    const auto equals = arg.find(L'=');
    const auto colon = arg.find(L':', equals == std::wstring::npos ? 0 : equals);
    if (equals == std::wstring::npos || colon == std::wstring::npos)
        Fail(L"expected NAME=TYPE:VALUE, got " + arg);
    const std::wstring type = arg.substr(equals + 1, colon - equals - 1);
    const std::wstring text = arg.substr(colon + 1);
    RegValue value;
    if (type == L"dword") {
        const DWORD number = static_cast<DWORD>(ParseNumber(text));
        value = BytesValue(REG_DWORD, &number, sizeof(number));
    } else if (type == L"sz") {
        value = StringValue(text);
    } else if (type == L"multi") {
        // Strings parted by |, each with its null, then the list's closing null.
        std::wstring strings;
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t bar = std::min(text.find(L'|', start), text.size());
            strings += text.substr(start, bar - start) + L'\0';
            start = bar + 1;
        }
        strings += L'\0';
        value = BytesValue(REG_MULTI_SZ, strings.data(), strings.size() * sizeof(wchar_t));
    } else if (type == L"long-sz") {
        value = StringValue(std::wstring(ParseNumber(text), L'x'));
    } else if (type == L"binary" && text.size() % 2 == 0) {
        value = RegValue{true, REG_BINARY, {}};
        for (std::size_t i = 0; i < text.size(); i += 2)
            value.data.push_back(static_cast<BYTE>(ParseNumber(L"0x" + text.substr(i, 2))));
    } else {
        Fail(L"unknown value type in " + arg);
    }
    return {arg.substr(0, equals), value};
}

// The text of a string value up to its first null, and whether it has one at its end.
std::wstring ShownText(const RegValue& value) {
    std::wstring text(reinterpret_cast<const wchar_t*>(value.data.data()), value.data.size() / sizeof(wchar_t));
    const bool terminated = !text.empty() && text.back() == L'\0';
    text = text.substr(0, text.find(L'\0'));
    if (text.size() > 80)
        text = text.substr(0, 80) + L"...";
    return Quoted(text) + (terminated ? L"" : L" without a terminating null");
}

std::wstring Describe(const RegValue& value) {
    if (!value.exists)
        return L"missing";
    std::wstring shown;
    if (value.type == REG_DWORD && value.data.size() == sizeof(DWORD))
        shown = L"REG_DWORD " + std::to_wstring(*reinterpret_cast<const DWORD*>(value.data.data()));
    else if (value.type == REG_SZ)
        shown = L"REG_SZ " + ShownText(value);
    else
        shown = L"type " + std::to_wstring(value.type);
    return shown + L" of " + std::to_wstring(value.data.size()) + L" bytes";
}

// Type, size and every byte must match: a string without its null, or a
// number stored as text, is as wrong as a wrong number.
void ExpectValue(HKEY root, const wchar_t* keyPath, const std::wstring& name, const RegValue& expected) {
    const RegValue actual = ReadValue(root, keyPath, name);
    if (actual.exists != expected.exists || actual.type != expected.type || actual.data != expected.data)
        Fail(Quoted(name) + L" is " + Describe(actual) + L", expected " + Describe(expected));
}

void ExpectRunEntry(const RegValue& expected) {
    ExpectValue(HKEY_LOCAL_MACHINE, kRunKey, kRunValue, expected);
}

void WriteValue(HKEY root, const wchar_t* keyPath, const std::wstring& name, const RegValue& value) {
    HKEY key = nullptr;
    LSTATUS status = ::RegCreateKeyExW(root, keyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
        status = ::RegSetValueExW(key, name.c_str(), 0, value.type, value.data.data(),
                                  static_cast<DWORD>(value.data.size()));
        ::RegCloseKey(key);
    }
    if (status != ERROR_SUCCESS)
        Fail(L"cannot write " + Quoted(name) + L", error " + std::to_wstring(status));
}

DWORD ValueCount(HKEY root, const wchar_t* keyPath) {
    HKEY key = nullptr;
    DWORD count = 0;
    if (::RegOpenKeyExW(root, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return 0;
    ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                       nullptr, nullptr);
    ::RegCloseKey(key);
    return count;
}

}  // namespace

// reset-registry: no stored settings and no Run value, as on a fresh machine.
int ResetRegistry(const Args& args) {
    args.Allow({}, 0);
    const LSTATUS profile = ::RegDeleteTreeW(HKEY_CURRENT_USER, kProfileKey);
    const LSTATUS run = ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kRunKey, kRunValue);
    for (LSTATUS status : {profile, run})
        if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
            Fail(L"cannot clear the registry, error " + std::to_wstring(status));
    return 0;
}

// seed-settings NAME=TYPE:VALUE...: stores a settings record, well-formed or not.
int SeedSettings(const Args& args) {
    args.Allow({}, args.words.size());
    for (const auto& word : args.words) {
        const auto [name, value] = ParseValueArg(word);
        WriteValue(HKEY_CURRENT_USER, kSettingsKey, name, value);
    }
    return 0;
}

// check-settings NAME=TYPE:VALUE...: the stored record holds exactly these values.
int CheckSettings(const Args& args) {
    args.Allow({}, args.words.size());
    for (const auto& word : args.words) {
        const auto [name, value] = ParseValueArg(word);
        ExpectValue(HKEY_CURRENT_USER, kSettingsKey, name, value);
    }
    const DWORD count = ValueCount(HKEY_CURRENT_USER, kSettingsKey);
    if (count != args.words.size())
        Fail(L"the settings key holds " + std::to_wstring(count) + L" values, expected " +
             std::to_wstring(args.words.size()));
    return 0;
}

// seed-run-entry TEXT: a Run value left from before.
int SeedRunEntry(const Args& args) {
    args.Allow({}, 1);
    WriteValue(HKEY_LOCAL_MACHINE, kRunKey, kRunValue, StringValue(args.words[0]));
    return 0;
}

// check-run-entry quoted PATH | check-run-entry empty
int CheckRunEntry(const Args& args) {
    if (args.words.size() == 2 && args.words[0] == L"quoted")
        ExpectRunEntry(StringValue(Quoted(args.words[1])));
    else if (args.words.size() == 1 && args.words[0] == L"empty")
        ExpectRunEntry(StringValue(L""));
    else
        Fail(L"expected: check-run-entry quoted PATH | empty");
    return 0;
}

// check-no-run-entry: the Run value is gone altogether.
int CheckNoRunEntry(const Args& args) {
    args.Allow({}, 0);
    ExpectRunEntry(RegValue{});
    return 0;
}

// check-uninstall-entry KEY NAME VERSION PUBLISHER | check-uninstall-entry KEY --gone
int CheckUninstallEntry(const Args& args) {
    const bool gone = args.Has(L"--gone");
    args.Allow({L"--gone"}, gone ? 1 : 4);
    const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + args.words[0];
    if (gone) {
        if (ReadValue(HKEY_LOCAL_MACHINE, key.c_str(), L"DisplayName").exists)
            Fail(L"the uninstaller is still registered");
        return 0;
    }
    ExpectValue(HKEY_LOCAL_MACHINE, key.c_str(), L"DisplayName", StringValue(args.words[1]));
    ExpectValue(HKEY_LOCAL_MACHINE, key.c_str(), L"DisplayVersion", StringValue(args.words[2]));
    ExpectValue(HKEY_LOCAL_MACHINE, key.c_str(), L"Publisher", StringValue(args.words[3]));
    for (const wchar_t* name : {L"DisplayIcon", L"UninstallString", L"QuietUninstallString", L"InstallLocation"}) {
        const RegValue value = ReadValue(HKEY_LOCAL_MACHINE, key.c_str(), name);
        if (!value.exists || value.type != REG_SZ || value.data.size() <= sizeof(wchar_t))
            Fail(Quoted(name) + L" is " + Describe(value));
    }
    const RegValue size = ReadValue(HKEY_LOCAL_MACHINE, key.c_str(), L"EstimatedSize");
    if (size.type != REG_DWORD || size.data.size() != sizeof(DWORD) || *reinterpret_cast<const DWORD*>(size.data.data()) == 0)
        Fail(L"EstimatedSize is " + Describe(size));
    return 0;
}

}  // namespace qmo::e2e
