#include "config/registry_profile.h"

#include <vector>

#include "config/profile_value_codec.h"

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

std::optional<RegistryProfile::RawValue> RegistryProfile::ReadRaw(std::string_view section, std::string_view entry,
                                                                  DWORD maxBytes) const {
    unique_hkey key = OpenKey(m_root, SectionPath(section), KEY_QUERY_VALUE);
    if (!key)
        return std::nullopt;
    const std::wstring name = Widen(entry);
    RawValue raw;
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS ||
        size > maxBytes)
        return std::nullopt;
    raw.data.resize(size);
    DWORD type = 0;
    DWORD readSize = size;
    // A value that grew since it was measured fails here with ERROR_MORE_DATA.
    if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, raw.data.data(), &readSize) != ERROR_SUCCESS ||
        readSize > size)
        return std::nullopt;
    raw.type = type;
    raw.data.resize(readSize);
    return raw;
}

int RegistryProfile::GetProfileInt(std::string_view section, std::string_view entry, int defaultValue) {
    const std::optional<RawValue> raw = ReadRaw(section, entry);
    return raw ? DecodeProfileInt(raw->type, raw->data).value_or(defaultValue) : defaultValue;
}

std::string RegistryProfile::GetProfileString(std::string_view section, std::string_view entry,
                                              const std::string& defaultValue) {
    const std::optional<RawValue> raw = ReadRaw(section, entry);
    return raw ? DecodeProfileString(raw->type, raw->data).value_or(defaultValue) : defaultValue;
}

bool RegistryProfile::WriteProfileInt(std::string_view section, std::string_view entry, int value) {
    const std::vector<std::uint8_t> data = EncodeProfileInt(value);
    return SetValue(m_root, SectionPath(section), entry, REG_DWORD, data.data(), static_cast<DWORD>(data.size()));
}

bool RegistryProfile::WriteProfileString(std::string_view section, std::string_view entry,
                                         const std::string& value) {
    const std::vector<std::uint8_t> data = EncodeProfileString(value);
    return SetValue(m_root, SectionPath(section), entry, REG_SZ, data.data(), static_cast<DWORD>(data.size()));
}

std::vector<std::string> RegistryProfile::GetProfileStrings(std::string_view section, std::string_view entry) {
    const std::optional<RawValue> raw = ReadRaw(section, entry, static_cast<DWORD>(kMaxProfileStringsBytes));
    return raw ? DecodeProfileStrings(raw->type, raw->data).value_or(std::vector<std::string>())
               : std::vector<std::string>();
}

bool RegistryProfile::WriteProfileStrings(std::string_view section, std::string_view entry,
                                          const std::vector<std::string>& values) {
    const std::vector<std::uint8_t> data = EncodeProfileStrings(values);
    return SetValue(m_root, SectionPath(section), entry, REG_MULTI_SZ, data.data(), static_cast<DWORD>(data.size()));
}

}  // namespace qmo
