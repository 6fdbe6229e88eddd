#pragma once

#include "charts/Plot_timeModel.h"

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// The background, frame and grid of a plot's picture as last drawn, with the model's version
// of them, and where the picture differs from them: for each row the columns the lines drawn
// over them may have touched, or the whole picture. Also where the picture changed since the
// control last asked, so that only that part is painted again.
struct Tbackdrop {
    using Trows = std::vector<std::pair<int, int>>; // first and last column of each row
    QImage image;
    std::uint64_t version = 0;
    Trows touched;
    bool touchedAll = true;
    Trows changed;
    bool changedAll = true;

    // Nothing drawn over the backdrop yet.
    void clearTouched();
    // A line between two points, with a pixel to spare on each side.
    void touchLine(QPoint from, QPoint to);
    // Puts the backdrop back where lines were drawn; false when it cannot.
    bool restoreInto(QImage& picture);
    // The part of a picture of the given size changed since the last call.
    QRegion takeChanged(QSize size);
};

// The pixels of a picture of 32-bit pixels, taken once for the many lines drawn into them; none
// for a picture of another format.
struct Tpixels {
    QRgb* bits = nullptr;
    std::ptrdiff_t stride = 0; // pixels from one row to the next
    int width = 0;
    int height = 0;

    static Tpixels of(QImage& picture);
};

// Draws a line that goes down a column or over to the next one, one pixel wide, as the painter
// draws it without smoothing, straight into a picture's pixels: far cheaper for the many short
// lines of a long curve. A line down a column covers its rows from end to end; a step to the next
// column covers the rows from its start to the one before its end in the first column and the
// end alone in the second. Draws nothing and answers false for any other line and for a line not
// wholly inside the picture.
bool drawColumnStep(const Tpixels& picture, QPoint from, QPoint to, QRgb color);

// The time plot control: draws its model into an off-screen image and copies that onto the
// screen. The backdrop under the curve is drawn once and copied into each new picture, and the
// screen gets again only the rows and columns the old and the new curve cover. Every
// operation that changes the picture repaints at once, except ClearContent and SetHistoryLength,
// which leave it for the next Paint; in a hidden window the picture waits until it is painted
// or asked for.
class Tplot_time : public QWidget {
    Q_OBJECT
public:
    explicit Tplot_time(QWidget* owner = nullptr);

    void ClearContent();
    void SetHistoryLength(int n);
    void AddSample(double value, double time);
    bool YScaleChangedSinceLastCheck();
    void SetAutoScaleY(bool on);
    void SetManualYScaleLow(double v);
    void SetManualYScaleHigh(double v);
    void Set_x_grid_nbr(int n);
    void Set_y_grid_nbr(int n);
    void SetGridColor(Tcolor color);
    void SetBGColor(Tcolor color);
    void SetWVColor(Tcolor color);
    void SetBorderColor(Tcolor color);
    double GetRangeTempsAtX(double x) const { return data.GetRangeTempsAtX(x); }
    double GetRangeYLow() const { return data.GetRangeYLow(); }
    double GetRangeYHigh() const { return data.GetRangeYHigh(); }
    // The picture, drawn first when it is due.
    const QImage& GetBitmap();
    const Tplot_timeModel& model() const { return data; }

    // Takes a new geometry, redraws the image when needed and shows it.
    void Paint();
    // Draws the image now, needed or not.
    void DrawComponent();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void prepareImage();
    // Visible unless hidden on purpose: a plot never shown as a window of its own still draws.
    bool drawable() const;
    // Drawable, but its window is hidden: nobody sees its picture for now.
    bool offScreen() const;

    Tplot_timeModel data;
    QImage Bitmap;
    Tbackdrop backdrop;
};
