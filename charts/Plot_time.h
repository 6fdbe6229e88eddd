#pragma once

#include "charts/Plot_timeModel.h"

#include <QImage>
#include <QWidget>

// The time plot control: draws its model into an off-screen image and copies that onto the
// screen. Every operation that changes the picture repaints at once, except ClearContent and
// SetHistoryLength, which leave it for the next Paint.
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
    const QImage& GetBitmap() const { return Bitmap; }
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

    Tplot_timeModel data;
    QImage Bitmap;
};
