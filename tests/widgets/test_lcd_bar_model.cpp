#include "support/LastOf.h"
#include "widgets/Lcd_bar_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// The main window's bar: 27 x 47 pixels, 7 segments, range 995..1025.
Tlcd_bar_model mainWindowBar() {
    Tlcd_bar_model bar;
    bar.beginPaint(27, 47);
    bar.setNbrSegments(7, 47);
    bar.setLowRange(995.0, 47);
    bar.setHighRange(1025.0, 47);
    return bar;
}

std::vector<Tlcd_step> segmentsOf(const Tlcd_bar_model& bar) {
    std::vector<Tlcd_step> steps = bar.drawing();
    return {steps.begin() + 2, steps.end()};
}

} // namespace

TEST(LcdBarModel, ConstructionValues) {
    Tlcd_bar_model bar;
    EXPECT_EQ(bar.cachedWidth(), 100);
    EXPECT_EQ(bar.cachedHeight(), 200);
    EXPECT_EQ(bar.segments(), 1);
    EXPECT_EQ(bar.usableHeight(), 196);
    EXPECT_EQ(bar.segmentHeight(), 196);
    EXPECT_EQ(bar.lowRange(), 0.0);
    EXPECT_EQ(bar.highRange(), 100.0);
    EXPECT_EQ(bar.value(), 0.0);
    EXPECT_TRUE(bar.enabled());
    EXPECT_EQ(bar.background(), 0x000000u);
    EXPECT_EQ(bar.foreground(), 0xFF0000u);
    EXPECT_EQ(bar.border(), 0x00FF00u);
    EXPECT_FALSE(bar.redrawPending());
}

TEST(LcdBarModel, LitCount) {
    EXPECT_EQ(lcdLitSegments(1010.0, 995.0, 1025.0, 7), 4); // ceil(3.5)
    EXPECT_EQ(lcdLitSegments(995.0, 995.0, 1025.0, 7), 0);
    EXPECT_EQ(lcdLitSegments(995.001, 995.0, 1025.0, 7), 1);
    EXPECT_EQ(lcdLitSegments(1025.0, 995.0, 1025.0, 7), 7);
    // On a segment boundary exactly that many segments are lit.
    EXPECT_EQ(lcdLitSegments(50.0, 0.0, 100.0, 4), 2);
    EXPECT_EQ(lcdLitSegments(50.001, 0.0, 100.0, 4), 3);
    EXPECT_EQ(lcdLitSegments(1000.0, 1005.0, 1019.0, 7), 0);
    EXPECT_EQ(lcdLitSegments(1020.0, 995.0, 1009.0, 7), 7);
    EXPECT_EQ(lcdLitSegments(1e300, 0.0, 1e-300, 7), 7);
    EXPECT_EQ(lcdLitSegments(-1e300, 0.0, 1e-300, 7), 0);
    EXPECT_EQ(lcdLitSegments(std::nan(""), 0.0, 100.0, 7), 0);
    EXPECT_EQ(lcdLitSegments(5.0, 5.0, 5.0, 7), 0);
    // A value left above a range whose ends were made equal lights nothing either.
    EXPECT_EQ(lcdLitSegments(6.0, 5.0, 5.0, 7), 0);
}

TEST(LcdBarModel, ValueIsClampedHighFirstThenLow) {
    Tlcd_bar_model bar = mainWindowBar();
    bar.setValue(1030.0);
    EXPECT_EQ(bar.value(), 1025.0);
    EXPECT_EQ(bar.litSegments(), 7);
    bar.setValue(990.0);
    EXPECT_EQ(bar.value(), 995.0);
    EXPECT_EQ(bar.litSegments(), 0);
    // With the ends swapped the low end has the last word.
    bar.setLowRange(1010.0, 47);
    bar.setHighRange(1000.0, 47);
    bar.setValue(1005.0);
    EXPECT_EQ(bar.value(), 1010.0);
}

TEST(LcdBarModel, RangeChangeKeepsTheValueAndDrawsTheNearerEnd) {
    Tlcd_bar_model bar = mainWindowBar();
    bar.setValue(1000.0);
    bar.setLowRange(1005.0, 47);
    bar.setHighRange(1019.0, 47);
    EXPECT_EQ(bar.value(), 1000.0);
    EXPECT_EQ(bar.litSegments(), 0);

    bar = mainWindowBar();
    bar.setValue(1020.0);
    bar.setHighRange(1009.0, 47);
    EXPECT_EQ(bar.value(), 1020.0);
    EXPECT_EQ(bar.litSegments(), 7);
}

