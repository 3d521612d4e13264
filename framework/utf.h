#pragma once
// UTF-8, UTF-16 and code points, for text that crosses the system's wide
// strings and the program's UTF-8. Portable.
#include <string>
#include <string_view>

namespace qmo {

// Conversions that never fail: what cannot be converted (an unpaired
// surrogate, a malformed UTF-8 sequence) becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);
std::u16string Utf8ToUtf16(std::string_view utf8);
std::u32string Utf8ToCodePoints(std::string_view utf8);

}  // namespace qmo
