#include "config/emergency_shortcut.h"

#include "framework/texts.h"
#include "res/pages_resource.h"

namespace qmo {

std::optional<char> ShortcutLetter(std::string_view text) {
    if (text.size() != 1)
        return std::nullopt;
    const char letter = text[0];
    if (letter >= 'a' && letter <= 'z')
        return static_cast<char>(letter - 'a' + 'A');
    if (letter >= 'A' && letter <= 'Z')
        return letter;
    return std::nullopt;
}

void EmergencyShortcut::Follow(const OptimizerSettings& settings) {
    const std::optional<char> wanted =
        settings.m_bEnableShortcut ? ShortcutLetter(settings.m_strShortcutKey) : std::nullopt;
    if (m_registered && m_registered == wanted)
        return;
    Release();
    m_problem.clear();
    if (!settings.m_bEnableShortcut)
        return;
    if (!wanted) {
        m_problem = Text(IDS_SHORTCUT_NEEDS_LETTER);
        return;
    }
    if (m_registrar.RegisterShortcut(*wanted))
        m_registered = wanted;
    else
        m_problem = FormatText(IDS_SHORTCUT_HELD_ELSEWHERE, {std::string(1, *wanted)});
}

void EmergencyShortcut::Release() {
    if (!m_registered)
        return;
    m_registrar.UnregisterShortcut();
    m_registered.reset();
}

}  // namespace qmo
