// What a screen reader reads of the self-drawn controls, asked the way it
// asks: AccessibleObjectFromWindow on the control's client area.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "about/about_dlg.h"
#include "framework/com_ptr.h"
#include "framework/text.h"
#include "perf/pdh_query.h"
#include "res/about_resource.h"
#include "res/pages_resource.h"
#include "shell/popup_notifications.h"
#include "toolkit/accessible_control.h"
#include "toolkit/caption_bar.h"
#include "toolkit/popup/popup_window.h"
#include "toolkit/ui_palette.h"
#include "frame_test_support.h"
#include "toolkit_test_support.h"
#include "wine_test_support.h"

namespace qmo {
namespace {

VARIANT Child(long child) {
    VARIANT id;
    ::VariantInit(&id);
    id.vt = VT_I4;
    id.lVal = child;
    return id;
}

com_ptr<IAccessible> AccessibleOf(HWND window) {
    com_ptr<IAccessible> object;
    const HRESULT result = ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                                       __uuidof(IAccessible), object.put_void());
    EXPECT_EQ(result, S_OK);
    return object;
}

using TextGetter = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);
std::wstring Read(IAccessible& object, TextGetter getter, long child) {
    BSTR text = nullptr;
    (object.*getter)(Child(child), &text);
    const unique_bstr owned(text);
    return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
}

long Number(IAccessible& object, HRESULT (STDMETHODCALLTYPE IAccessible::*getter)(VARIANT, VARIANT*), long child) {
    VARIANT value;
    ::VariantInit(&value);
    return SUCCEEDED((object.*getter)(Child(child), &value)) && value.vt == VT_I4 ? value.lVal : -1;
}

// What one element must read as: `state` bits that must be set, none of `notState`.
struct Reading {
    Reading(long role, std::wstring name, long state = 0, std::wstring action = {}, long notState = 0)
        : role(role), name(std::move(name)), state(state), action(std::move(action)), notState(notState) {}
    long role;
    std::wstring name;
    long state;
    std::wstring action;
    long notState;
};

struct Expected {
    Expected(HWND window, Reading self, std::vector<Reading> children = {}, std::optional<std::wstring> value = L"")
        : window(window), self(std::move(self)), children(std::move(children)), value(std::move(value)) {}
    HWND window;
    Reading self;
    std::vector<Reading> children;
    std::optional<std::wstring> value;
};

class AccessibleControlsTest;
struct ControlCase {
    const char* label;
    std::function<Expected(AccessibleControlsTest&)> expect;
};

class RecordingOpener : public ShellOpener {
public:
    void Open(const std::wstring& target, int) override { opened.push_back(target); }
    std::vector<std::wstring> opened;
};

class AccessibleControlsTest : public ::testing::TestWithParam<ControlCase>,
                               protected testing::FrameOnScratchKeys<> {
public:
    AccessibleControlsTest() : FrameOnScratchKeys(L"Accessible") {}

    void SetUp() override {
        ASSERT_TRUE(Create());
        Show();
        about = std::make_unique<CAboutDlg>(opener);
        ASSERT_TRUE(about->CreateModeless(nullptr));
        popup = PopupWindow::Make(BuildCriticalLimitPopup(80));
        ASSERT_TRUE(popup->Show(nullptr, 0));
    }
    void TearDown() override {
        popup.reset();
        about.reset();
    }

    CTesselDesktopSuitFrameView& View() { return frame->View(); }
    std::wstring PageItemText(Dialog& page, UINT id) { return page.ItemText(id); }

    // The panel's groups and their link and text items, as the model holds them.
    std::vector<Reading> PanelReadings(TaskPanel& panel, long captionRole) {
        std::vector<Reading> readings;
        for (std::size_t g = 0; g < panel.GroupCount(); ++g) {
            const TaskGroup& group = panel.Group(g);
            const long selected = panel.IsGroupSpecial(g) ? STATE_SYSTEM_SELECTED : 0;
            readings.push_back({captionRole, Widen(group.Caption()), selected, L"",
                                selected ? 0 : STATE_SYSTEM_SELECTED});
            for (std::size_t i = 0; i < group.ItemCount(); ++i) {
                const TaskItem& item = group.Item(i);
                if (item.Kind() == TaskItemKind::Link)
                    readings.push_back({ROLE_SYSTEM_LINK, Widen(item.Caption()),
                                        STATE_SYSTEM_LINKED | STATE_SYSTEM_FOCUSABLE | selected, L"Jump"});
                else if (item.Kind() == TaskItemKind::Text)
                    readings.push_back({ROLE_SYSTEM_STATICTEXT, Widen(item.Caption())});
            }
        }
        return readings;
    }

    RecordingOpener opener;
    std::unique_ptr<CAboutDlg> about;
    PopupPtr popup;
};

