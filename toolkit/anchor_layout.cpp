#include "toolkit/anchor_layout.h"

#include <algorithm>
#include <cmath>

namespace qmo {
namespace {

int Follow(int edge, double fraction, int change) {
    return edge + static_cast<int>(std::lround(fraction * change));
}

}  // namespace

Rect AnchoredRect(const Rect& original, const Anchors& anchors, int dx, int dy) {
    Rect moved{Follow(original.left, anchors.left, dx), Follow(original.top, anchors.top, dy),
               Follow(original.right, anchors.right, dx), Follow(original.bottom, anchors.bottom, dy)};
    moved.right = std::max(moved.right, moved.left);
    moved.bottom = std::max(moved.bottom, moved.top);
    return moved;
}

}  // namespace qmo
