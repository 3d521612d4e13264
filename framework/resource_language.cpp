#include "framework/resource_language.h"

#include "framework/application.h"

namespace qmo {
namespace {

HRSRC FindIn(LPCWSTR type, LPCWSTR name, LANGID language) {
    return ::FindResourceExW(Application::InstanceHandle(), type, name, language);
}

const void* ResourceBytes(HRSRC resource, DWORD* size = nullptr) {
    if (!resource)
        return nullptr;
    HGLOBAL loaded = ::LoadResource(Application::InstanceHandle(), resource);
    if (size)
        *size = loaded ? ::SizeofResource(Application::InstanceHandle(), resource) : 0;
    return loaded ? ::LockResource(loaded) : nullptr;
}

// The string's characters in one block of sixteen; empty when the block does
// not hold it (or holds it empty).
std::wstring_view StringInBlock(HRSRC block, UINT id) {
    DWORD size = 0;
    const auto* data = static_cast<const wchar_t*>(ResourceBytes(block, &size));
    if (!data)
        return {};
    const wchar_t* const end = data + size / sizeof(wchar_t);
    for (UINT index = 0; index < (id & 15U); ++index) {
        if (data >= end)
            return {};
        data += 1 + *data;
    }
    if (data >= end || data + 1 + *data > end)
        return {};
    return std::wstring_view(data + 1, *data);
}

// The resource in the chosen language, else in English, else in any language
// the module has; null when there is none.
HRSRC FindLanguageResource(LPCWSTR type, LPCWSTR name) {
    if (HRSRC chosen = FindIn(type, name, Application::ResourceLanguage()))
        return chosen;
    if (HRSRC english = FindIn(type, name, kEnglishLanguage))
        return english;
    return ::FindResourceW(Application::InstanceHandle(), name, type);
}

}  // namespace

std::wstring LoadResourceString(UINT id) {
    const LPCWSTR block = MAKEINTRESOURCEW((id >> 4) + 1);
    std::wstring_view text = StringInBlock(FindIn(RT_STRING, block, Application::ResourceLanguage()), id);
    if (text.empty())
        text = StringInBlock(FindIn(RT_STRING, block, kEnglishLanguage), id);
    return std::wstring(text);
}

HMENU LoadLanguageMenu(UINT id) {
    const void* bytes = ResourceBytes(FindLanguageResource(RT_MENU, MAKEINTRESOURCEW(id)));
    return bytes ? ::LoadMenuIndirectW(bytes) : nullptr;
}

const DLGTEMPLATE* LanguageDialogTemplate(UINT id) {
    return static_cast<const DLGTEMPLATE*>(ResourceBytes(FindLanguageResource(RT_DIALOG, MAKEINTRESOURCEW(id))));
}

}  // namespace qmo