void ExpectReads(IAccessible& object, long child, const Reading& reading) {
    SCOPED_TRACE(::testing::Message() << "child " << child);
    EXPECT_EQ(Number(object, &IAccessible::get_accRole, child), reading.role);
    EXPECT_EQ(Read(object, &IAccessible::get_accName, child), reading.name);
    const long state = Number(object, &IAccessible::get_accState, child);
    EXPECT_EQ(state & reading.state, reading.state);
    EXPECT_EQ(state & reading.notState, 0);
    EXPECT_EQ(Read(object, &IAccessible::get_accDefaultAction, child), reading.action);
}

TEST_P(AccessibleControlsTest, ReadsAsWhatItShows) {
    const Expected expected = GetParam().expect(*this);
    ASSERT_TRUE(::IsWindow(expected.window));
    const com_ptr<IAccessible> object = AccessibleOf(expected.window);
    ASSERT_TRUE(object);
    ExpectReads(*object.get(), CHILDID_SELF, expected.self);
    if (expected.value) {
        EXPECT_EQ(Read(*object.get(), &IAccessible::get_accValue, CHILDID_SELF), *expected.value);
    }
    LONG count = -1;
    EXPECT_EQ(object->get_accChildCount(&count), S_OK);
    ASSERT_EQ(count, static_cast<LONG>(expected.children.size()));
    for (long child = 1; child <= count; ++child)
        ExpectReads(*object.get(), child, expected.children[static_cast<std::size_t>(child - 1)]);
    BSTR beyond = nullptr;
    EXPECT_EQ(object->get_accName(Child(count + 1), &beyond), E_INVALIDARG);
}

const ControlCase kControls[] = {
    {"NavigationPanel",
     [](AccessibleControlsTest& test) {
         TaskPanel& panel = test.View().NavPanel();
         return Expected{panel.GetSafeHwnd(), {ROLE_SYSTEM_PANE, L"", STATE_SYSTEM_FOCUSABLE},
                         test.PanelReadings(panel, ROLE_SYSTEM_GROUPING)};
     }},
    {"TitlePanel",
     [](AccessibleControlsTest& test) {
         TaskPanel& panel = test.View().TitlePanel();
         return Expected{panel.GetSafeHwnd(), {ROLE_SYSTEM_PANE, L""}, test.PanelReadings(panel, ROLE_SYSTEM_STATICTEXT)};
     }},
    {"PageTabs",
     [](AccessibleControlsTest& test) {
         PageTabControl& tabs = test.View().PageTabs();
         Expected expected{tabs.GetSafeHwnd(), {ROLE_SYSTEM_PAGETABLIST, L"", STATE_SYSTEM_FOCUSABLE}};
         for (int tab = 0; tab < tabs.TabCount(); ++tab) {
             const long selected = tab == tabs.SelectedTab() ? STATE_SYSTEM_SELECTED : 0;
             // Each tab reads as its page's navigation group.
             expected.children.push_back({ROLE_SYSTEM_PAGETAB,
                                          Widen(test.View().NavPanel().Group(static_cast<std::size_t>(tab)).Caption()),
                                          STATE_SYSTEM_SELECTABLE | selected, L"Switch",
                                          selected ? 0 : STATE_SYSTEM_SELECTED});
         }
         return expected;
     }},
    {"Footer",
     [](AccessibleControlsTest& test) {
         CaptionBar& footer = test.View().Footer();
         return Expected{footer.GetSafeHwnd(), {ROLE_SYSTEM_STATICTEXT, footer.Text(), STATE_SYSTEM_READONLY}};
     }},
    {"OptimizeButton",
     [](AccessibleControlsTest& test) {
         const HWND button = ::GetDlgItem(test.View().NavPanel().GetSafeHwnd(), IDC_OPTIMIZE_MEMORY);
         return Expected{button, {ROLE_SYSTEM_PUSHBUTTON, WindowText(button), STATE_SYSTEM_FOCUSABLE, L"Press",
                                  STATE_SYSTEM_UNAVAILABLE}};
     }},
    {"MemoryGauge",
     [](AccessibleControlsTest& test) {
         CPerformancePage& page = test.View().PerformancePage();
         page.MemoryGauge().Model().SetValue(42);
         return Expected{page.MemoryGauge().GetSafeHwnd(),
                         {ROLE_SYSTEM_DIAL, test.PageItemText(page, IDC_PERF_MEMORY_LABEL), STATE_SYSTEM_READONLY},
                         {},
                         L"42%"};
     }},
    {"ProcessorGraphWithoutAFigure",
     [](AccessibleControlsTest& test) {
         CPerformancePage& page = test.View().PerformancePage();
         HistoryGraphModel& graph = page.ProcessorGraph().Model();
         graph.m_nCount = 1;
         graph.m_aY[0] = PDH_VALUE_UNAVAILABLE;
         return Expected{page.ProcessorGraph().GetSafeHwnd(),
                         {ROLE_SYSTEM_CHART, test.PageItemText(page, IDC_PERF_CPU_LABEL), STATE_SYSTEM_READONLY},
                         {},
                         L"n/a"};
     }},
    {"AboutLink",
     [](AccessibleControlsTest& test) {
         const HWND link = test.about->Item(IDC_LINK_SUPPORT);
         Expected expected{link, {ROLE_SYSTEM_LINK, WindowText(link), STATE_SYSTEM_LINKED, L"Jump"}};
         expected.value = std::nullopt;  // its target, if it has one of its own
         return expected;
     }},
    {"Popup",
     [](AccessibleControlsTest& test) {
         EXPECT_TRUE(testing::PumpUntil([&] { return test.popup->State() == PopupState::Shown; }));
         std::wstring text;
         for (const PopupElement& element : test.popup->Elements().All())
             if (!element.text.empty())
                 text += (text.empty() ? L"" : L" ") + Widen(element.text);
         return Expected{test.popup->GetSafeHwnd(), {ROLE_SYSTEM_ALERT, text, STATE_SYSTEM_READONLY}};
     }},
};

