#include "config/registry_profile.h"

#include <algorithm>
#include <vector>

#include "config/profile_value_codec.h"

#include "framework/text.h"

namespace qmo {
namespace {

unique_hkey OpenKey(HKEY root, const std::wstring& path, REGSAM access) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, access, &key) != ERROR_SUCCESS)
        return {};
    return unique_hkey(key);
}

unique_hkey CreateKey(HKEY root, const std::wstring& path, REGSAM access) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        return {};
    return unique_hkey(key);
}

// Most values fit the first read; a larger one is read again at its size.
constexpr DWORD kFirstReadBytes = 512;

}  // namespace

RegistryProfile::RegistryProfile(HKEY root, std::wstring basePath) : m_root(root), m_basePath(std::move(basePath)) {}

std::wstring RegistryProfile::SectionPath(std::string_view section) const {
    return m_basePath + L"\\" + Widen(section);
}

void RegistryProfile::BeginBatch() {
    ++m_batches;
}

void RegistryProfile::EndBatch() {
    if (m_batches > 0 && --m_batches == 0)
        m_open.clear();
}

RegistryProfile::SectionKey RegistryProfile::Open(std::string_view section, bool forWriting) const {
    const std::wstring path = SectionPath(section);
    const auto opened = [&] {
        return forWriting ? CreateKey(m_root, path, KEY_WRITE | KEY_QUERY_VALUE)
                          : OpenKey(m_root, path, KEY_QUERY_VALUE);
    };
    if (m_batches == 0) {
        SectionKey own;
        own.owned = opened();
        own.key = own.owned.get();
        return own;
    }
    auto open = std::find_if(m_open.begin(), m_open.end(), [&](const OpenSection& kept) { return kept.path == path; });
    if (open == m_open.end()) {
        unique_hkey key = opened();
        const bool writable = forWriting && key;
        open = m_open.insert(m_open.end(), OpenSection{path, std::move(key), writable});
    } else if (forWriting && !open->writable) {
        // The key that reads stays when no writable one can be had.
        if (unique_hkey key = opened()) {
            open->key = std::move(key);
            open->writable = true;
        }
    }
    SectionKey batch;
    batch.key = forWriting && !open->writable ? nullptr : open->key.get();
    return batch;
}

std::optional<RegistryProfile::RawValue> RegistryProfile::ReadRaw(std::string_view section, std::string_view entry,
                                                                  DWORD maxBytes) const {
    const SectionKey sectionKey = Open(section, false);
    if (!sectionKey.key)
        return std::nullopt;
    const std::wstring name = Widen(entry);
    RawValue raw;
    raw.data.resize(std::min(kFirstReadBytes, maxBytes));
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(raw.data.size());
    LSTATUS status = ::RegQueryValueExW(sectionKey.key, name.c_str(), nullptr, &type, raw.data.data(), &size);
    if (status == ERROR_MORE_DATA && size <= maxBytes) {
        raw.data.resize(size);
        // A value that grew since it was measured fails here with ERROR_MORE_DATA.
        status = ::RegQueryValueExW(sectionKey.key, name.c_str(), nullptr, &type, raw.data.data(), &size);
    }
    if (status != ERROR_SUCCESS || size > maxBytes)
        return std::nullopt;
    raw.type = type;
    raw.data.resize(size);
    return raw;
}

bool RegistryProfile::SetValue(std::string_view section, std::string_view entry, DWORD type,
                               const std::vector<std::uint8_t>& data) {
    const SectionKey sectionKey = Open(section, true);
    return sectionKey.key && ::RegSetValueExW(sectionKey.key, Widen(entry).c_str(), 0, type, data.data(),
                                               static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
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
    return SetValue(section, entry, REG_DWORD, data);
}

bool RegistryProfile::WriteProfileString(std::string_view section, std::string_view entry,
                                         const std::string& value) {
    const std::vector<std::uint8_t> data = EncodeProfileString(value);
    return SetValue(section, entry, REG_SZ, data);
}

std::vector<std::string> RegistryProfile::GetProfileStrings(std::string_view section, std::string_view entry) {
    const std::optional<RawValue> raw = ReadRaw(section, entry, static_cast<DWORD>(kMaxProfileStringsBytes));
    return raw ? DecodeProfileStrings(raw->type, raw->data).value_or(std::vector<std::string>())
               : std::vector<std::string>();
}

bool RegistryProfile::WriteProfileStrings(std::string_view section, std::string_view entry,
                                          const std::vector<std::string>& values) {
    const std::vector<std::uint8_t> data = EncodeProfileStrings(values);
    return SetValue(section, entry, REG_MULTI_SZ, data);
}

}  // namespace qmo
