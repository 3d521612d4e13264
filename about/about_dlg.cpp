#include "about/about_dlg.h"

#include <array>
#include <utility>

#include "framework/application.h"
#include "framework/dpi_scale.h"
#include "framework/window_dpi.h"
#include "res/about_resource.h"
#include "res/pages_resource.h"
#include "pages/frame_texts.h"
#include "toolkit/image_strip.h"
#include "toolkit/dark_mode.h"
#include "toolkit/ui_paint.h"
#include "toolkit/ui_palette.h"

namespace qmo {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

struct AboutLink {
    UINT id;
    const wchar_t* target;
};

// The web link shows the host name only; it opens the product page itself,
// with its scheme, so the shell never takes it for a file name.
constexpr std::array<AboutLink, 3> kLinks{{
    {IDC_LINK_SUPPORT, L"mailto:support@quenvale.example"},
    {IDC_LINK_SALES, L"mailto:sales@quenvale.example"},
    {IDC_LINK_WEB, qmo::kProductWebPage},
}};

}  // namespace

CAboutDlg::CAboutDlg(qmo::ShellOpener& opener)
    : ThemedDialog(IDD_ABOUTBOX), m_opener(opener), m_brWhite(::CreateSolidBrush(kWhite)) {}

BOOL CAboutDlg::OnInitDialog() {
    ThemedDialog::OnInitDialog();
    m_banner = ::GetWindow(m_hWnd, GW_CHILD);  // first in the template
    const unsigned dpi = qmo::WindowDpi(m_hWnd);
    m_bannerMiddle = qmo::LoadBitmapForDpi(IDB_BANNER_MIDDLE, dpi, false);
    if (dpi != qmo::kDesignDpi)
        ShowBannerAtDpi(dpi);
    const std::array<std::pair<qmo::HyperlinkStatic*, UINT>, 3> links{
        {{&m_wndLinkSupport, IDC_LINK_SUPPORT}, {&m_wndLinkSales, IDC_LINK_SALES}, {&m_wndLinkWeb, IDC_LINK_WEB}}};
    for (const auto& [link, id] : links) {
        link->SubclassDlgItem(id, m_hWnd);
        link->SetBackgroundColour(kWhite);
        link->SetOpenOnClick(false);  // the click comes to OnCommand instead
    }
    // The links are tab stops ahead of OK in the template; OK still starts with the focus.
    ::SetFocus(Item(IDOK));
    return FALSE;
}

// The control shows its picture at the size it was drawn; the box's dialog
// units grow with the DPI, so the banner must too.
void CAboutDlg::ShowBannerAtDpi(unsigned dpi) {
    m_bannerLeft = qmo::LoadBitmapForDpi(IDB_BANNER_LEFT, dpi, false);
    if (!m_banner || !m_bannerLeft)
        return;
    m_templateBanner = reinterpret_cast<HBITMAP>(::SendMessageW(
        m_banner, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_bannerLeft.get())));
}

void CAboutDlg::OnDestroy() {
    if (m_banner && m_bannerLeft)
        ::SendMessageW(m_banner, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_templateBanner));
    Dialog::OnDestroy();
}

bool CAboutDlg::OnCommand(UINT id, UINT code, HWND control) {
    for (const AboutLink& link : kLinks) {
        if (link.id == id) {
            m_opener.Open(link.target, SW_SHOWMAXIMIZED);
            return true;
        }
    }
    return Dialog::OnCommand(id, code, control);
}

bool CAboutDlg::OnEraseBkgnd(HDC) {
    return true;  // the paint covers every pixel
}

HBRUSH CAboutDlg::OnCtlColor(UINT message, HDC dc, HWND control) {
    if (message != WM_CTLCOLORMSGBOX && message != WM_CTLCOLOREDIT && message != WM_CTLCOLORSTATIC)
        return ThemedDialog::OnCtlColor(message, dc, control);
    if (HBRUSH dark = qmo::ThemedControlColors(message, dc))
        return dark;
    // The system's answer first, as for any window; it also sets the text colour.
    const LRESULT standard = ::DefWindowProcW(m_hWnd, message, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(control));
    if (!m_brWhite)
        return reinterpret_cast<HBRUSH>(standard);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetBkColor(dc, kWhite);
    return m_brWhite.get();
}

bool CAboutDlg::OnPaint() {
    qmo::paint_dc paint(m_hWnd);
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    qmo::BufferedCanvas canvas(paint.get(), client);
    qmo::FillSolid(canvas.dc(), client, qmo::DarkColorsInUse() ? qmo::CurrentPalette().window : kWhite);
    ExtendBanner(canvas.dc(), client);
    return true;
}

// Where the dialog font makes the box wider than the banner picture, the
// banner's stretchable middle carries it on to the right edge.
void CAboutDlg::ExtendBanner(HDC dc, const RECT& client) {
    if (!m_banner || !m_bannerMiddle)
        return;
    RECT banner{};
    ::GetWindowRect(m_banner, &banner);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&banner), 2);
    BITMAP middle{};
    if (banner.right >= client.right || !::GetObjectW(m_bannerMiddle.get(), sizeof(middle), &middle))
        return;
    qmo::unique_dc source(::CreateCompatibleDC(dc));
    if (!source)
        return;
    qmo::scoped_select selected(source.get(), m_bannerMiddle.get());
    ::SetStretchBltMode(dc, COLORONCOLOR);
    ::StretchBlt(dc, banner.right, banner.top, client.right - banner.right, banner.bottom - banner.top, source.get(), 0,
                 0, middle.bmWidth, middle.bmHeight, SRCCOPY);
}

}  // namespace qmo
