#pragma once
// Which of the shipped languages the program speaks: the one the settings name
// (a BCP 47 tag), else Windows' display language, else English.
#include <span>
#include <string>
#include <string_view>

namespace qmo {

inline constexpr std::string_view kEnglishTag = "en";

// The shipped tag that serves the wanted one, or empty: the same tag in any
// case; else the same language, where a shipped script (zh-Hans) also needs
// the wanted tag's script, or a region that writes it (CN, SG), or none. A
// pseudo-locale (qps-ploc) serves only itself.
std::string_view ShippedLanguageFor(std::string_view wanted, std::span<const std::string_view> shipped);

// The language to use: the stored choice when it is not empty, else Windows'
// display language; English when the shipped ones serve neither.
std::string_view ChooseLanguage(std::string_view stored, std::string_view windowsLanguage,
                                std::span<const std::string_view> shipped);

// A stored choice as kept: a tag of letters, digits and hyphens, at most 85
// characters (the longest locale name), else empty (follow Windows).
std::string KeptLanguageTag(std::string_view stored);

}  // namespace qmo
