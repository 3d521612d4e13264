#pragma once
// The last stop of an exception a message handler let out. Our window
// procedures are the edge between our code and the system's, which cannot
// unwind C++ frames: the procedure catches whatever escapes, says so on the
// debugger's output and gives the message its default answer. One fault then
// costs one message, not a program that runs for months.
#include <windows.h>

#include <exception>

namespace qmo {

// "exception escaped the handler of message 0x0113 at a window of class X: what()".
struct EscapedExceptionText {
    wchar_t text[320] = {};
};

// To be called inside a catch block: it reads the exception being handled.
// Allocates nothing, so that it serves for std::bad_alloc too.
inline EscapedExceptionText DescribeEscapedException(HWND window, UINT message) noexcept {
    const char* what = "an exception of no standard type";
    try {
        throw;
    } catch (const std::exception& exception) {
        what = exception.what();
    } catch (...) {
    }

    EscapedExceptionText out;
    constexpr int kCapacity = static_cast<int>(sizeof(out.text) / sizeof(out.text[0]));
    int length = 0;
    auto append = [&](const wchar_t* text) {
        for (; *text && length < kCapacity - 1; ++text)
            out.text[length++] = *text;
    };
    append(L"Quenvale: exception escaped the handler of message 0x");
    for (int shift = 12; shift >= 0; shift -= 4)
        if (length < kCapacity - 1)
            out.text[length++] = L"0123456789ABCDEF"[(message >> shift) & 0xF];
    append(L" at a window of class ");
    wchar_t className[64] = {};
    if (!window || !::GetClassNameW(window, className, 64))
        append(L"(none)");
    append(className);
    append(L": ");
    // what() is in the system's code page; a conversion of n bytes never
    // needs more than n characters, so the input is cut to the room left.
    int bytes = 0;
    while (what[bytes] && bytes < kCapacity - 3 - length)
        ++bytes;
    if (bytes > 0)
        length += ::MultiByteToWideChar(CP_ACP, 0, what, bytes, out.text + length, kCapacity - 2 - length);
    length = length < kCapacity - 2 ? length : kCapacity - 2;
    out.text[length++] = L'\n';
    out.text[length] = L'\0';
    return out;
}

// What `handle()` answers, or, when an exception escapes it, what `fallback()`
// answers once the exception has been reported.
template <typename Handle, typename Fallback>
auto AnswerOrDefault(HWND window, UINT message, Handle&& handle, Fallback&& fallback) noexcept
    -> decltype(fallback()) {
    try {
        return handle();
    } catch (...) {
        ::OutputDebugStringW(DescribeEscapedException(window, message).text);
    }
    return fallback();
}

}  // namespace qmo
