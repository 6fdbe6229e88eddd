#include "charts/Plot_time.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {

QColor toQColor(Tcolor color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

// Draws with one-pixel lines, without smoothing, onto an image, and keeps the backdrop in a
// second image of the same size to copy it back for the next picture. Lines in one pen go to
// the painter together: one call for the whole curve instead of one for each of its segments.
// The painter begins on the image only when something is drawn.
class TimageCanvas : public TplotCanvas {
public:
    TimageCanvas(QImage& image, Tbackdrop& kept)
        : image(image), kept(kept), pixels(Tpixels::of(image)) {}
    ~TimageCanvas() override { flush(); }
    TimageCanvas(const TimageCanvas&) = delete;
    TimageCanvas& operator=(const TimageCanvas&) = delete;

    void fillRect(int x, int y, int width, int height, Tcolor color) override {
        flush();
        kept.touchedAll = true;
        painter().fillRect(x, y, width, height, toQColor(color));
    }
    void frameRect(int x, int y, int width, int height, Tcolor color) override {
        flush();
        kept.touchedAll = true;
        painter().setPen(toQColor(color));
        painter().setBrush(Qt::NoBrush);
        painter().drawRect(x, y, width - 1, height - 1);
        painter().setPen(pen);
    }
    void setPen(Tcolor color) override {
        flush();
        pen = toQColor(color);
        penPixel = pen.rgb();
        if (active) active->setPen(pen);
    }
    void moveTo(int x, int y) override { position = QPoint(x, y); }
    void lineTo(int x, int y) override {
        const QPoint to(x, y);
        if (!drawColumnStep(pixels, position, to, penPixel)) lines.emplace_back(position, to);
        kept.touchLine(position, to);
        position = to;
    }

    bool restoreBackdrop(std::uint64_t version) override {
        if (kept.version != version) return false;
        flush();
        return kept.restoreInto(image);
    }
    void keepBackdrop(std::uint64_t version) override {
        flush();
        kept.image = image.copy();
        kept.version = version;
        kept.clearTouched();
        kept.changedAll = true;
    }

private:
    QPainter& painter() {
        if (!active) {
            active.emplace(&image);
            active->setPen(pen);
        }
        return *active;
    }
    void flush() {
        if (lines.empty()) return;
        painter().drawLines(lines.data(), static_cast<int>(lines.size()));
        lines.clear();
    }

    QImage& image;
    Tbackdrop& kept;
    const Tpixels pixels; // the picture is no other's, so its pixels stay where they are
    std::optional<QPainter> active;
    QColor pen;
    QRgb penPixel = 0;
    QPoint position;
    std::vector<QLine> lines;
};

} // namespace

Tpixels Tpixels::of(QImage& picture) {
    if (picture.format() != QImage::Format_RGB32) return {};
    return {reinterpret_cast<QRgb*>(picture.bits()),
            static_cast<std::ptrdiff_t>(picture.bytesPerLine() / sizeof(QRgb)), picture.width(),
            picture.height()};
}

bool drawColumnStep(const Tpixels& picture, QPoint from, QPoint to, QRgb color) {
    const auto inside = [&picture](QPoint p) {
        return p.x() >= 0 && p.y() >= 0 && p.x() < picture.width && p.y() < picture.height;
    };
    const int dx = to.x() - from.x();
    if ((dx != 0 && dx != 1) || !picture.bits || !inside(from) || !inside(to)) return false;
    const int down = to.y() > from.y() ? 1 : -1;
    const int firstEnd = dx == 0 || to.y() == from.y() ? to.y() : to.y() - down;
    QRgb* pixel = picture.bits + std::min(from.y(), firstEnd) * picture.stride + from.x();
    for (int rows = std::abs(firstEnd - from.y()); rows >= 0; --rows, pixel += picture.stride)
        *pixel = color;
    picture.bits[to.y() * picture.stride + to.x()] = color;
    return true;
}

void Tbackdrop::clearTouched() {
    touched.assign(static_cast<std::size_t>(image.height()), {image.width(), -1});
    touchedAll = false;
}

void Tbackdrop::touchLine(QPoint from, QPoint to) {
    if (touchedAll) return;
    const int top = std::max(std::min(from.y(), to.y()) - 1, 0);
    const int bottom = std::min(std::max(from.y(), to.y()) + 1, image.height() - 1);
    const int left = std::max(std::min(from.x(), to.x()) - 1, 0);
    const int right = std::min(std::max(from.x(), to.x()) + 1, image.width() - 1);
    if (left > right) return; // wholly left or right of the picture
    for (int y = top; y <= bottom; ++y) {
        auto& columns = touched[static_cast<std::size_t>(y)];
        columns = {std::min(columns.first, left), std::max(columns.second, right)};
    }
}