TEST(LcdBarModel, SegmentCountIsBoundByTheCachedHeight) {
    Tlcd_bar_model bar;
    bar.setNbrSegments(100, 200);
    EXPECT_EQ(bar.segments(), 98); // (200 - 3) / 2 before the first paint
    bar.beginPaint(27, 47);
    bar.setNbrSegments(0, 47);
    EXPECT_EQ(bar.segments(), 1);
    EXPECT_EQ(bar.usableHeight(), 43);
    bar.setNbrSegments(-5, 47);
    EXPECT_EQ(bar.segments(), 1);
    bar.setNbrSegments(100, 47);
    EXPECT_EQ(bar.segments(), 22);
    EXPECT_EQ(bar.usableHeight(), 1);
    EXPECT_EQ(bar.segmentHeight(), 0);
    EXPECT_EQ(bar.drawing().size(), 2u); // segments of no height are not drawn
    bar.beginPaint(27, 4);               // too small for any segment: one is kept
    bar.setNbrSegments(3, 4);
    EXPECT_EQ(bar.segments(), 1);
}

TEST(LcdBarModel, SegmentsStackFromTheBottomWithTwoPixelGaps) {
    Tlcd_bar_model bar = mainWindowBar();
    EXPECT_EQ(bar.usableHeight(), 31);
    EXPECT_EQ(bar.segmentHeight(), 4);
    bar.setValue(1010.0);
    const std::vector<Tlcd_step> steps = bar.drawing();
    ASSERT_EQ(steps.size(), 9u);
    EXPECT_EQ(steps[0], (Tlcd_step{Tlcd_step::Fill, 0, 0, 27, 47, 0x000000}));
    EXPECT_EQ(steps[1], (Tlcd_step{Tlcd_step::Frame, 0, 0, 27, 47, 0x00FF00}));
    const int tops[] = {41, 35, 29, 23, 17, 11, 5};
    for (int i = 0; i < 7; ++i) {
        const Tlcd_color color = i < 4 ? 0xFF0000 : 0x000000;
        EXPECT_EQ(steps[2 + i], (Tlcd_step{Tlcd_step::Fill, 2, tops[i], 25, tops[i] + 4, color}))
            << "segment " << i;
    }
}

TEST(LcdBarModel, DisabledBarIsOnlyARedCross) {
    Tlcd_bar_model bar = mainWindowBar();
    bar.setBackground(0x102030);
    bar.setEnable(false);
    EXPECT_EQ(bar.drawing(), (std::vector<Tlcd_step>{{Tlcd_step::Fill, 0, 0, 27, 47, 0x102030},
                                                     {Tlcd_step::Line, 0, 0, 27, 47, 0xFF0000},
                                                     {Tlcd_step::Line, 0, 47, 27, 0, 0xFF0000}}));
}

TEST(LcdBarModel, RedrawOnlyAfterASetterOrAResize) {
    Tlcd_bar_model bar;
    EXPECT_FALSE(bar.beginPaint(100, 200));
    EXPECT_TRUE(bar.beginPaint(27, 47));
    EXPECT_FALSE(bar.beginPaint(27, 47));
    bar.setForeground(0x808000);
    EXPECT_TRUE(bar.beginPaint(27, 47));
    EXPECT_FALSE(bar.beginPaint(27, 47));
    bar.setValue(3.0);
    EXPECT_TRUE(bar.beginPaint(27, 47));
    bar.setBorder(0x808080);
    bar.setEnable(true);
    EXPECT_TRUE(bar.beginPaint(27, 47));
    EXPECT_FALSE(bar.beginPaint(27, 47));
    bar.rescale(47); // a rescale alone asks for nothing
    EXPECT_FALSE(bar.beginPaint(27, 47));

    // Each setter on its own asks for a redraw.
    const std::vector<void (*)(Tlcd_bar_model&)> setters{
        [](Tlcd_bar_model& b) { b.setLowRange(1.0, 47); },
        [](Tlcd_bar_model& b) { b.setHighRange(90.0, 47); },
        [](Tlcd_bar_model& b) { b.setNbrSegments(3, 47); },
        [](Tlcd_bar_model& b) { b.setBackground(0x101010); },
        [](Tlcd_bar_model& b) { b.setBorder(0x202020); },
        [](Tlcd_bar_model& b) { b.setEnable(false); },
    };
    for (std::size_t i = 0; i < setters.size(); ++i) {
        setters[i](bar);
        EXPECT_TRUE(bar.beginPaint(27, 47)) << "setter " << i;
    }
}

TEST(LcdBarModel, RescaleUsesTheCurrentHeightAndAResizeRescales) {
    Tlcd_bar_model bar;
    bar.setNbrSegments(7, 47); // the control was resized but not painted yet
    EXPECT_EQ(bar.usableHeight(), 31);
    EXPECT_EQ(bar.segmentHeight(), 4);
    bar.setLowRange(10.0, 33);
    EXPECT_EQ(bar.usableHeight(), 17);
    bar.setHighRange(90.0, 61);
    EXPECT_EQ(bar.usableHeight(), 45);
    bar.beginPaint(27, 61);
    EXPECT_EQ(bar.usableHeight(), 45);
    EXPECT_EQ(bar.segmentHeight(), 6);
    const std::vector<Tlcd_step> segments = segmentsOf(bar);
    EXPECT_EQ(firstOf(segments).y1, 53);
    EXPECT_EQ(lastOf(segments).y1, 5);
}
