#include "config/profile_value_codec.h"

namespace qmo {

std::optional<int> DecodeProfileInt(std::uint32_t type, std::span<const std::uint8_t> data) {
    if (type != kProfileTypeDword || data.size() != 4)
        return std::nullopt;
    const std::uint32_t value = static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
                                static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24;
    return static_cast<int>(value);
}

std::optional<std::string> DecodeProfileString(std::uint32_t type, std::span<const std::uint8_t> data) {
    if (type != kProfileTypeString || data.size() > kMaxProfileStringBytes || data.size() % 2 != 0)
        return std::nullopt;
    std::u16string text;
    for (std::size_t i = 0; i < data.size(); i += 2) {
        const auto unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit == 0)
            break;
        text += unit;
    }
    return Utf16ToUtf8(text);
}

std::optional<std::vector<std::string>> DecodeProfileStrings(std::uint32_t type,
                                                             std::span<const std::uint8_t> data) {
    if (type != kProfileTypeStrings || data.size() > kMaxProfileStringsBytes || data.size() % 2 != 0)
        return std::nullopt;
    std::vector<std::string> strings;
    std::u16string text;
    for (std::size_t i = 0; i < data.size(); i += 2) {
        const auto unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit != 0) {
            text += unit;
            continue;
        }
        if (text.empty())
            break;  // the list's end
        strings.push_back(Utf16ToUtf8(text));
        text.clear();
    }
    if (!text.empty())
        strings.push_back(Utf16ToUtf8(text));
    return strings;
}

std::vector<std::uint8_t> EncodeProfileInt(int value) {
    const auto bits = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
}

std::vector<std::uint8_t> EncodeProfileString(std::string_view utf8) {
    std::vector<std::uint8_t> data;
    for (const char16_t unit : Utf8ToUtf16(utf8)) {
        data.push_back(static_cast<std::uint8_t>(unit));
        data.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

std::vector<std::uint8_t> EncodeProfileStrings(const std::vector<std::string>& strings) {
    std::vector<std::uint8_t> data;
    for (const std::string& text : strings) {
        if (text.empty())
            continue;
        const std::vector<std::uint8_t> one = EncodeProfileString(text);
        data.insert(data.end(), one.begin(), one.end());
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

}  // namespace qmo
