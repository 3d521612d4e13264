#pragma once
// Move-only owners for Win32 handles: one template, one traits type per kind.
// A raw handle anywhere else in the code is borrowed.
#include <windows.h>

#include <utility>

namespace qmo {

template <typename Traits>
class unique_handle {
public:
    using pointer = typename Traits::pointer;

    unique_handle() noexcept = default;
    explicit unique_handle(pointer value) noexcept : m_value(value) {}
    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    unique_handle(unique_handle&& other) noexcept : m_value(other.release()) {}
    unique_handle& operator=(unique_handle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ~unique_handle() { reset(); }

    pointer get() const noexcept { return m_value; }
    explicit operator bool() const noexcept { return Traits::valid(m_value); }

    pointer release() noexcept { return std::exchange(m_value, Traits::invalid()); }
    void reset(pointer value = Traits::invalid()) noexcept {
        pointer old = std::exchange(m_value, value);
        if (Traits::valid(old))
            Traits::close(old);
    }

private:
    pointer m_value = Traits::invalid();
};

template <typename T, auto Close>
struct null_is_invalid_traits {
    using pointer = T;
    static constexpr pointer invalid() noexcept { return nullptr; }
    static bool valid(pointer value) noexcept { return value != nullptr; }
    static void close(pointer value) noexcept { Close(value); }
};

struct kernel_handle_traits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return nullptr; }
    static bool valid(pointer value) noexcept { return value != nullptr && value != INVALID_HANDLE_VALUE; }
    static void close(pointer value) noexcept { ::CloseHandle(value); }
};

struct find_handle_traits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool valid(pointer value) noexcept { return value != INVALID_HANDLE_VALUE; }
    static void close(pointer value) noexcept { ::FindClose(value); }
};

inline void close_registry_key(HKEY key) noexcept { ::RegCloseKey(key); }
inline void free_local(wchar_t* text) noexcept { ::LocalFree(text); }
inline void delete_gdi_object(HGDIOBJ object) noexcept { ::DeleteObject(object); }
inline void destroy_icon(HICON icon) noexcept { ::DestroyIcon(icon); }
inline void destroy_menu(HMENU menu) noexcept { ::DestroyMenu(menu); }
inline void delete_dc(HDC dc) noexcept { ::DeleteDC(dc); }
inline void destroy_window(HWND window) noexcept { ::DestroyWindow(window); }
inline void unhook_windows_hook(HHOOK hook) noexcept { ::UnhookWindowsHookEx(hook); }

using unique_kernel_handle = unique_handle<kernel_handle_traits>;
using unique_hkey = unique_handle<null_is_invalid_traits<HKEY, close_registry_key>>;
using unique_icon = unique_handle<null_is_invalid_traits<HICON, destroy_icon>>;
using unique_menu = unique_handle<null_is_invalid_traits<HMENU, destroy_menu>>;
using unique_dc = unique_handle<null_is_invalid_traits<HDC, delete_dc>>;
using unique_hwnd = unique_handle<null_is_invalid_traits<HWND, destroy_window>>;
using unique_find_handle = unique_handle<find_handle_traits>;
// Text the system allocated with LocalAlloc for the caller.
using unique_local_text = unique_handle<null_is_invalid_traits<wchar_t*, free_local>>;
using unique_hook = unique_handle<null_is_invalid_traits<HHOOK, unhook_windows_hook>>;

template <typename T>
using unique_gdi = unique_handle<null_is_invalid_traits<T, delete_gdi_object>>;
using unique_brush = unique_gdi<HBRUSH>;
using unique_pen = unique_gdi<HPEN>;
using unique_font = unique_gdi<HFONT>;
using unique_bitmap = unique_gdi<HBITMAP>;

// Puts a GDI object into a device context for a scope and puts the old one back.
class scoped_select {
public:
    scoped_select(HDC dc, HGDIOBJ object) noexcept : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    scoped_select(const scoped_select&) = delete;
    scoped_select& operator=(const scoped_select&) = delete;
    ~scoped_select() {
        if (m_old)
            ::SelectObject(m_dc, m_old);
    }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// A window's device context from GetDC, released with the scope.
class window_dc {
public:
    explicit window_dc(HWND window) noexcept : m_window(window), m_dc(::GetDC(window)) {}
    window_dc(const window_dc&) = delete;
    window_dc& operator=(const window_dc&) = delete;
    ~window_dc() {
        if (m_dc)
            ::ReleaseDC(m_window, m_dc);
    }
    HDC get() const noexcept { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// BeginPaint/EndPaint for one WM_PAINT.
class paint_dc {
public:
    explicit paint_dc(HWND window) noexcept : m_window(window) { m_dc = ::BeginPaint(window, &m_paint); }
    paint_dc(const paint_dc&) = delete;
    paint_dc& operator=(const paint_dc&) = delete;
    ~paint_dc() { ::EndPaint(m_window, &m_paint); }
    HDC get() const noexcept { return m_dc; }
    const PAINTSTRUCT& paint() const noexcept { return m_paint; }

private:
    HWND m_window;
    HDC m_dc = nullptr;
    PAINTSTRUCT m_paint{};
};

}  // namespace qmo
