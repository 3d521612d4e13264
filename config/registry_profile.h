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
#include "framework/unique_handle.h"

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

    // Each key is opened once in a batch (wine asks its server for every
    // open and close), and closed at its end.
    void BeginBatch() override;
    void EndBatch() override;

private:
    // A section's key for one read or write: the batch's, or one of its own.
    struct SectionKey {
        HKEY key = nullptr;
        unique_hkey owned;
    };
    // A section the batch has opened; a key found missing is kept as such
    // until a write makes it.
    struct OpenSection {
        std::wstring path;
        unique_hkey key;
        bool writable = false;
    };

    std::wstring SectionPath(std::string_view section) const;
    SectionKey Open(std::string_view section, bool forWriting) const;
    bool SetValue(std::string_view section, std::string_view entry, DWORD type, const std::vector<std::uint8_t>& data);

    HKEY m_root;
    std::wstring m_basePath;
    int m_batches = 0;
    mutable std::vector<OpenSection> m_open;
};

}  // namespace qmo
