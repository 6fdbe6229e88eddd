#include "widgets/Lcd_bar.h"

#include <QImage>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

const QColor olive(128, 128, 0);
const QColor gray(128, 128, 128);

// A bar as the main window declares it.
struct MainWindowBar {
    MainWindowBar() {
        bar.setGeometry(8, 24, 27, 47);
        bar.Set_LowRange(995.0);
        bar.Set_HighRange(1025.0);
        bar.Set_NbrSegments(7);
        bar.Set_FGColor(olive);
        bar.Set_BDColor(gray);
        bar.Set_Value(1020.0);
    }
    QImage painted() { return bar.grab().toImage().convertToFormat(QImage::Format_RGB32); }
    Tlcd_bar bar;
};

QRgb rgb(const QColor& c) {
    return c.rgb();
}

// The colours of one pixel column, top to bottom.
std::vector<QRgb> column(const QImage& image, int x) {
    std::vector<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        colours.push_back(image.pixel(x, y));
    return colours;
}

// The column of the main window's bar with `lit` segments lit.
std::vector<QRgb> expectedColumn(int lit) {
    std::vector<QRgb> colours(47, qRgb(0, 0, 0));
    colours.front() = colours.back() = rgb(gray);
    const int tops[] = {41, 35, 29, 23, 17, 11, 5};
    for (int i = 0; i < lit; ++i)
        for (int y = tops[i]; y < tops[i] + 4; ++y)
            colours[static_cast<std::size_t>(y)] = rgb(olive);
    return colours;
}

} // namespace

TEST(LcdBar, ConstructionValues) {
    Tlcd_bar bar;
    EXPECT_EQ(bar.geometry(), QRect(0, 0, 100, 200));
    EXPECT_EQ(bar.property("NbrOfSegments").toInt(), 1);
    EXPECT_EQ(bar.property("YLowRange").toDouble(), 0.0);
    EXPECT_EQ(bar.property("YHighRange").toDouble(), 100.0);
    EXPECT_EQ(bar.property("BarValue").toDouble(), 0.0);
    EXPECT_TRUE(bar.property("EnableDisplay").toBool());
    EXPECT_EQ(bar.BackGroundColor(), QColor(Qt::black));
    EXPECT_EQ(bar.ForeGroundColor(), QColor(Qt::red));
    EXPECT_EQ(bar.BorderColor(), QColor(0, 255, 0));
    // A bar that no setter touched still paints itself.
    const QImage image = bar.grab().toImage();
    EXPECT_EQ(image.size(), QSize(100, 200));
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(50, 100), qRgb(0, 0, 0));
}

TEST(LcdBar, SegmentsFromTheBottomWithTwoPixelGaps) {
    MainWindowBar fixture;
    fixture.bar.Set_Value(1025.0);
    QImage image = fixture.painted();
    ASSERT_EQ(image.size(), QSize(27, 47));
    EXPECT_EQ(column(image, 13), expectedColumn(7));
    EXPECT_EQ(column(image, 2), expectedColumn(7));
    EXPECT_EQ(column(image, 24), expectedColumn(7));
    EXPECT_EQ(image.pixel(1, 43), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(25, 43), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(0, 43), rgb(gray));
    EXPECT_EQ(image.pixel(26, 43), rgb(gray));

    fixture.bar.Set_Value(1010.0);
    EXPECT_EQ(column(fixture.painted(), 13), expectedColumn(4));
    fixture.bar.Set_Value(995.0);
    EXPECT_EQ(column(fixture.painted(), 13), expectedColumn(0));
    fixture.bar.Set_Value(2000.0);
    EXPECT_EQ(fixture.bar.BarValue(), 1025.0);
    EXPECT_EQ(column(fixture.painted(), 13), expectedColumn(7));
}

TEST(LcdBar, ValueOutsideAMovedRangeShowsTheNearerEnd) {
    MainWindowBar below;
    below.bar.Set_Value(1000.0);
    below.bar.Set_LowRange(1005.0);
    below.bar.Set_HighRange(1019.0);
    EXPECT_EQ(column(below.painted(), 13), expectedColumn(0));

    MainWindowBar above;
    above.bar.Set_Value(1020.0);
    above.bar.Set_HighRange(1009.0);
    EXPECT_EQ(column(above.painted(), 13), expectedColumn(7));
}

TEST(LcdBar, DisabledBarShowsOnlyTheRedDiagonals) {
    MainWindowBar fixture;
    fixture.bar.Set_Enable(false);
    const QImage image = fixture.painted();
    std::set<QRgb> colours;
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y));
            red += image.pixel(x, y) == qRgb(255, 0, 0);
        }
    EXPECT_EQ(colours, (std::set<QRgb>{qRgb(0, 0, 0), qRgb(255, 0, 0)}));
    EXPECT_GE(red, 2 * 45); // two lines across 47 rows
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(0, 46), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(13, 3), qRgb(0, 0, 0));

    fixture.bar.Set_Enable(true);
    EXPECT_EQ(column(fixture.painted(), 13), expectedColumn(6));
}

TEST(LcdBar, SegmentCountBoundFollowsTheLastPaintedHeight) {
    MainWindowBar fixture;
    fixture.painted();
    fixture.bar.Set_NbrSegments(0);
    EXPECT_EQ(fixture.bar.NbrOfSegments(), 1);
    fixture.bar.Set_NbrSegments(100);
    EXPECT_EQ(fixture.bar.NbrOfSegments(), 22);
}

TEST(LcdBar, BitmapIsDrawnOnlyAfterASetterOrAResize) {
    MainWindowBar fixture;
    fixture.painted();
    const qint64 first = fixture.bar.bitmap().cacheKey();
    fixture.painted();
    EXPECT_EQ(fixture.bar.bitmap().cacheKey(), first);
    fixture.bar.Set_BGColor(QColor(0, 0, 128));
    const QImage image = fixture.painted();
    EXPECT_NE(fixture.bar.bitmap().cacheKey(), first);
    EXPECT_EQ(image.pixel(13, 3), qRgb(0, 0, 128));

    fixture.bar.resize(27, 61);
    EXPECT_EQ(fixture.painted().size(), QSize(27, 61));
    EXPECT_EQ(fixture.bar.bitmap().size(), QSize(27, 61));
    EXPECT_EQ(fixture.bar.model().segmentHeight(), 6);
}
