#include "config/language_choice.h"

#include <algorithm>
#include <vector>

#include "framework/text_case.h"

namespace qmo {
namespace {

std::vector<std::string_view> Parts(std::string_view tag) {
    std::vector<std::string_view> parts;
    while (!tag.empty()) {
        const std::size_t dash = tag.find_first_of("-_");
        parts.push_back(tag.substr(0, dash));
        tag = dash == std::string_view::npos ? std::string_view() : tag.substr(dash + 1);
    }
    return parts;
}

// The script a tag names or its region implies; empty when neither says.
std::string_view ScriptOf(const std::vector<std::string_view>& parts) {
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (parts[i].size() == 4)
            return parts[i];
        if (EqualIgnoringCase(parts[i], "CN") || EqualIgnoringCase(parts[i], "SG"))
            return "Hans";
        if (EqualIgnoringCase(parts[i], "TW") || EqualIgnoringCase(parts[i], "HK") || EqualIgnoringCase(parts[i], "MO"))
            return "Hant";
    }
    return {};
}

bool Serves(std::string_view shippedTag, std::string_view wanted) {
    if (EqualIgnoringCase(shippedTag, wanted))
        return true;
    const std::vector<std::string_view> shipped = Parts(shippedTag);
    const std::vector<std::string_view> asked = Parts(wanted);
    // The pseudo-locales (qps-ploc and its kin) serve only themselves.
    if (shipped.empty() || asked.empty() || shipped.size() > 2 || EqualIgnoringCase(shipped[0], "qps") ||
        !EqualIgnoringCase(shipped[0], asked[0]))
        return false;
    if (shipped.size() == 2 && shipped[1].size() == 4) {
        const std::string_view script = ScriptOf(asked);
        return script.empty() || EqualIgnoringCase(script, shipped[1]);
    }
    return true;
}

}  // namespace

std::string_view ShippedLanguageFor(std::string_view wanted, std::span<const std::string_view> shipped) {
    for (const std::string_view tag : shipped) {
        if (EqualIgnoringCase(tag, wanted))
            return tag;
    }
    for (const std::string_view tag : shipped) {
        if (Serves(tag, wanted))
            return tag;
    }
    return {};
}

std::string_view ChooseLanguage(std::string_view stored, std::string_view windowsLanguage,
                                std::span<const std::string_view> shipped) {
    const std::string_view found = ShippedLanguageFor(stored.empty() ? windowsLanguage : stored, shipped);
    return found.empty() ? kEnglishTag : found;
}

std::string KeptLanguageTag(std::string_view stored) {
    const bool wellFormed = stored.size() <= 85 && std::all_of(stored.begin(), stored.end(), [](char c) {
                                return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                                       c == '-';
                            });
    return wellFormed ? std::string(stored) : std::string();
}

}  // namespace qmo
