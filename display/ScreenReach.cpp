#include "display/ScreenReach.h"

#include <algorithm>
#include <cstdint>

namespace {

// The length of the overlap of [a, a + aLength) and [b, b + bLength); 64 bits, so that a place
// at the ends of the integer range does not overflow.
std::int64_t overlap(std::int64_t a, std::int64_t aLength, std::int64_t b, std::int64_t bLength) {
    return std::max<std::int64_t>(0, std::min(a + aLength, b + bLength) - std::max(a, b));
}

bool titleBarOn(const TscreenRect& frame, int titleHeight, const TscreenRect& screen, int grip) {
    return overlap(frame.left, frame.width, screen.left, screen.width) >= grip &&
           overlap(frame.top, titleHeight, screen.top, screen.height) >= titleHeight;
}

int clampInto(int position, int length, int start, int room) {
    return std::max(start, std::min(position, start + room - length));
}

} // namespace

TscreenRect reachableFrame(const TscreenRect& frame, int titleHeight,
                           const std::vector<TscreenRect>& screens, const TscreenRect& home,
                           int grip) {
    const int title = std::max(titleHeight, 1);
    for (const TscreenRect& screen : screens)
        if (titleBarOn(frame, title, screen, grip)) return frame;
    TscreenRect moved = frame;
    moved.left = clampInto(frame.left, frame.width, home.left, home.width);
    moved.top = clampInto(frame.top, frame.height, home.top, home.height);
    return moved;
}
