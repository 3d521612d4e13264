#include "shell/view_layout.h"

#include <algorithm>

namespace qmo {
namespace {

int NonNegative(int value) {
    return std::max(value, 0);
}

}  // namespace

ViewLayout LayoutView(int cx, int cy, unsigned dpi) {
    cx = NonNegative(cx);
    cy = NonNegative(cy);
    const int band = ScaleForDpi(BANNER_HEIGHT, dpi);
    const int navWidth = ScaleForDpi(NAV_PANEL_WIDTH, dpi);
    const int titleHeight = ScaleForDpi(TITLE_PANEL_HEIGHT, dpi);
    const int footerHeight = std::min(ScaleForDpi(FOOTER_HEIGHT, dpi), cy);
    const int rightWidth = NonNegative(cx - navWidth);
    ViewLayout layout;
    layout.footer = {0, cy - footerHeight, cx, footerHeight};
    layout.navPanel = {0, band, std::min(navWidth, cx), NonNegative(cy - footerHeight - band)};
    layout.titlePanel = {navWidth, band, rightWidth, titleHeight};
    layout.pageTabs = {navWidth, band + titleHeight, rightWidth, NonNegative(cy - footerHeight - band - titleHeight)};
    return layout;
}

BannerPlacement PlaceBanner(int clientWidth, unsigned dpi) {
    const int cx = NonNegative(clientWidth);
    const int leftEnd = ScaleForDpi(kBannerLeftWidth, dpi);
    const int middleArt = ScaleForDpi(kBannerMiddleWidth, dpi);
    const int rightEnd = ScaleForDpi(kBannerRightWidth, dpi);
    const int height = ScaleForDpi(kBannerArtHeight, dpi);
    BannerPlacement placement;
    if (cx >= leftEnd + rightEnd) {
        placement.left = {true, 0, leftEnd, {0, 0, leftEnd, height}};
        const int middleWidth = cx - leftEnd - rightEnd;
        placement.middle = {middleWidth > 0, 0, middleArt, {leftEnd, 0, middleWidth, height}};
        placement.right = {true, 0, rightEnd, {cx - rightEnd, 0, rightEnd, height}};
        return placement;
    }
    const int leftWidth = std::min(cx, leftEnd);
    placement.left = {leftWidth > 0, 0, leftWidth, {0, 0, leftWidth, height}};
    const int rest = cx - leftWidth;
    placement.right = {rest > 0, rightEnd - rest, rest, {leftWidth, 0, rest, height}};
    return placement;
}

}  // namespace qmo
