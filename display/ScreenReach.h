#pragma once

#include <vector>

// A rectangle of the desktop in pixels.
struct TscreenRect {
    int left = 0, top = 0, width = 0, height = 0;
};

// Where a window's frame goes so that the user can still grab its title bar: where it is while
// at least `grip` pixels of the title bar's width, and the title bar's full height, lie on one
// of the screens; otherwise onto `home`, whole as far as it fits, from its top left corner.
// Returns the frame at its place, of the same size.
TscreenRect reachableFrame(const TscreenRect& frame, int titleHeight,
                           const std::vector<TscreenRect>& screens, const TscreenRect& home,
                           int grip);
