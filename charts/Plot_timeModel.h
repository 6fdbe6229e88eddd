#pragma once

#include "charts/PlotCanvas.h"

#include <cstdint>
#include <deque>
#include <vector>

// The data and drawing of one time plot: a bounded history of (value, time) samples kept as a
// sliding window (index 0 the oldest), the vertical range (auto: exactly the data range;
// manual: set by the caller), the mapping to pixels and the drawing onto a canvas. The window
// control Tplot_time holds one and paints its canvas.
//
// Adding a sample costs the same whatever the history length: the window slides through
// buffers of twice its length and moves back to their start only once per length, and the
// smallest and largest held values are kept up to date as samples come and go.
class Tplot_timeModel {
public:
    // Empties the history; the ranges stay until the next sample.
    void ClearContent();
    // n < 2 is refused. Otherwise fresh zero-filled buffers of n entries; the newest samples
    // held that fit are kept.
    void SetHistoryLength(int n);
    // Appends a sample, dropping the oldest one when full; does nothing without buffers. Always
    // marks the picture for redrawing.
    void AddSample(double value, double time);
    // True when the shown range changed since the last call.
    bool YScaleChangedSinceLastCheck();
    void SetAutoScaleY(bool on);
    void SetManualYScaleLow(double v);
    void SetManualYScaleHigh(double v);
    // Negative counts are taken as 0.
    void Set_x_grid_nbr(int n);
    void Set_y_grid_nbr(int n);
    void SetGridColor(Tcolor color);
    void SetBGColor(Tcolor color);
    void SetWVColor(Tcolor color);
    void SetBorderColor(Tcolor color);
    // Time of the sample under the fraction x (0..1) of the width; 0 without samples.
    double GetRangeTempsAtX(double x) const;
    double GetRangeYLow() const { return ShownYLow; }
    double GetRangeYHigh() const { return ShownYHigh; }
    // Recomputes the data range and, in auto scale, the shown range.
    void GetArrayRange();

    // The geometry the picture is drawn for; true when its size changed (the image must be
    // resized). Any change of place or size marks the picture for redrawing.
    bool TakeGeometry(int left, int top, int width, int height);
    // Draws when the picture is marked, then clears the mark (also when nothing is drawn).
    void DrawIfNeeded(TplotCanvas& canvas, bool visible);
    // Draws background, frame, grid and curve; nothing when not visible. The first three come
    // from the canvas's kept backdrop when their version has not changed since.
    void DrawComponent(TplotCanvas& canvas, bool visible);
    // Changes with the size, the background, frame and grid colours and the grid counts.
    std::uint64_t BackdropVersion() const { return backdropVersion; }
    void UpdateDrawScaling();
    // Pixel rows of the first, last, smallest and largest value of samples a..b; unchanged
    // while no sample is held.
    void MinMaxInOut(int a, int b);

    int HistoryLength() const { return historyLength; }
    int SampleCount() const { return sampleCount; }
    bool AutoScaleYOn() const { return autoScaleYOn; }
    double DataYMin() const { return dataYMin; }
    double DataYMax() const { return dataYMax; }
    int GridXdivisions() const { return gridXdivisions; }
    Tcolor BorderColor() const { return borderColor; }
    bool NeedsRedraw() const { return needsRedraw; }
    double Value(int i) const { return Values[static_cast<std::size_t>(first + i)]; }
    double Time(int i) const { return Times[static_cast<std::size_t>(first + i)]; }
    double ScaleY = 0, OriginY = 0, ScaleX = 0, OriginX = 0;
    int PixIn = 0, PixOut = 0, PixMin = 0, PixMax = 0;

private:
    // A held value with its serial number, for the running extremes.
    struct Tranked {
        std::int64_t serial;
        double value;
    };
    void shiftHistory();
    void trackExtremes(double value);
    void rebuildExtremes();
    bool hasBuffers() const { return !Values.empty() && !Times.empty(); }
    void setShownRange(double low, double high);
    int row(double value) const;
    int column(int index) const;
    void drawBackdrop(TplotCanvas& canvas) const;
    void drawGrid(TplotCanvas& canvas) const;
    void backdropChanged();
    void drawCurve(TplotCanvas& canvas);
    void drawColumns(TplotCanvas& canvas);

    std::vector<double> Values, Times; // 2 x historyLength; the samples start at `first`
    int historyLength = 10;
    int sampleCount = 0;
    int first = 0;
    std::int64_t added = 0; // serial number of the next sample
    // Candidates for the smallest (ascending) and largest (descending) held value, oldest
    // first; values that are not numbers take no part.
    std::deque<Tranked> lows, highs;
    Tcolor backColor = 0x000000, waveColor = 0xFFFFFF, borderColor = 0x0000FF, gridColor = 0x808080;
    bool autoScaleYOn = true;
    double rangeYLow = 0, rangeYHigh = 0;
    int gridXdivisions = 0, gridYdivisions = 0;
    double dataYMin = 0, dataYMax = 0;
    double ShownYLow = 0, ShownYHigh = 0;
    bool YScaleChanged = true;
    bool needsRedraw = false;
    std::uint64_t backdropVersion = 0;
    int lastLeft = 0, lastTop = 0, lastWidth = 0, lastHeight = 0;
};
