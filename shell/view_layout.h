#pragma once
// Where the page host view puts its children and its banner, for a client
// area of cx by cy pixels at `dpi`. No child ever gets a negative size. The
// sizes below are at 96 DPI.
#include "framework/dpi_scale.h"

namespace qmo {

struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Box&) const = default;
};

inline constexpr int BANNER_HEIGHT = 70;
inline constexpr int NAV_PANEL_WIDTH = 235;
inline constexpr int TITLE_PANEL_HEIGHT = 80;
inline constexpr int FOOTER_HEIGHT = 20;

struct ViewLayout {
    Box footer;
    Box navPanel;
    Box titlePanel;
    Box pageTabs;
};

ViewLayout LayoutView(int cx, int cy, unsigned dpi = kDesignDpi);

inline constexpr int kBannerLeftWidth = 432;
inline constexpr int kBannerMiddleWidth = 111;
inline constexpr int kBannerRightWidth = 381;
inline constexpr int kBannerArtHeight = 69;

// One bitmap copied (or stretched) from its source columns onto the band.
// Source columns count in pixels of the piece as shown at the band's DPI; the
// painter maps them onto whichever size of the artwork it holds.
struct BannerPiece {
    bool draw = false;
    int sourceX = 0;
    int sourceWidth = 0;
    Box target;
};

struct BannerPlacement {
    BannerPiece left;
    BannerPiece middle;
    BannerPiece right;
};

// Wide enough for both ends: left at 0, right flush right, middle stretched
// between them. Narrower: the left end is clipped at the window's edge and
// whatever is left over shows the right end's last columns (with the logo),
// so the two never overlap.
BannerPlacement PlaceBanner(int clientWidth, unsigned dpi = kDesignDpi);

}  // namespace qmo
