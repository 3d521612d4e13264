#pragma once
// UTF-8 (the portable core's strings) <-> UTF-16 (the W functions), at the Win32 edge.
#include <string>
#include <string_view>

namespace qmo {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// Copies into a fixed-size field of a system structure, truncated to fit and
// always terminated; a surrogate pair is never split.
void CopyTruncated(wchar_t* destination, std::size_t capacity, std::wstring_view text);

}  // namespace qmo