INSTANTIATE_TEST_SUITE_P(SelfDrawn, AccessibleControlsTest, ::testing::ValuesIn(kControls),
                         [](const ::testing::TestParamInfo<ControlCase>& info) { return info.param.label; });

TEST_F(AccessibleControlsTest, DefaultActionsDoWhatAClickDoes) {
    const com_ptr<IAccessible> panel = AccessibleOf(View().NavPanel().GetSafeHwnd());
    ASSERT_TRUE(panel);
    // Child 4 is the process group's link (caption, link, caption, link...).
    EXPECT_EQ(panel->accDoDefaultAction(Child(4)), S_OK);
    EXPECT_EQ(View().PageTabs().SelectedTab(), 1);
    EXPECT_TRUE(View().NavPanel().IsGroupSpecial(1));
    EXPECT_EQ(panel->accDoDefaultAction(Child(3)), DISP_E_MEMBERNOTFOUND);  // a caption takes no clicks

    const com_ptr<IAccessible> tabs = AccessibleOf(View().PageTabs().GetSafeHwnd());
    ASSERT_TRUE(tabs);
    EXPECT_EQ(tabs->accDoDefaultAction(Child(3)), S_OK);
    EXPECT_EQ(View().PageTabs().SelectedTab(), 2);
    EXPECT_EQ(Number(*tabs.get(), &IAccessible::get_accState, 3) & STATE_SYSTEM_SELECTED, STATE_SYSTEM_SELECTED);

    const com_ptr<IAccessible> link = AccessibleOf(about->Item(IDC_LINK_SUPPORT));
    ASSERT_TRUE(link);
    EXPECT_EQ(link->accDoDefaultAction(Child(CHILDID_SELF)), S_OK);
    EXPECT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(Number(*link.get(), &IAccessible::get_accState, CHILDID_SELF) & STATE_SYSTEM_TRAVERSED,
              STATE_SYSTEM_TRAVERSED);
}

