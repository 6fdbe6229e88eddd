#include "charts/Plot_timeModel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>

namespace {

// Far beyond any image, yet safe to convert: values outside a manual range are drawn off the
// picture and clipped there.
constexpr double PixelLimit = 1.0e6;

int toPixel(double coordinate) {
    if (!(coordinate > -PixelLimit)) return static_cast<int>(-PixelLimit); // also NaN
    if (coordinate > PixelLimit) return static_cast<int>(PixelLimit);
    return static_cast<int>(coordinate); // truncated toward zero
}

// Pixels between two grid lines when `divisions` lines split `extent`.
int gridStep(int extent, int divisions) {
    return static_cast<int>(extent / (std::int64_t{divisions} + 1));
}

// The last k of the lines at k * step. With more divisions than pixels every line falls on
// the first one, which is then drawn once.
std::int64_t gridLineCount(int step, int divisions) {
    return step == 0 ? 0 : std::int64_t{divisions} + 1;
}

} // namespace

void Tplot_timeModel::ClearContent() {
    sampleCount = 0;
    first = 0;
    lows.clear();
    highs.clear();
    needsRedraw = true;
}

void Tplot_timeModel::SetHistoryLength(int n) {
    needsRedraw = true;
    if (n < 2) return;
    std::vector<double> keptValues, keptTimes;
    keptValues.swap(Values);
    keptTimes.swap(Times);
    const std::size_t room = 2 * static_cast<std::size_t>(n);
    try {
        Values.assign(room, 0.0);
        Times.assign(room, 0.0);
    } catch (const std::exception&) { // bad_alloc or length_error: no buffers, length unchanged
        Values.clear();
        Times.clear();
        ClearContent();
        return;
    }
    historyLength = n;
    const int kept = std::min(sampleCount, n);
    const auto from = static_cast<std::ptrdiff_t>(first + sampleCount - kept);
    std::copy_n(keptValues.begin() + from, kept, Values.begin());
    std::copy_n(keptTimes.begin() + from, kept, Times.begin());
    first = 0;
    sampleCount = kept;
    rebuildExtremes();
    if (sampleCount > 0) GetArrayRange();
}

void Tplot_timeModel::AddSample(double value, double time) {
    if (hasBuffers()) {
        if (sampleCount < historyLength)
            ++sampleCount;
        else
            shiftHistory();
        const auto at = static_cast<std::size_t>(first + sampleCount - 1);
        Values[at] = value;
        Times[at] = time;
        trackExtremes(value);
        GetArrayRange();
    }
    needsRedraw = true;
}

// Drops the oldest sample; the newest slot is then free for the next one.
void Tplot_timeModel::shiftHistory() {
    if (sampleCount < 1) return;
    const std::int64_t oldest = added - sampleCount;
    if (!lows.empty() && lows.front().serial == oldest) lows.pop_front();
    if (!highs.empty() && highs.front().serial == oldest) highs.pop_front();
    ++first;
    if (first + sampleCount <= static_cast<int>(Values.size())) return;
    const auto from = static_cast<std::ptrdiff_t>(first);
    std::copy(Values.begin() + from, Values.begin() + from + sampleCount - 1, Values.begin());
    std::copy(Times.begin() + from, Times.begin() + from + sampleCount - 1, Times.begin());
    first = 0;
}

// A new value makes every older candidate that can no longer be an extreme superfluous.
void Tplot_timeModel::trackExtremes(double value) {
    const std::int64_t serial = added++;
    if (std::isnan(value)) return;
    while (!lows.empty() && lows.back().value > value)
        lows.pop_back();
    lows.push_back({serial, value});
    while (!highs.empty() && highs.back().value < value)
        highs.pop_back();
    highs.push_back({serial, value});
}

void Tplot_timeModel::rebuildExtremes() {
    lows.clear();
    highs.clear();
    added = 0;
    for (int i = 0; i < sampleCount; ++i)
        trackExtremes(Value(i));
}

bool Tplot_timeModel::YScaleChangedSinceLastCheck() {
    const bool changed = YScaleChanged;
    YScaleChanged = false;
    return changed;
}

void Tplot_timeModel::setShownRange(double low, double high) {
    if (low != ShownYLow || high != ShownYHigh) YScaleChanged = true;
    ShownYLow = low;
    ShownYHigh = high;
    needsRedraw = true;
}

void Tplot_timeModel::SetAutoScaleY(bool on) {
    autoScaleYOn = on;
    if (on)
        setShownRange(dataYMin, dataYMax);
    else
        setShownRange(rangeYLow, rangeYHigh);
}

void Tplot_timeModel::SetManualYScaleLow(double v) {
    rangeYLow = v;
    setShownRange(autoScaleYOn ? ShownYLow : v, ShownYHigh);
}

void Tplot_timeModel::SetManualYScaleHigh(double v) {
    rangeYHigh = v;
    setShownRange(ShownYLow, autoScaleYOn ? ShownYHigh : v);
}

void Tplot_timeModel::Set_x_grid_nbr(int n) {
    gridXdivisions = std::max(n, 0);
    backdropChanged();
}

void Tplot_timeModel::Set_y_grid_nbr(int n) {
    gridYdivisions = std::max(n, 0);
    backdropChanged();
}

void Tplot_timeModel::SetGridColor(Tcolor color) {
    gridColor = color;
    backdropChanged();
}

void Tplot_timeModel::SetBGColor(Tcolor color) {
    backColor = color;
    backdropChanged();
}

void Tplot_timeModel::SetWVColor(Tcolor color) {
    waveColor = color;
    needsRedraw = true;
}

void Tplot_timeModel::SetBorderColor(Tcolor color) {
    borderColor = color;
    backdropChanged();
}

