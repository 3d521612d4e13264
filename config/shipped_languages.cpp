#include "config/shipped_languages.h"

#include <vector>

#include "config/language_choice.h"
#include "framework/text.h"

namespace qmo {
namespace {

constexpr ShippedLanguage kShipped[] = {
#include "languages.inc"
};

// Windows' display language as a tag ("de-DE"); empty when it cannot say.
std::string WindowsLanguage() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = L"";
    if (::LCIDToLocaleName(MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT), name, LOCALE_NAME_MAX_LENGTH, 0) <= 0)
        return {};
    return Narrow(name);
}

}  // namespace

std::span<const ShippedLanguage> ShippedLanguages() {
    return kShipped;
}

const ShippedLanguage& ChosenLanguage(const std::string& storedTag) {
    std::vector<std::string> tags;
    for (const ShippedLanguage& language : kShipped)
        tags.push_back(Narrow(language.tag));
    const std::vector<std::string_view> views(tags.begin(), tags.end());
    const std::string_view chosen = ChooseLanguage(storedTag, WindowsLanguage(), views);
    for (std::size_t i = 0; i < tags.size(); ++i) {
        if (tags[i] == chosen)
            return kShipped[i];
    }
    return kShipped[0];
}

}  // namespace qmo
