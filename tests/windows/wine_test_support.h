#pragma once
// Helpers of the Windows ring: waiting with a deadline while pumping messages,
// and registry keys of the test's own that vanish afterwards.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace qmo::testing {

// Pumps this thread's messages until `condition` holds; false at the deadline.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
// Dispatches whatever is queued now.
void PumpPending();
// Moves the pointer and waits until the system reports it there: wine moves
// it through the X server, so it arrives a little later.
bool MovePointer(int x, int y);

// HKEY_CURRENT_USER\Software\QuenvaleTests\<name>-<process id>, deleted with its tree at the end.
class ScratchKey {
public:
    explicit ScratchKey(const std::wstring& name);
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    ~ScratchKey();

    HKEY Root() const noexcept { return HKEY_CURRENT_USER; }
    const std::wstring& Path() const noexcept { return m_path; }
    std::wstring Sub(const std::wstring& child) const { return m_path + L"\\" + child; }

private:
    std::wstring m_path;
};

struct RawValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

RawValue ReadRawValue(HKEY root, const std::wstring& keyPath, const std::wstring& name);
bool WriteRawValue(HKEY root, const std::wstring& keyPath, const std::wstring& name, DWORD type, const void* data,
                   DWORD size);

// A number of the user's registry set for a test and put back as it was (or
// taken away again) when this goes.
class UserDwordSetting {
public:
    UserDwordSetting(std::wstring keyPath, std::wstring name)
        : m_keyPath(std::move(keyPath)), m_name(std::move(name)),
          m_saved(ReadRawValue(HKEY_CURRENT_USER, m_keyPath, m_name)) {}
    UserDwordSetting(const UserDwordSetting&) = delete;
    UserDwordSetting& operator=(const UserDwordSetting&) = delete;
    ~UserDwordSetting() {
        if (m_saved.exists)
            WriteRawValue(HKEY_CURRENT_USER, m_keyPath, m_name, m_saved.type, m_saved.data.data(),
                          static_cast<DWORD>(m_saved.data.size()));
        else
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, m_keyPath.c_str(), m_name.c_str());
    }
    bool Set(DWORD value) {
        return WriteRawValue(HKEY_CURRENT_USER, m_keyPath, m_name, REG_DWORD, &value, sizeof(value));
    }

private:
    std::wstring m_keyPath;
    std::wstring m_name;
    RawValue m_saved;
};
bool KeyExists(HKEY root, const std::wstring& keyPath);
std::wstring AsText(const RawValue& value);  // REG_SZ data up to its first null

// A 32-bit picture's header, top row first.
BITMAPINFOHEADER TopDown32(int width, int height);
// With QMO_POPUP_PICTURES=<folder> set, `pixels` (0x00RRGGBB, `width` a row,
// top row first) are saved there as <name>.bmp, kept as an artefact.
void SavePictureIfAsked(int width, const std::vector<std::uint32_t>& pixels, const char* name);

}  // namespace qmo::testing
