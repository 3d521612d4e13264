#pragma once
// A profile that keeps values as the registry does, as a type and raw bytes,
// and reads them back through the program's own decoding rules.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "config/optimizer_settings.h"
#include "config/profile_value_codec.h"

namespace qmo::testing {

struct RawValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

class RawProfile : public ProfileStore {
public:
    int GetProfileInt(std::string_view section, std::string_view entry, int defaultValue) override {
        const RawValue* raw = Find(section, entry);
        return raw ? DecodeProfileInt(raw->type, raw->data).value_or(defaultValue) : defaultValue;
    }
    std::string GetProfileString(std::string_view section, std::string_view entry,
                                 const std::string& defaultValue) override {
        const RawValue* raw = Find(section, entry);
        return raw ? DecodeProfileString(raw->type, raw->data).value_or(defaultValue) : defaultValue;
    }
    bool WriteProfileInt(std::string_view section, std::string_view entry, int value) override {
        values[Key(section, entry)] = RawValue{kProfileTypeDword, EncodeProfileInt(value)};
        return true;
    }
    bool WriteProfileString(std::string_view section, std::string_view entry, const std::string& value) override {
        values[Key(section, entry)] = RawValue{kProfileTypeString, EncodeProfileString(value)};
        return true;
    }

    std::vector<std::string> GetProfileStrings(std::string_view section, std::string_view entry) override {
        const RawValue* raw = Find(section, entry);
        return raw ? DecodeProfileStrings(raw->type, raw->data).value_or(std::vector<std::string>())
                   : std::vector<std::string>();
    }
    bool WriteProfileStrings(std::string_view section, std::string_view entry,
                             const std::vector<std::string>& value) override {
        values[Key(section, entry)] = RawValue{kProfileTypeStrings, EncodeProfileStrings(value)};
        return true;
    }

    void Set(std::string_view entry, RawValue value) { values[Key(kSettingsSection, entry)] = std::move(value); }

    std::map<std::string, RawValue> values;

private:
    static std::string Key(std::string_view section, std::string_view entry) {
        return std::string(section) + "\\" + std::string(entry);
    }
    const RawValue* Find(std::string_view section, std::string_view entry) const {
        auto it = values.find(Key(section, entry));
        return it == values.end() ? nullptr : &it->second;
    }
};

}  // namespace qmo::testing
