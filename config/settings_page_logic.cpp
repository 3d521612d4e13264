#include "config/settings_page_logic.h"

#include <array>
#include <climits>
#include <cstdint>

#include "framework/format_decimal.h"
#include "framework/text_case.h"
#include "framework/texts.h"
#include "res/pages_resource.h"

namespace qmo {
namespace {

// The drop-down lists' items, in the order of their stored numbers.
constexpr std::array<TextId, 3> kTrayChoices{IDS_SETTINGS_TRAY_ANIMATION, IDS_SETTINGS_TRAY_MEMORY_IN_USE,
                                             IDS_SETTINGS_TRAY_COMMITTED};
constexpr std::array<TextId, 3> kThemeChoices{IDS_SETTINGS_AS_IN_WINDOWS, IDS_SETTINGS_THEME_LIGHT,
                                              IDS_SETTINGS_THEME_DARK};

// The item chosen as one of `count` stored numbers; nothing chosen keeps `kept`.
// The page's controls each policy locks; the up-down goes with its field's note.
struct LockedControl {
    PolicySetting setting;
    int control;
    bool note = true;
};
constexpr std::array<LockedControl, 10> kLockedControls{{
    {PolicySetting::CriticalLimit, IDC_SETTINGS_CRITICAL_LIMIT},
    {PolicySetting::CriticalLimit, IDC_SETTINGS_LIMIT_SPIN, false},
    {PolicySetting::AutoOptimize, IDC_SETTINGS_AUTO_OPTIMIZE},
    {PolicySetting::EnableShortcut, IDC_SETTINGS_ENABLE_SHORTCUT},
    {PolicySetting::ShortcutKey, IDC_SETTINGS_SHORTCUT_KEY},
    {PolicySetting::RunAtStartup, IDC_SETTINGS_RUN_AT_STARTUP},
    {PolicySetting::ShowNotification, IDC_SETTINGS_SHOW_NOTIFICATION},
    {PolicySetting::TrayIconShows, IDC_SETTINGS_TRAY_SHOWS},
    {PolicySetting::Theme, IDC_SETTINGS_THEME},
    {PolicySetting::Language, IDC_SETTINGS_LANGUAGE},
}};

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

LanguageList::LanguageList(const std::vector<OfferedLanguage>& shipped) {
    for (const OfferedLanguage& language : shipped)
        if (!language.pseudo)
            m_languages.push_back(language);
}

std::vector<std::string> LanguageList::Items() const {
    std::vector<std::string> items{Text(IDS_SETTINGS_AS_IN_WINDOWS)};
    for (const OfferedLanguage& language : m_languages)
        items.push_back(language.name);
    return items;
}

int LanguageList::ItemFor(std::string_view storedTag) const {
    if (storedTag.empty())
        return 0;
    for (std::size_t i = 0; i < m_languages.size(); ++i)
        if (EqualIgnoringCase(m_languages[i].tag, storedTag))
            return static_cast<int>(i + 1);
    return -1;
}

std::string LanguageList::TagFor(int item, const std::string& storedTag) const {
    if (item == ItemFor(storedTag) || item < 0 || static_cast<std::size_t>(item) > m_languages.size())
        return storedTag;
    return item == 0 ? std::string() : m_languages[static_cast<std::size_t>(item) - 1].tag;
}

void SettingsPageLogic::Initialize() {
    m_controls.SetSpinRange(IDC_SETTINGS_LIMIT_SPIN, kCriticalLimitSpinLowest, kCriticalLimitSpinHighest);
    m_controls.SetSpinPosition(IDC_SETTINGS_LIMIT_SPIN, 0);
    m_controls.SetText(IDC_SETTINGS_CRITICAL_LIMIT, "0");
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        m_controls.AddComboItem(IDC_SETTINGS_SHORTCUT_KEY, std::string(1, letter));
    for (const TextId item : kTrayChoices)
        m_controls.AddComboItem(IDC_SETTINGS_TRAY_SHOWS, Text(item));
    for (const TextId item : kThemeChoices)
        m_controls.AddComboItem(IDC_SETTINGS_THEME, Text(item));
    for (const std::string& item : m_languages.Items())
        m_controls.AddComboItem(IDC_SETTINGS_LANGUAGE, item);
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
    m_controls.SetComboSelection(IDC_SETTINGS_LANGUAGE, m_languages.ItemFor(record.m_language));
    const SettingsPolicy& policy = holder.Policy();
    for (const LockedControl& locked : kLockedControls)
        m_controls.SetLocked(locked.control, policy.Locks(locked.setting), locked.note);
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
    record.m_language = m_languages.TagFor(m_controls.ComboSelection(IDC_SETTINGS_LANGUAGE), record.m_language);
    holder.ApplySettings(record, LogonTaskUpdate::InStep);
    m_controls.SetText(IDC_SETTINGS_SHORTCUT_PROBLEM, holder.ShortcutProblem());
}

}  // namespace qmo
