#include "shell/frame_input_filter.h"

namespace qmo {

bool IsInBannerLinkBand(const Rect& client, const Point& cursorScreen) {
    return cursorScreen.x > client.right - kLinkBandRightExtent &&
           cursorScreen.y > client.top + kLinkBandTop && cursorScreen.y < client.top + kLinkBandBottom;
}

FrameInputDecision DecideFrameInput(FrameInput input, const Rect& client, const Point& cursorScreen,
                                    int virtualKey, bool ctrlDown) {
    FrameInputDecision decision;
    if ((input == FrameInput::MouseMove || input == FrameInput::LeftButtonDown) &&
        IsInBannerLinkBand(client, cursorScreen)) {
        if (input == FrameInput::LeftButtonDown)
            decision.openWebPageMaximized = true;
        else
            decision.showHandCursor = true;
    }
    if (input != FrameInput::KeyDown)
        return decision;

    if (ctrlDown && virtualKey == 'X')
        decision.hideToTray = true;
    if (ctrlDown && virtualKey == 'H')
        decision.showHelp = true;
    decision.consumed = true;
    return decision;
}

}  // namespace qmo
