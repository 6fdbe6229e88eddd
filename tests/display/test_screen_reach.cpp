#include "display/ScreenReach.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// The primary screen and a smaller one to its right; a 215 x 110 frame with a 25-pixel title bar.
const TscreenRect Home{0, 0, 1920, 1080};
const std::vector<TscreenRect> Screens{Home, {1920, 0, 1280, 1024}};

struct Place {
    const char* what;
    int left, top;
    int wantLeft, wantTop;
};

const Place places[] = {
    {"inside the primary screen", 300, 200, 300, 200},
    {"on the second screen only", 2500, 600, 2500, 600},
    {"across both screens", 1820, 40, 1820, 40},
    {"just the grip of the title bar on the right", 3160, 500, 3160, 500},
    {"a pixel less than the grip", 3161, 500, 1705, 500},
    {"five pixels on the left", -210, 500, 0, 500},
    {"title bar above the top, the rest on screen", 300, -20, 300, 0},
    {"title bar below the bottom", 300, 1078, 300, 970},
    {"below the smaller screen, beside the primary one", 2500, 1030, 1705, 970},
    {"far off", 30000, -30000, 1705, 0},
    {"at the ends of the integer range", INT_MAX - 10, INT_MIN, 1705, 0},
};

} // namespace

TEST(ScreenReach, TheTitleBarStaysWithinReach) {
    for (const Place& p : places) {
        const TscreenRect placed = reachableFrame({p.left, p.top, 215, 110}, 25, Screens, Home, 40);
        EXPECT_EQ(placed.left, p.wantLeft) << p.what;
        EXPECT_EQ(placed.top, p.wantTop) << p.what;
        EXPECT_EQ(placed.width, 215) << p.what;
        EXPECT_EQ(placed.height, 110) << p.what;
    }
}
