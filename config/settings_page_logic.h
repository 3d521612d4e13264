#pragma once
// The settings page's rules, apart from any window: what its controls show
// when the page comes up, and which record fields each of its two "Apply"
// buttons takes from them. The controls are reached by id through the seam
// below; the record is its holder's, saved through the holder.
#include <string>
#include <string_view>
#include <vector>

#include "config/settings_holder.h"

namespace qmo {

inline constexpr int kCriticalLimitSpinLowest = 10;
inline constexpr int kCriticalLimitSpinHighest = 100;

// The page's controls as its rules see them.
class SettingsPageControls {
public:
    virtual ~SettingsPageControls() = default;
    virtual void SetText(int control, const std::string& text) = 0;
    virtual std::string Text(int control) = 0;
    virtual void SetChecked(int control, bool checked) = 0;
    virtual bool IsChecked(int control) = 0;
    virtual void SetSpinRange(int control, int lowest, int highest) = 0;
    // As the up-down takes it: a 16-bit signed position, kept within its range by the control.
    virtual void SetSpinPosition(int control, int position) = 0;
    virtual void AddComboItem(int control, const std::string& item) = 0;
    // A drop-down list's chosen item by its place; -1 for none.
    virtual void SetComboSelection(int control, int index) = 0;
    virtual int ComboSelection(int control) = 0;
    // Shown disabled, with "Set by your organization" beside it when `note`
    // (a control beside another of the same setting goes without), or given back.
    virtual void SetLocked(int control, bool locked, bool note) = 0;
};

// The number in the critical-limit field: optional blanks and sign, then
// digits; anything after the digits is ignored. An empty or unreadable field
// gives 0, and a number beyond the range of an int stops at its end.
int ParseCriticalLimit(std::string_view text);

// A language the program ships, as the language list offers it.
struct OfferedLanguage {
    std::string tag;      // BCP 47, as the record keeps it
    std::string name;     // as its speakers write it, UTF-8
    bool pseudo = false;  // the widened test language: shipped, never listed
};

// The language list: "As in Windows" first, then the shipped languages but
// the pseudo one. A stored tag shows as its language (in any case); one the
// list lacks (a later version's, the pseudo language's) shows no item and is
// kept until another item is picked.
class LanguageList {
public:
    explicit LanguageList(const std::vector<OfferedLanguage>& shipped);

    std::vector<std::string> Items() const;
    // The item a stored tag shows as; -1 for none.
    int ItemFor(std::string_view storedTag) const;
    // The tag to store for the chosen item; the stored one while the choice
    // is still what that tag shows as.
    std::string TagFor(int item, const std::string& storedTag) const;

private:
    std::vector<OfferedLanguage> m_languages;
};

class SettingsPageLogic {
public:
    explicit SettingsPageLogic(SettingsPageControls& controls, const std::vector<OfferedLanguage>& languages = {})
        : m_controls(controls), m_languages(languages) {}

    // Up-down range and start position, "0" in the field, the shortcut's letters.
    void Initialize();
    // Every time the page is shown, and when the policy changed: unapplied
    // edits give way to the record, and what a policy sets is locked.
    void Load(const SettingsHolder& holder);
    // The up-down's scroll notification: its position goes into the field.
    void OnSpinScrolled(int position);
    // Upper "Apply": limit, shortcut letter and switch, automatic optimization,
    // then the whole record is saved. After either Apply the page tells
    // whether the shortcut could be had.
    void ApplyOptimizerSettings(SettingsHolder& holder);
    // Lower "Apply": startup, notification, automatic refresh, the tray's
    // display, the theme and the language, then the whole record is saved.
    void ApplyGeneralSettings(SettingsHolder& holder);

private:
    SettingsPageControls& m_controls;
    LanguageList m_languages;
};

}  // namespace qmo