TEST_F(AccessibleControlsTest, AnObjectKeptPastItsControlAnswersNotConnectedAndIsFreed) {
    const long before = LiveAccessibleObjects();
    testing::ControlHost host;
    ASSERT_TRUE(host.Create(300, 100));
    auto footer = std::make_unique<CaptionBar>();
    ASSERT_TRUE(footer->Create(L"text", WS_CHILD | WS_VISIBLE, RECT{0, 0, 200, 20}, host.GetSafeHwnd(), 1));
    com_ptr<IAccessible> kept = AccessibleOf(footer->GetSafeHwnd());
    ASSERT_TRUE(kept);
    // Asked again, the control hands out the same object.
    EXPECT_EQ(AccessibleOf(footer->GetSafeHwnd()).get(), kept.get());
    EXPECT_EQ(LiveAccessibleObjects(), before + 1);

    footer.reset();  // the window goes with its object
    BSTR name = nullptr;
    EXPECT_EQ(kept->get_accName(Child(CHILDID_SELF), &name), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(name, nullptr);
    LONG count = -1;
    EXPECT_EQ(kept->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    kept.reset();
    EXPECT_EQ(LiveAccessibleObjects(), before);
}


// High contrast switched on and off under the same controls. Wine cannot switch
// the system's mode (SPI_SETHIGHCONTRAST fails there), so the palette's test
// seam stands in where the system refuses. Nothing is stored, and the system's
// mode and colours are put back however the test ends.
class HighContrastTest : public AccessibleControlsTest {
public:
    void SetUp() override {
        AccessibleControlsTest::SetUp();
        for (std::size_t i = 0; i < kIndices.size(); ++i)
            m_saved[i] = ::GetSysColor(kIndices[i]);
    }
    void TearDown() override {
        SwitchMode(false);
        UseColours(m_saved);
        AccessibleControlsTest::TearDown();
    }

    // The system colours of a dark scheme, none of them one the light palette uses.
    static constexpr std::array<int, 7> kIndices{COLOR_WINDOW,        COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_HOTLIGHT,
                                                 COLOR_HIGHLIGHTTEXT, COLOR_GRAYTEXT,   COLOR_BTNFACE};
    static constexpr std::array<COLORREF, 7> kDark{RGB(8, 4, 20),   RGB(250, 246, 90), RGB(30, 200, 210), RGB(230, 210, 40),
                                                   RGB(10, 6, 22), RGB(70, 220, 70),  RGB(20, 12, 6)};

    static void UseColours(const std::array<COLORREF, 7>& colours) {
        ::SetSysColors(static_cast<int>(kIndices.size()), kIndices.data(), colours.data());
        testing::PumpPending();
    }
    // The system's mode where it can be switched (no SPIF_UPDATEINIFILE: nothing stored), told as a
    // settings change is told.
    static void SwitchMode(bool on) {
        HIGHCONTRASTW contrast{sizeof(contrast), on ? static_cast<DWORD>(HCF_HIGHCONTRASTON) : 0, nullptr};
        const bool switched = ::SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(contrast), &contrast, 0) != FALSE;
        OverrideHighContrastForTesting(on && !switched ? std::optional<bool>(true) : std::nullopt);
        ::SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0, SMTO_ABORTIFHUNG, 2000,
                              nullptr);
    }
    // Which part of the picture is painted in the dark scheme's colours.
    static double DarkShare(const testing::ClientPicture& picture) {
        const RECT all{0, 0, picture.Width(), picture.Height()};
        int dark = 0;
        for (COLORREF colour : kDark)
            dark += picture.Count(all, colour);
        return picture.Width() * picture.Height() > 0 ? double(dark) / (picture.Width() * picture.Height()) : 0;
    }
    // Painted now, so that a pending paint afterwards was asked for by the change.
    static testing::ClientPicture Settled(HWND window) {
        ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW);
        return testing::ClientPicture(window);
    }

protected:
    std::array<COLORREF, 7> m_saved{};
};

std::vector<ControlCase> SelfDrawnCases(std::initializer_list<std::string_view> labels) {
    std::vector<ControlCase> picked;
    for (const ControlCase& control : kControls)
        if (std::find(labels.begin(), labels.end(), control.label) != labels.end())
            picked.push_back(control);
    return picked;
}

TEST_P(HighContrastTest, PaintsWithTheSystemColoursWhileTheModeIsOn) {
    const HWND window = GetParam().expect(*this).window;
    ASSERT_TRUE(::IsWindow(window));
    const testing::ClientPicture light = Settled(window);
    UseColours(kDark);
    const double before = DarkShare(Settled(window));
    SwitchMode(true);
    EXPECT_TRUE(testing::HasPendingPaint(window));
    const double on = DarkShare(Settled(window));
    EXPECT_LT(before, 0.5);
    EXPECT_GT(on, 0.8);

    SwitchMode(false);
    EXPECT_TRUE(testing::HasPendingPaint(window));
    UseColours(m_saved);
    EXPECT_TRUE(Settled(window) == light);
}

INSTANTIATE_TEST_SUITE_P(SelfDrawn, HighContrastTest,
                         ::testing::ValuesIn(SelfDrawnCases({"NavigationPanel", "TitlePanel", "PageTabs", "Footer",
                                                             "OptimizeButton", "Popup"})),
                         [](const ::testing::TestParamInfo<ControlCase>& info) { return info.param.label; });
}  // namespace
}  // namespace qmo
