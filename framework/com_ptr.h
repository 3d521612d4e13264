#pragma once
// Owners for COM: an interface pointer released with its owner, a BSTR freed
// with its owner, and COM initialized on this thread for a scope.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <string_view>
#include <utility>

#include "framework/unique_handle.h"

namespace qmo {

template <typename T>
class com_ptr {
public:
    com_ptr() noexcept = default;
    com_ptr(const com_ptr&) = delete;
    com_ptr& operator=(const com_ptr&) = delete;
    com_ptr(com_ptr&& other) noexcept : m_value(std::exchange(other.m_value, nullptr)) {}
    com_ptr& operator=(com_ptr&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.m_value, nullptr));
        return *this;
    }
    ~com_ptr() { reset(); }

    T* get() const noexcept { return m_value; }
    T* operator->() const noexcept { return m_value; }
    explicit operator bool() const noexcept { return m_value != nullptr; }

    // For the out parameter of a call that hands over a new reference.
    T** put() noexcept {
        reset();
        return &m_value;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    void reset(T* value = nullptr) noexcept {
        if (T* old = std::exchange(m_value, value))
            old->Release();
    }

private:
    T* m_value = nullptr;
};

inline void free_bstr(BSTR text) noexcept { ::SysFreeString(text); }
using unique_bstr = unique_handle<null_is_invalid_traits<BSTR, free_bstr>>;

inline unique_bstr MakeBstr(std::wstring_view text) {
    return unique_bstr(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

// CoInitializeEx for a scope; a thread that already has COM keeps it as it was.
class com_apartment {
public:
    com_apartment() noexcept : m_result(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    com_apartment(const com_apartment&) = delete;
    com_apartment& operator=(const com_apartment&) = delete;
    ~com_apartment() {
        if (SUCCEEDED(m_result))
            ::CoUninitialize();
    }
    // COM is usable here, in this apartment or the one the thread already had.
    bool usable() const noexcept { return SUCCEEDED(m_result) || m_result == RPC_E_CHANGED_MODE; }

private:
    HRESULT m_result;
};

}  // namespace qmo
