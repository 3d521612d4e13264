#pragma once
// The modal About box: banner, icon, name and version, rights notice, and the
// support, sales and web links, each opened maximized through the shell.
#include "toolkit/themed_dialog.h"
#include "framework/unique_handle.h"
#include "toolkit/hyperlink_static.h"
#include "toolkit/shell_opener.h"

namespace qmo {

class CAboutDlg : public qmo::ThemedDialog {
public:
    explicit CAboutDlg(qmo::ShellOpener& opener = qmo::SystemShellOpener());

    qmo::HyperlinkStatic m_wndLinkSupport;
    qmo::HyperlinkStatic m_wndLinkSales;
    qmo::HyperlinkStatic m_wndLinkWeb;

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnEraseBkgnd(HDC dc) override;
    bool OnPaint() override;
    HBRUSH OnCtlColor(UINT message, HDC dc, HWND control) override;
    void OnDestroy() override;

private:
    void ExtendBanner(HDC dc, const RECT& client);
    void ShowBannerAtDpi(unsigned dpi);

    qmo::ShellOpener& m_opener;
    qmo::unique_brush m_brWhite;
    qmo::unique_bitmap m_bannerMiddle;
    HWND m_banner = nullptr;  // the banner picture control
    // The banner sized for the box's DPI, and the picture the control loaded
    // itself, given back to it before it goes.
    qmo::unique_bitmap m_bannerLeft;
    HBITMAP m_templateBanner = nullptr;
};

}  // namespace qmo
