#pragma once
// The per-user profile in the registry: one key per section under a base path.
// Integers are REG_DWORD, strings REG_SZ, lists REG_MULTI_SZ; a value of another type or size
// reads as missing, so bad data never reaches the program.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/profile_value_codec.h"
#include "framework/profile_store.h"

namespace qmo {

class RegistryProfile : public ProfileStore {
public:
    // Longest string value read back, in bytes; anything larger reads as missing.
    static constexpr DWORD kMaxStringBytes = 8192;
    static_assert(kMaxStringBytes == kMaxProfileStringBytes);

    RegistryProfile(HKEY root, std::wstring basePath);

    int GetProfileInt(std::string_view section, std::string_view entry, int defaultValue) override;
    std::string GetProfileString(std::string_view section, std::string_view entry,
                                 const std::string& defaultValue) override;
    bool WriteProfileInt(std::string_view section, std::string_view entry, int value) override;
    bool WriteProfileString(std::string_view section, std::string_view entry, const std::string& value) override;
    std::vector<std::string> GetProfileStrings(std::string_view section, std::string_view entry) override;
    bool WriteProfileStrings(std::string_view section, std::string_view entry,
                             const std::vector<std::string>& values) override;

    struct RawValue {
        DWORD type = REG_NONE;
        std::vector<std::uint8_t> data;
    };
    // The value's type and data; nothing when the key or value is missing,
    // unreadable, or larger than `maxBytes`.
    std::optional<RawValue> ReadRaw(std::string_view section, std::string_view entry,
                                    DWORD maxBytes = kMaxStringBytes) const;

private:
    std::wstring SectionPath(std::string_view section) const;

    HKEY m_root;
    std::wstring m_basePath;
};

}  // namespace qmo
