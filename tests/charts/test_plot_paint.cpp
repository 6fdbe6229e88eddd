#include "charts/Plot_time.h"

#include <QImage>
#include <QPainter>

#include <cmath>

#include <gtest/gtest.h>

namespace {

const QRgb Navy = qRgb(0, 0, 128);
const QRgb Yellow = qRgb(255, 255, 0);
const QRgb Grey = qRgb(128, 128, 128);
const QRgb Black = qRgb(0, 0, 0);

// A plot set up as the chart window does, 433 x 177 pixels.
void setUpAsChart(Tplot_time& plot) {
    plot.setGeometry(96, 8, 433, 177);
    plot.SetBGColor(0x800000);
    plot.SetWVColor(0x00FFFF);
    plot.SetBorderColor(0x000000);
    plot.SetHistoryLength(3600);
    plot.Set_x_grid_nbr(2);
    plot.Set_y_grid_nbr(2);
}

QRgb at(Tplot_time& plot, int x, int y) {
    return plot.GetBitmap().pixel(x, y);
}

bool columnHasWave(Tplot_time& plot, int x) {
    for (int y = 0; y < plot.GetBitmap().height(); ++y)
        if (at(plot, x, y) == Yellow) return true;
    return false;
}

} // namespace

TEST(PlotPaint, GridLinesLieOnBothEdgesAndEveryStep) {
    Tplot_time plot;
    setUpAsChart(plot);
    plot.Paint();
    const QImage& image = plot.GetBitmap();
    ASSERT_EQ(image.size(), QSize(433, 177));
    for (int x : {0, 144, 288, 432}) {
        EXPECT_EQ(at(plot, x, 30), Grey) << x;
        EXPECT_EQ(at(plot, x, 150), Grey) << x;
    }
    for (int y : {0, 59, 118}) {
        EXPECT_EQ(at(plot, 70, y), Grey) << y;
        EXPECT_EQ(at(plot, 400, y), Grey) << y;
    }
    // The line at y = 177 lies below the image: the last row keeps the frame.
    EXPECT_EQ(at(plot, 70, 176), Black);
    EXPECT_EQ(at(plot, 144, 176), Grey); // crossed by a vertical line
    EXPECT_EQ(at(plot, 70, 30), Navy);
    EXPECT_EQ(at(plot, 143, 30), Navy);
    EXPECT_EQ(at(plot, 145, 58), Navy);
}

TEST(PlotPaint, CurveIsDrawnInTheWaveColourAndHiddenPlotsKeepTheirPicture) {
    QWidget owner;
    Tplot_time plot(&owner);
    setUpAsChart(plot);
    plot.AddSample(1000, 1);
    plot.AddSample(1010, 2); // from the bottom left (row 175) to the top right (row 1)
    EXPECT_EQ(at(plot, 0, 175), Yellow);
    EXPECT_EQ(at(plot, 431, 1), Yellow);
    EXPECT_TRUE(columnHasWave(plot, 216));
    plot.hide();
    plot.ClearContent();
    plot.Paint();
    EXPECT_TRUE(columnHasWave(plot, 216)); // a hidden plot does not draw
    plot.show();
    plot.Paint();
    EXPECT_TRUE(columnHasWave(plot, 216)); // the redraw was spent while hidden
    plot.DrawComponent();
    EXPECT_FALSE(columnHasWave(plot, 216)); // a forced redraw shows the empty grid
}

TEST(PlotPaint, ImageFollowsTheControlSize) {
    Tplot_time plot;
    EXPECT_EQ(plot.geometry(), QRect(100, 100, 100, 100));
    plot.resize(50, 20);
    plot.Paint();
    EXPECT_EQ(plot.GetBitmap().size(), QSize(50, 20));
    EXPECT_EQ(at(plot, 0, 0), qRgb(255, 0, 0)); // the initial red frame
    EXPECT_EQ(at(plot, 10, 10), Black);
}

// A picture kept up sample by sample (the backdrop drawn once, the last curve's pixels put back
// before the next curve) is the picture drawn afresh: while the curve crosses the grid, once the
// samples outnumber the columns, and after a change of the grid's colour.
TEST(PlotPaint, PictureKeptUpSampleBySampleIsThePictureDrawnAfresh) {
    Tplot_time kept;
    setUpAsChart(kept);
    int added = 0;
    for (int samples : {2, 60, 500, 501}) {
        for (; added < samples; ++added)
            kept.AddSample(1000 + 10 * std::sin(added / 5.0) + (added % 97 == 0 ? 40 : 0), added);
        if (samples == 501) kept.SetGridColor(0x00FF00);
        Tplot_time afresh; // off the screen: drawn once, when its picture is asked for
        setUpAsChart(afresh);
        for (int i = 0; i < added; ++i)
            afresh.AddSample(kept.model().Value(i), i);
        afresh.SetGridColor(samples == 501 ? 0x00FF00 : 0x808080);
        EXPECT_TRUE(kept.GetBitmap() == afresh.GetBitmap()) << samples;
    }
}

// Every line down a column or over to the next one, from the top, the middle and the bottom row
// to every row, drawn straight into the pixels is the line the painter draws; other lines and
// lines leaving the picture are left to the painter.
TEST(PlotPaint, StepsDownAndOverOneColumnAreThePaintersLines) {
    const auto drawn = [](const QLine& line, bool painter) {
        QImage image(8, 177, QImage::Format_RGB32);
        image.fill(Qt::black);
        if (!painter)
            return drawColumnStep(Tpixels::of(image), line.p1(), line.p2(), Yellow) ? image
                                                                                    : QImage();
        {
            QPainter on(&image);
            on.setPen(QColor(Yellow));
            on.drawLines(&line, 1);
        }
        return image;
    };
    for (const QPoint from : {QPoint(0, 0), QPoint(3, 88), QPoint(6, 176)})
        for (int dx : {0, 1})
            for (int y = 0; y < 177; ++y) {
                const QLine line(from, QPoint(from.x() + dx, y));
                EXPECT_TRUE(drawn(line, false) == drawn(line, true)) << line.p1().y() << " " << y;
            }
    for (const QLine& line : {QLine(2, 5, 4, 9), QLine(3, 5, 2, 9), QLine(7, 5, 8, 9),
                              QLine(2, 5, 2, 177), QLine(2, -1, 2, 9)})
        EXPECT_TRUE(drawn(line, false).isNull()) << line.p1().x() << " " << line.p2().x();
}
