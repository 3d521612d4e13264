#include "about/about_dlg.h"

#include <array>
#include <utility>

#include "framework/application.h"
#include "res/about_resource.h"
#include "res/pages_resource.h"
#include "pages/frame_texts.h"
#include "toolkit/ui_paint.h"

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
    : Dialog(IDD_ABOUTBOX), m_opener(opener), m_brWhite(::CreateSolidBrush(kWhite)) {}

BOOL CAboutDlg::OnInitDialog() {
    Dialog::OnInitDialog();
    m_banner = ::GetWindow(m_hWnd, GW_CHILD);  // first in the template
    m_bannerMiddle.reset(static_cast<HBITMAP>(::LoadImageW(qmo::Application::InstanceHandle(),
                                                           MAKEINTRESOURCEW(IDB_BANNER_MIDDLE), IMAGE_BITMAP, 0, 0, 0)));
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
        return Dialog::OnCtlColor(message, dc, control);
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
    qmo::FillSolid(canvas.dc(), client, kWhite);
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
