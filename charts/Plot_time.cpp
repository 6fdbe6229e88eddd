#include "charts/Plot_time.h"

#include <QPainter>

#include <algorithm>

namespace {

QColor toQColor(Tcolor color) {
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

// Draws with one-pixel lines, without smoothing, onto an image.
class TimageCanvas : public TplotCanvas {
public:
    explicit TimageCanvas(QImage& image) : painter(&image) {}
    void fillRect(int x, int y, int width, int height, Tcolor color) override {
        painter.fillRect(x, y, width, height, toQColor(color));
    }
    void frameRect(int x, int y, int width, int height, Tcolor color) override {
        painter.setPen(toQColor(color));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(x, y, width - 1, height - 1);
        painter.setPen(pen);
    }
    void setPen(Tcolor color) override {
        pen = toQColor(color);
        painter.setPen(pen);
    }
    void moveTo(int x, int y) override { position = QPoint(x, y); }
    void lineTo(int x, int y) override {
        const QPoint to(x, y);
        painter.drawLine(position, to);
        position = to;
    }

private:
    QPainter painter;
    QColor pen;
    QPoint position;
};

} // namespace

Tplot_time::Tplot_time(QWidget* owner) : QWidget(owner), Bitmap(100, 100, QImage::Format_RGB32) {
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
    }
    TimageCanvas canvas(Bitmap);
    data.DrawIfNeeded(canvas, drawable());
}

bool Tplot_time::drawable() const {
    return !isHidden() || !testAttribute(Qt::WA_WState_ExplicitShowHide);
}

void Tplot_time::Paint() {
    prepareImage();
    update();
}

void Tplot_time::DrawComponent() {
    prepareImage();
    TimageCanvas canvas(Bitmap);
    data.DrawComponent(canvas, drawable());
}

void Tplot_time::paintEvent(QPaintEvent*) {
    prepareImage();
    QPainter(this).drawImage(0, 0, Bitmap);
}
