#include "framework/text.h"

#include <windows.h>

namespace qmo {

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring result(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), result.data(), length);
    return result;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty())
        return {};
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0,
                                             nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string result(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), result.data(), length, nullptr,
                          nullptr);
    return result;
}

void CopyTruncated(wchar_t* destination, std::size_t capacity, std::wstring_view text) {
    if (capacity == 0)
        return;
    std::size_t count = text.size() < capacity - 1 ? text.size() : capacity - 1;
    if (count > 0 && count < text.size() && IS_HIGH_SURROGATE(text[count - 1]))
        --count;
    text.copy(destination, count);
    destination[count] = L'\0';
}

}  // namespace qmo
