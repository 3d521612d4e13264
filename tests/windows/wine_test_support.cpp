#include "wine_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "framework/unique_handle.h"

namespace qmo::testing {

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        PumpPending();
        if (condition())
            return true;
        if (::GetTickCount64() >= deadline)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

void PumpPending() {
    MSG message{};
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave the quit request where the test can see it.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

ScratchKey::ScratchKey(const std::wstring& name)
    : m_path(L"Software\\QuenvaleTests\\" + name + L"-" + std::to_wstring(::GetCurrentProcessId())) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
}

ScratchKey::~ScratchKey() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
}

RawValue ReadRawValue(HKEY root, const std::wstring& keyPath, const std::wstring& name) {
    RawValue value;
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return value;
    unique_hkey key(opened);
    DWORD size = 0;
    if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
        return value;
    value.data.resize(size);
    if (::RegQueryValueExW(key.get(), name.c_str(), nullptr, &value.type, value.data.data(), &size) != ERROR_SUCCESS)
        return value;
    value.data.resize(size);
    value.exists = true;
    return value;
}

bool WriteRawValue(HKEY root, const std::wstring& keyPath, const std::wstring& name, DWORD type, const void* data,
                   DWORD size) {
    HKEY created = nullptr;
    if (::RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr) !=
        ERROR_SUCCESS)
        return false;
    unique_hkey key(created);
    return ::RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) ==
           ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::wstring& keyPath) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(opened);
    return true;
}

std::wstring AsText(const RawValue& value) {
    std::wstring text(reinterpret_cast<const wchar_t*>(value.data.data()), value.data.size() / sizeof(wchar_t));
    return text.substr(0, text.find(L'\0'));
}

bool MovePointer(int x, int y) {
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN), top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    x = std::clamp(x, left, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1);
    y = std::clamp(y, top, top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1);
    ::SetCursorPos(x, y);
    return PumpUntil(
        [&] {
            POINT now{};
            return ::GetCursorPos(&now) && now.x == x && now.y == y;
        },
        2000);
}

BITMAPINFOHEADER TopDown32(int width, int height) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = -height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    return header;
}

void SavePictureIfAsked(int width, const std::vector<std::uint32_t>& pixels, const char* name) {
    const char* folder = std::getenv("QMO_POPUP_PICTURES");
    if (!folder || !*folder || width <= 0)
        return;
    const BITMAPINFOHEADER header = TopDown32(width, static_cast<int>(pixels.size()) / width);
    const auto bytes = static_cast<DWORD>(pixels.size() * 4);
    const auto offset = static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(header));
    const BITMAPFILEHEADER file{0x4D42, offset + bytes, 0, 0, offset};
    std::ofstream out(std::string(folder) + "/" + name + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    out.write(reinterpret_cast<const char*>(pixels.data()), bytes);
}

}  // namespace qmo::testing
