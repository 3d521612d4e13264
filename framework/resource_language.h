#pragma once
// The language the program's menus, dialogs and texts are taken from: chosen
// once at start (the application keeps it); English where a resource lacks it.
#include <windows.h>

#include <string>

namespace qmo {

inline constexpr LANGID kEnglishLanguage = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// A string from the string tables, in the chosen language where it has the
// string, else in English; empty if there is none.
std::wstring LoadResourceString(UINT id);

// A menu of the chosen language (the caller owns it); null when there is none.
HMENU LoadLanguageMenu(UINT id);

// A dialog template of the chosen language; null when there is none.
const DLGTEMPLATE* LanguageDialogTemplate(UINT id);

}  // namespace qmo
