#include "display/ScreenReach.h"

#include <gtest/gtest.h>

#include <climits>

// The primary screen and a smaller one to its right; a 215 x 110 frame with a 25-pixel title bar.
TEST(ScreenReach, TheTitleBarStaysWithinReach) {
    const TscreenRect home{0, 0, 1920, 1080};
    const struct {
        const char* what;
        int left, top, wantLeft, wantTop;
    } places[] = {
        {"on the second screen only", 2500, 600, 2500, 600},
        {"across both screens", 1820, 40, 1820, 40},
        {"just the grip of the title bar on the right", 3160, 500, 3160, 500},
        {"a pixel less than the grip", 3161, 500, 1705, 500},
        {"title bar above the top, the rest on screen", 300, -20, 300, 0},
        {"below the smaller screen, beside the primary one", 2500, 1030, 1705, 970},
        {"at the ends of the integer range", INT_MAX - 10, INT_MIN, 1705, 0},
    };
    for (const auto& p : places) {
        const TscreenRect placed =
            reachableFrame({p.left, p.top, 215, 110}, 25, {home, {1920, 0, 1280, 1024}}, home, 40);
        EXPECT_EQ(placed.left, p.wantLeft) << p.what;
        EXPECT_EQ(placed.top, p.wantTop) << p.what;
    }
}
