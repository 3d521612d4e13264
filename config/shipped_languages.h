#pragma once
// The languages the program's resources hold, and the one to speak.
#include <windows.h>

#include <span>
#include <string>

namespace qmo {

struct ShippedLanguage {
    const wchar_t* tag;   // BCP 47, as the settings keep it
    LANGID resources;     // the language of its resource blocks
    const wchar_t* name;  // as its speakers write it
    bool pseudo;          // the widened test language, never offered
};

std::span<const ShippedLanguage> ShippedLanguages();

// The shipped language for the stored choice (empty: Windows' display language).
const ShippedLanguage& ChosenLanguage(const std::string& storedTag);

}  // namespace qmo
