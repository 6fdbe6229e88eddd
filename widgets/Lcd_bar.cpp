#include "widgets/Lcd_bar.h"

#include <QPainter>

Tlcd_bar::Tlcd_bar(QWidget* owner) : QWidget(owner) {
    setGeometry(0, 0, bar.cachedWidth(), bar.cachedHeight());
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor Tlcd_bar::toQColor(Tlcd_color c) {
    return QColor::fromRgb(QRgb(0xFF000000u | c));
}

Tlcd_color Tlcd_bar::fromQColor(const QColor& c) {
    return c.rgb() & 0xFFFFFFu;
}

void Tlcd_bar::Set_Value(double x) {
    bar.setValue(x);
    update();
}

void Tlcd_bar::Set_LowRange(double x) {
    bar.setLowRange(x, height());
    update();
}

void Tlcd_bar::Set_HighRange(double x) {
    bar.setHighRange(x, height());
    update();
}

void Tlcd_bar::Set_NbrSegments(int n) {
    bar.setNbrSegments(n, height());
    update();
}

void Tlcd_bar::Set_Enable(bool on) {
    bar.setEnable(on);
    update();
}

void Tlcd_bar::Set_BGColor(const QColor& c) {
    bar.setBackground(fromQColor(c));
    update();
}

void Tlcd_bar::Set_FGColor(const QColor& c) {
    bar.setForeground(fromQColor(c));
    update();
}

void Tlcd_bar::Set_BDColor(const QColor& c) {
    bar.setBorder(fromQColor(c));
    update();
}

void Tlcd_bar::paintEvent(QPaintEvent*) {
    const bool redraw = bar.beginPaint(width(), height());
    const QSize size(bar.cachedWidth(), bar.cachedHeight());
    if (redraw || image.size() != size) {
        if (image.size() != size) image = QImage(size, QImage::Format_RGB32);
        DrawComponent();
    }
    QPainter(this).drawImage(0, 0, image);
}

void Tlcd_bar::DrawComponent() {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const Tlcd_step& step : bar.drawing()) {
        const QColor color = toQColor(step.color);
        const QRect rect(QPoint(step.x1, step.y1), QPoint(step.x2 - 1, step.y2 - 1));
        switch (step.kind) {
        case Tlcd_step::Fill: painter.fillRect(rect, color); break;
        case Tlcd_step::Frame:
            painter.setPen(QPen(color, 0));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(rect.adjusted(0, 0, -1, -1));
            break;
        case Tlcd_step::Line:
            painter.setPen(QPen(color, 0));
            painter.drawLine(step.x1, step.y1, step.x2, step.y2);
            break;
        }
    }
}