double Tplot_timeModel::GetRangeTempsAtX(double x) const {
    if (sampleCount <= 0 || !hasBuffers()) return 0.0;
    x = std::isnan(x) ? 0.0 : std::clamp(x, 0.0, 1.0);
    const int i = std::clamp(static_cast<int>((sampleCount - 1) * x), 0, historyLength - 1);
    return Time(i);
}

void Tplot_timeModel::GetArrayRange() {
    // As a scan from the oldest sample would find them: the oldest value to start with, then
    // every smaller or larger one; an oldest value that is not a number stays.
    if (hasBuffers()) {
        if (sampleCount == 0 || std::isnan(Value(0)) || lows.empty()) {
            dataYMin = dataYMax = Value(0);
        } else {
            dataYMin = lows.front().value;
            dataYMax = highs.front().value;
        }
    }
    if (autoScaleYOn) setShownRange(dataYMin, dataYMax);
}

bool Tplot_timeModel::TakeGeometry(int left, int top, int width, int height) {
    if (left == lastLeft && top == lastTop && width == lastWidth && height == lastHeight)
        return false;
    const bool resized = width != lastWidth || height != lastHeight;
    lastLeft = left;
    lastTop = top;
    lastWidth = width;
    lastHeight = height;
    needsRedraw = true;
    if (resized) ++backdropVersion;
    return resized;
}

void Tplot_timeModel::backdropChanged() {
    ++backdropVersion;
    needsRedraw = true;
}

void Tplot_timeModel::DrawIfNeeded(TplotCanvas& canvas, bool visible) {
    if (!needsRedraw) return;
    DrawComponent(canvas, visible);
    needsRedraw = false;
}

void Tplot_timeModel::UpdateDrawScaling() {
    double d = ShownYLow - ShownYHigh;
    if (d == 0) d = 0.00001;
    ScaleY = (lastHeight - 3) / d;
    OriginY = 1 - ScaleY * ShownYHigh;
    double e = sampleCount - 1;
    if (!(e > 0)) e = 0.00001;
    ScaleX = (lastWidth - 3) / e;
    OriginX = 1;
}

int Tplot_timeModel::row(double value) const {
    return toPixel(OriginY + ScaleY * value);
}

int Tplot_timeModel::column(int index) const {
    return toPixel(OriginX + index * ScaleX);
}

void Tplot_timeModel::MinMaxInOut(int a, int b) {
    if (!hasBuffers() || sampleCount <= 0) return; // nothing to summarise
    const int newest = sampleCount - 1;
    const int last = std::min(newest, historyLength - 1);
    double first, final, smallest, largest;
    if (a < 0 || b < 0 || a > last || b > last) {
        first = final = smallest = largest = Value(newest);
    } else {
        first = smallest = largest = Value(a);
        for (int k = a + 1; k <= b; ++k) {
            smallest = std::min(smallest, Value(k));
            largest = std::max(largest, Value(k));
        }
        final = Value(b);
    }
    PixIn = row(first);
    PixOut = row(final);
    PixMin = row(smallest);
    PixMax = row(largest);
}

void Tplot_timeModel::DrawComponent(TplotCanvas& canvas, bool visible) {
    if (!visible || lastWidth <= 0 || lastHeight <= 0) return;
    UpdateDrawScaling();
    if (!canvas.restoreBackdrop(backdropVersion)) {
        drawBackdrop(canvas);
        canvas.keepBackdrop(backdropVersion);
    }
    canvas.setPen(waveColor);
    if (!hasBuffers() || sampleCount <= 1) return;
    if (sampleCount <= lastWidth)
        drawCurve(canvas);
    else
        drawColumns(canvas);
}

void Tplot_timeModel::drawBackdrop(TplotCanvas& canvas) const {
    canvas.fillRect(0, 0, lastWidth, lastHeight, backColor);
    canvas.frameRect(0, 0, lastWidth, lastHeight, borderColor);
    canvas.setPen(gridColor);
    drawGrid(canvas);
}

void Tplot_timeModel::drawGrid(TplotCanvas& canvas) const {
    if (gridXdivisions > 0) {
        const int step = gridStep(lastWidth, gridXdivisions);
        for (std::int64_t k = 0; k <= gridLineCount(step, gridXdivisions); ++k) {
            const int x = static_cast<int>(k * step);
            canvas.moveTo(x, 0);
            canvas.lineTo(x, lastHeight);
        }
    }
    if (gridYdivisions > 0) {
        const int step = gridStep(lastHeight, gridYdivisions);
        for (std::int64_t k = 0; k <= gridLineCount(step, gridYdivisions); ++k) {
            const int y = static_cast<int>(k * step);
            canvas.moveTo(0, y);
            canvas.lineTo(lastWidth, y);
        }
    }
}

void Tplot_timeModel::drawCurve(TplotCanvas& canvas) {
    canvas.moveTo(0, row(Value(0)));
    for (int i = 1; i < sampleCount; ++i)
        canvas.lineTo(column(i), row(Value(i)));
}

void Tplot_timeModel::drawColumns(TplotCanvas& canvas) {
    const double r = static_cast<double>(sampleCount) / lastWidth;
    double pos = 0;
    canvas.moveTo(0, row(Value(0)));
    for (int x = 0; x < lastWidth; ++x) {
        const int a = static_cast<int>(std::ceil(pos));
        pos += r;
        const int b = static_cast<int>(std::floor(pos));
        MinMaxInOut(a, b);
        canvas.lineTo(x, PixIn);
        if (PixMax != PixMin) {
            canvas.moveTo(x, PixMin);
            canvas.lineTo(x, PixMax);
        }
        canvas.moveTo(x, PixOut);
    }
}
