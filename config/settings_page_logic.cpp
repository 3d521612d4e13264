#include "config/settings_page_logic.h"

#include <array>
#include <climits>
#include <cstdint>

#include "framework/format_decimal.h"
#include "res/pages_resource.h"

namespace qmo {
namespace {

// The drop-down lists' items, in the order of their stored numbers.
constexpr std::array<const char*, 3> kTrayChoices{"Animation", "Memory in use (%)", "Committed memory (%)"};
constexpr std::array<const char*, 3> kThemeChoices{"As in Windows", "Light", "Dark"};

// The item chosen as one of `count` stored numbers; nothing chosen keeps `kept`.
template <typename Choice>
Choice ChosenOr(int index, std::size_t count, Choice kept) {
    return index >= 0 && static_cast<std::size_t>(index) < count ? static_cast<Choice>(index) : kept;
}

}  // namespace

int ParseCriticalLimit(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+'))
        negative = text[at++] == '-';
    long long value = 0;
    const long long bound = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > bound)
            value = bound;
    }
    return static_cast<int>(negative ? -value : value);
}

void SettingsPageLogic::Initialize() {
    m_controls.SetSpinRange(IDC_SETTINGS_LIMIT_SPIN, kCriticalLimitSpinLowest, kCriticalLimitSpinHighest);
    m_controls.SetSpinPosition(IDC_SETTINGS_LIMIT_SPIN, 0);
    m_controls.SetText(IDC_SETTINGS_CRITICAL_LIMIT, "0");
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        m_controls.AddComboItem(IDC_SETTINGS_SHORTCUT_KEY, std::string(1, letter));
    for (const char* item : kTrayChoices)
        m_controls.AddComboItem(IDC_SETTINGS_TRAY_SHOWS, item);
    for (const char* item : kThemeChoices)
        m_controls.AddComboItem(IDC_SETTINGS_THEME, item);
}

void SettingsPageLogic::Load(const SettingsHolder& holder) {
    const OptimizerSettings& record = holder.Settings();
    m_controls.SetChecked(IDC_SETTINGS_RUN_AT_STARTUP, record.m_bRunAtStartup);
    m_controls.SetChecked(IDC_SETTINGS_SHOW_NOTIFICATION, record.m_bShowNotification);
    m_controls.SetChecked(IDC_SETTINGS_AUTO_OPTIMIZE, record.m_bAutoOptimize);
    m_controls.SetChecked(IDC_SETTINGS_AUTO_REFRESH, record.m_bAutoRefreshProcessList);
    m_controls.SetChecked(IDC_SETTINGS_ENABLE_SHORTCUT, record.m_bEnableShortcut);
    m_controls.SetText(IDC_SETTINGS_SHORTCUT_PROBLEM, holder.ShortcutProblem());
    m_controls.SetText(IDC_SETTINGS_SHORTCUT_KEY, record.m_strShortcutKey);
    m_controls.SetText(IDC_SETTINGS_CRITICAL_LIMIT, FormatSignedDecimal(record.m_nCriticalLimit));
    m_controls.SetSpinPosition(IDC_SETTINGS_LIMIT_SPIN,
                               static_cast<std::int16_t>(static_cast<std::uint32_t>(record.m_nCriticalLimit) & 0xFFFF));
    m_controls.SetComboSelection(IDC_SETTINGS_TRAY_SHOWS, static_cast<int>(record.m_trayIconShows));
    m_controls.SetComboSelection(IDC_SETTINGS_THEME, static_cast<int>(record.m_theme));
}

void SettingsPageLogic::OnSpinScrolled(int position) {
    m_controls.SetText(IDC_SETTINGS_CRITICAL_LIMIT, FormatSignedDecimal(position));
}

void SettingsPageLogic::ApplyOptimizerSettings(SettingsHolder& holder) {
    OptimizerSettings record = holder.Settings();
    // An empty letter would make the saved record count as absent at the next
    // start, wiping every setting; the letter the record has is kept instead.
    const std::string shortcut = m_controls.Text(IDC_SETTINGS_SHORTCUT_KEY);
    if (!shortcut.empty())
        record.m_strShortcutKey = shortcut;
    record.m_nCriticalLimit = ParseCriticalLimit(m_controls.Text(IDC_SETTINGS_CRITICAL_LIMIT));
    record.m_bAutoOptimize = m_controls.IsChecked(IDC_SETTINGS_AUTO_OPTIMIZE);
    record.m_bEnableShortcut = m_controls.IsChecked(IDC_SETTINGS_ENABLE_SHORTCUT);
    // Nothing here bears on starting at logon.
    holder.ApplySettings(record, LogonTaskUpdate::LeftAlone);
    // The shortcut is registered as the record is taken; the page says how that went.
    m_controls.SetText(IDC_SETTINGS_SHORTCUT_PROBLEM, holder.ShortcutProblem());
}

void SettingsPageLogic::ApplyGeneralSettings(SettingsHolder& holder) {
    OptimizerSettings record = holder.Settings();
    record.m_bRunAtStartup = m_controls.IsChecked(IDC_SETTINGS_RUN_AT_STARTUP);
    record.m_bShowNotification = m_controls.IsChecked(IDC_SETTINGS_SHOW_NOTIFICATION);
    record.m_bAutoRefreshProcessList = m_controls.IsChecked(IDC_SETTINGS_AUTO_REFRESH);
    record.m_trayIconShows =
        ChosenOr(m_controls.ComboSelection(IDC_SETTINGS_TRAY_SHOWS), kTrayChoices.size(), record.m_trayIconShows);
    record.m_theme = ChosenOr(m_controls.ComboSelection(IDC_SETTINGS_THEME), kThemeChoices.size(), record.m_theme);
    holder.ApplySettings(record, LogonTaskUpdate::InStep);
    m_controls.SetText(IDC_SETTINGS_SHORTCUT_PROBLEM, holder.ShortcutProblem());
}

}  // namespace qmo