// Row by row, each from its first to its last touched column.
bool Tbackdrop::restoreInto(QImage& picture) {
    if (picture.size() != image.size() || picture.format() != image.format()) return false;
    if (touchedAll) {
        std::memcpy(picture.bits(), image.constBits(),
                    static_cast<std::size_t>(picture.sizeInBytes()));
        changedAll = true;
    } else {
        if (changed.size() != touched.size()) changed.assign(touched.size(), {image.width(), -1});
        for (std::size_t y = 0; y < touched.size(); ++y)
            changed[y] = {std::min(changed[y].first, touched[y].first),
                          std::max(changed[y].second, touched[y].second)};
        uchar* to = picture.bits();
        const uchar* from = image.constBits();
        const auto stride = static_cast<std::ptrdiff_t>(picture.bytesPerLine());
        for (int y = 0; y < picture.height(); ++y) {
            const auto [first, last] = touched[static_cast<std::size_t>(y)];
            if (first > last) continue;
            const std::ptrdiff_t at = y * stride + first * std::ptrdiff_t{sizeof(QRgb)};
            std::memcpy(to + at, from + at,
                        static_cast<std::size_t>(last - first + 1) * sizeof(QRgb));
        }
    }
    clearTouched();
    return true;
}

// Rows with the same columns one under the other make one rectangle.
QRegion Tbackdrop::takeChanged(QSize size) {
    QRegion region;
    if (changedAll || touchedAll || image.size() != size) {
        region = QRect(QPoint(0, 0), size);
    } else {
        std::vector<QRect> rects;
        for (std::size_t y = 0; y < touched.size(); ++y) {
            auto [first, last] = touched[y];
            if (y < changed.size()) {
                first = std::min(first, changed[y].first);
                last = std::max(last, changed[y].second);
            }
            if (first > last) continue;
            const int row = static_cast<int>(y);
            QRect* above = rects.empty() ? nullptr : &rects.back();
            if (above && above->bottom() == row - 1 && above->left() == first &&
                above->right() == last)
                above->setBottom(row);
            else
                rects.emplace_back(QPoint(first, row), QPoint(last, row));
        }
        region.setRects(rects.data(), static_cast<int>(rects.size()));
    }
    changed.clear();
    changedAll = false;
    return region;
}

Tplot_time::Tplot_time(QWidget* owner) : QWidget(owner), Bitmap(100, 100, QImage::Format_RGB32) {
    setAttribute(Qt::WA_OpaquePaintEvent); // the picture covers the whole control
    setGeometry(100, 100, 100, 100);
    Bitmap.fill(Qt::black);
}

void Tplot_time::ClearContent() {
    data.ClearContent();
}

void Tplot_time::SetHistoryLength(int n) {
    data.SetHistoryLength(n);
}

void Tplot_time::AddSample(double value, double time) {
    data.AddSample(value, time);
    Paint();
}

bool Tplot_time::YScaleChangedSinceLastCheck() {
    return data.YScaleChangedSinceLastCheck();
}

void Tplot_time::SetAutoScaleY(bool on) {
    data.SetAutoScaleY(on);
    Paint();
}

void Tplot_time::SetManualYScaleLow(double v) {
    data.SetManualYScaleLow(v);
    Paint();
}

void Tplot_time::SetManualYScaleHigh(double v) {
    data.SetManualYScaleHigh(v);
    Paint();
}

void Tplot_time::Set_x_grid_nbr(int n) {
    data.Set_x_grid_nbr(n);
    Paint();
}

void Tplot_time::Set_y_grid_nbr(int n) {
    data.Set_y_grid_nbr(n);
    Paint();
}

void Tplot_time::SetGridColor(Tcolor color) {
    data.SetGridColor(color);
    Paint();
}

void Tplot_time::SetBGColor(Tcolor color) {
    data.SetBGColor(color);
    Paint();
}

void Tplot_time::SetWVColor(Tcolor color) {
    data.SetWVColor(color);
    Paint();
}

void Tplot_time::SetBorderColor(Tcolor color) {
    data.SetBorderColor(color);
    Paint();
}

void Tplot_time::prepareImage() {
    if (data.TakeGeometry(x(), y(), width(), height())) {
        Bitmap = QImage(std::max(width(), 1), std::max(height(), 1), QImage::Format_RGB32);
        Bitmap.fill(Qt::black);
        backdrop.changedAll = true;
    }
    TimageCanvas canvas(Bitmap, backdrop);
    data.DrawIfNeeded(canvas, drawable());
}

bool Tplot_time::drawable() const {
    return !isHidden() || !testAttribute(Qt::WA_WState_ExplicitShowHide);
}

bool Tplot_time::offScreen() const {
    return drawable() && !isVisible();
}

const QImage& Tplot_time::GetBitmap() {
    prepareImage();
    return Bitmap;
}

// The changed part goes onto the screen as one rectangle: under a clip of many rectangles the
// painter shares a large copy out among helper threads, and their wake-ups cost more than the
// copy of a few more pixels. A plot whose window is hidden draws only when it is shown or its
// picture is asked for.
void Tplot_time::Paint() {
    if (offScreen()) return;
    prepareImage();
    update(backdrop.takeChanged(Bitmap.size()).boundingRect());
}

void Tplot_time::DrawComponent() {
    prepareImage();
    TimageCanvas canvas(Bitmap, backdrop);
    data.DrawComponent(canvas, drawable());
}

// A picture drawn only now goes onto the screen in full, at once or by a further paint.
void Tplot_time::paintEvent(QPaintEvent* event) {
    prepareImage();
    const QRegion pending = backdrop.takeChanged(Bitmap.size()) - event->region();
    if (!pending.isEmpty()) update(pending);
    QPainter painter(this);
    for (const QRect& r : event->region())
        painter.drawImage(r.topLeft(), Bitmap, r);
}
