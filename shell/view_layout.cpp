#include "shell/view_layout.h"

#include <algorithm>

namespace qmo {
namespace {

int NonNegative(int value) {
    return std::max(value, 0);
}

}  // namespace

ViewLayout LayoutView(int cx, int cy) {
    cx = NonNegative(cx);
    cy = NonNegative(cy);
    const int footerHeight = std::min(FOOTER_HEIGHT, cy);
    const int rightWidth = NonNegative(cx - NAV_PANEL_WIDTH);
    ViewLayout layout;
    layout.footer = {0, cy - footerHeight, cx, footerHeight};
    layout.navPanel = {0, BANNER_HEIGHT, std::min(NAV_PANEL_WIDTH, cx), NonNegative(cy - 90)};
    layout.titlePanel = {NAV_PANEL_WIDTH, BANNER_HEIGHT, rightWidth, TITLE_PANEL_HEIGHT};
    layout.pageTabs = {NAV_PANEL_WIDTH, BANNER_HEIGHT + TITLE_PANEL_HEIGHT, rightWidth, NonNegative(cy - 170)};
    return layout;
}

BannerPlacement PlaceBanner(int clientWidth) {
    const int cx = NonNegative(clientWidth);
    BannerPlacement placement;
    if (cx >= kBannerLeftWidth + kBannerRightWidth) {
        placement.left = {true, 0, kBannerLeftWidth, {0, 0, kBannerLeftWidth, kBannerArtHeight}};
        const int middleWidth = cx - kBannerLeftWidth - kBannerRightWidth;
        placement.middle = {middleWidth > 0, 0, kBannerMiddleWidth,
                            {kBannerLeftWidth, 0, middleWidth, kBannerArtHeight}};
        placement.right = {true, 0, kBannerRightWidth,
                           {cx - kBannerRightWidth, 0, kBannerRightWidth, kBannerArtHeight}};
        return placement;
    }
    const int leftWidth = std::min(cx, kBannerLeftWidth);
    placement.left = {leftWidth > 0, 0, leftWidth, {0, 0, leftWidth, kBannerArtHeight}};
    const int rest = cx - leftWidth;
    placement.right = {rest > 0, kBannerRightWidth - rest, rest, {leftWidth, 0, rest, kBannerArtHeight}};
    return placement;
}

}  // namespace qmo
