#include "framework/registry_profile.h"

#include <vector>

#include "framework/text.h"
#include "framework/unique_handle.h"

namespace qmo {
namespace {

unique_hkey OpenKey(HKEY root, const std::wstring& path, REGSAM access) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS)
        return {};
    return unique_hkey(key);
}

unique_hkey CreateKey(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return {};
    return unique_hkey(key);
}

bool SetValue(HKEY root, const std::wstring& path, std::string_view entry, DWORD type, const void* data,
              DWORD size) {
    unique_hkey key = CreateKey(root, path);
    if (!key)
        return false;
    return ::RegSetValueExW(key.get(), Widen(entry).c_str(), 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

}  // namespace

RegistryProfile::RegistryProfile(HKEY root, std::wstring basePath) : m_root(root), m_basePath(std::move(basePath)) {}

std::wstring RegistryProfile::SectionPath(std::string_view section) const {
    return m_basePath + L"\\" + Widen(section);
}

int RegistryProfile::GetProfileInt(std::string_view section, std::string_view entry, int defaultValue) {
    unique_hkey key = OpenKey(m_root, SectionPath(section), KEY_QUERY_VALUE);
    if (!key)
        return defaultValue;
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LSTATUS status =
        ::RegQueryValueExW(key.get(), Widen(entry).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value))
        return defaultValue;
    return static_cast<int>(value);
}

std::string RegistryProfile::GetProfileString(std::string_view section, std::string_view entry,
                                              const std::string& defaultValue) {
    unique_hkey key = OpenKey(m_root, SectionPath(section), KEY_QUERY_VALUE);
    if (!key)
        return defaultValue;
    const std::wstring name = Widen(entry);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size > kMaxStringBytes || size % sizeof(wchar_t) != 0)
        return defaultValue;

    // One spare character keeps the text terminated even when the stored data is not.
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD readSize = size;
    if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                           &readSize) != ERROR_SUCCESS ||
        type != REG_SZ || readSize > size)
        return defaultValue;
    return Narrow(std::wstring_view(buffer.data()));
}

bool RegistryProfile::WriteProfileInt(std::string_view section, std::string_view entry, int value) {
    const DWORD data = static_cast<DWORD>(value);
    return SetValue(m_root, SectionPath(section), entry, REG_DWORD, &data, sizeof(data));
}

bool RegistryProfile::WriteProfileString(std::string_view section, std::string_view entry,
                                         const std::string& value) {
    const std::wstring text = Widen(value);
    const DWORD size = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return SetValue(m_root, SectionPath(section), entry, REG_SZ, text.c_str(), size);
}

}  // namespace qmo
