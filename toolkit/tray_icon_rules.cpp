#include "toolkit/tray_icon_rules.h"

namespace qmo {

TrayAction TrayActionFor(unsigned notification) {
    switch (notification) {
    case kTrayRightButtonUp:
    case kTrayContextMenu:
    case kTrayKeySelect:
        return TrayAction::ShowMenu;
    case kTrayLeftDoubleClick:
        return TrayAction::SendDefaultCommand;
    default:
        return TrayAction::None;
    }
}

std::size_t NextAnimationFrame(std::size_t current, std::size_t frameCount) {
    if (frameCount == 0)
        return 0;
    if (current >= frameCount)
        return 0;
    return (current + 1) % frameCount;
}

}  // namespace qmo
