#pragma once
// What the main frame does with a queued input message before it is
// dispatched: the banner's link band, the two shortcuts, and swallowing every
// other key that reaches the frame.
#include "framework/geometry.h"

namespace qmo {

enum class FrameInput { MouseMove, LeftButtonDown, KeyDown, Other };

struct FrameInputDecision {
    bool openWebPageMaximized = false;
    bool showHandCursor = false;
    bool hideToTray = false;  // post WM_CLOSE to the frame
    bool showHelp = false;
    bool consumed = false;    // neither translated nor dispatched
};

inline constexpr int kLinkBandRightExtent = 450;
inline constexpr int kLinkBandTop = 40;
inline constexpr int kLinkBandBottom = 100;

// The band is tested with the cursor in screen coordinates against the client
// rectangle in client coordinates; with the window maximized that is the upper
// right of the banner.
bool IsInBannerLinkBand(const Rect& client, const Point& cursorScreen);

FrameInputDecision DecideFrameInput(FrameInput input, const Rect& client, const Point& cursorScreen,
                                    int virtualKey, bool ctrlDown);

}  // namespace qmo
