#pragma once
// The opt-in Ctrl+Alt+letter that optimizes from anywhere, even when the
// machine is too starved to open a window. Off by default: on many keyboard
// layouts Ctrl+Alt+letter is AltGr+letter, and taking it breaks typing. The
// combination is registered with the system through the seam below, by the
// window that is to receive it.
#include <optional>
#include <string>
#include <string_view>

#include "config/optimizer_settings.h"

namespace qmo {

class HotkeyRegistrar {
public:
    virtual ~HotkeyRegistrar() = default;
    // Ctrl+Alt+`letter` (upper case, A to Z) system-wide, without auto-repeat;
    // false when the system refuses it, as when another program holds it.
    virtual bool RegisterShortcut(char letter) = 0;
    virtual void UnregisterShortcut() = 0;
};

// The key a stored shortcut text stands for: a single letter of either case,
// as upper case; nothing for any other text.
std::optional<char> ShortcutLetter(std::string_view text);

class EmergencyShortcut {
public:
    explicit EmergencyShortcut(HotkeyRegistrar& registrar) noexcept : m_registrar(registrar) {}

    // At start-up and after every save: the registration follows the record.
    // A combination already held is kept as it is; any other is released
    // before the new one is asked for, and one refused is asked for again.
    void Follow(const OptimizerSettings& settings);
    // At exit.
    void Release();

    // In plain words, why the switched-on shortcut does not work; empty when it does or is off.
    const std::string& Problem() const noexcept { return m_problem; }
    std::optional<char> Registered() const noexcept { return m_registered; }

private:
    HotkeyRegistrar& m_registrar;
    std::optional<char> m_registered;
    std::string m_problem;
};

}  // namespace qmo
