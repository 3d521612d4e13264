#pragma once
// The real main frame on a profile and Run key of the test's own, as the
// application's main window.
#include <gtest/gtest.h>

#include <memory>

#include "config/registry_run_entry.h"
#include "framework/application.h"
#include "config/registry_profile.h"
#include "shell/main_frame.h"
#include "wine_test_support.h"


namespace qmo::testing {

class FrameTestApplication : public Application {
public:
    using Application::SetResourceLanguage;

protected:
    bool InitInstance() override { return true; }
};

template <class Frame = CMainFrame>
class FrameOnScratchKeys {
public:
    explicit FrameOnScratchKeys(const wchar_t* name) : scratch{name} {}
    ~FrameOnScratchKeys() { Destroy(); }

    // The Run key is opened, never created, so it is made to exist first.
    ::testing::AssertionResult Create() {
        if (!WriteRawValue(scratch.Root(), scratch.Sub(L"Run"), L"x", REG_SZ, L"", 2))
            return ::testing::AssertionFailure() << "cannot write the scratch Run key";
        frame = std::make_unique<Frame>(profile, run);
        if (!frame->Create())
            return ::testing::AssertionFailure() << "the frame was not created";
        application.SetMainWindow(frame.get());
        return ::testing::AssertionSuccess();
    }

    // No longer the main window first, so its going ends no message loop; a
    // quit request left by it would end the next test's waits early.
    void Destroy() {
        application.SetMainWindow(nullptr);
        frame.reset();
        MSG quit{};
        while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    // From hidden in the tray to shown, as the tray's command does.
    void Show() {
        ::ShowWindow(frame->GetSafeHwnd(), SW_SHOWMAXIMIZED);
        ::SendMessageW(frame->GetSafeHwnd(), WM_CLOSE, 0, 0);
        if (!::IsWindowVisible(frame->GetSafeHwnd()))
            ::SendMessageW(frame->GetSafeHwnd(), WM_CLOSE, 0, 0);
    }

    // The frame's record with `change` made, saved on the scratch keys as the
    // settings page would (the logon task left alone).
    template <class Change>
    void ChangeSettings(Change change) {
        OptimizerSettings record = frame->Settings();
        change(record);
        frame->Logic().ApplySettings(record, LogonTaskUpdate::LeftAlone);
    }

    FrameTestApplication application;
    ScratchKey scratch;
    RegistryProfile profile{scratch.Root(), scratch.Sub(L"Profile")};
    RegistryRunEntry run{scratch.Root(), scratch.Sub(L"Run")};
    std::unique_ptr<Frame> frame;
};

// Settings that say every memory area is unavailable, so each of the settings
// dialogs' lines is at its longest.
class NothingAvailable : public SettingsHolder {
public:
    const OptimizerSettings& Settings() const override { return settings; }
    void ApplySettings(const OptimizerSettings& record, LogonTaskUpdate) override { settings = record; }
    std::string ShortcutProblem() const override { return {}; }
    MemoryAreaAvailability AreaAvailability() const override { return {false, false, false, false}; }
    OptimizerSettings settings;
};

// Ctrl+Alt+`letter` taken as another program takes it, for as long as this lives.
class HotkeyHeldElsewhere {
public:
    explicit HotkeyHeldElsewhere(char letter)
        : m_held(::RegisterHotKey(nullptr, kId, MOD_CONTROL | MOD_ALT, static_cast<UINT>(letter)) != FALSE) {}
    ~HotkeyHeldElsewhere() {
        if (m_held)
            ::UnregisterHotKey(nullptr, kId);
    }
    HotkeyHeldElsewhere(const HotkeyHeldElsewhere&) = delete;
    HotkeyHeldElsewhere& operator=(const HotkeyHeldElsewhere&) = delete;
    bool Held() const noexcept { return m_held; }

private:
    static constexpr int kId = 0xB00;
    bool m_held;
};

// Whether another program could take Ctrl+Alt+`letter` now; it is let go at once.
inline bool CombinationFree(char letter) {
    return HotkeyHeldElsewhere(letter).Held();
}

}  // namespace qmo::testing
