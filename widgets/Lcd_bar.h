#pragma once

#include "widgets/Lcd_bar_model.h"

#include <QColor>
#include <QImage>
#include <QWidget>

// LCD-style bar graph: one value as a vertical stack of segments lit from the bottom up to the
// value, or a red cross while the display is disabled. It paints into a bitmap of its own size,
// and draws that bitmap again only after a setter ran or the size changed.
class Tlcd_bar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool EnableDisplay READ EnableDisplay WRITE Set_Enable)
    Q_PROPERTY(double YLowRange READ YLowRange WRITE Set_LowRange)
    Q_PROPERTY(double YHighRange READ YHighRange WRITE Set_HighRange)
    Q_PROPERTY(int NbrOfSegments READ NbrOfSegments WRITE Set_NbrSegments)
    Q_PROPERTY(QColor BackGroundColor READ BackGroundColor WRITE Set_BGColor)
    Q_PROPERTY(QColor ForeGroundColor READ ForeGroundColor WRITE Set_FGColor)
    Q_PROPERTY(QColor BorderColor READ BorderColor WRITE Set_BDColor)
    Q_PROPERTY(double BarValue READ BarValue WRITE Set_Value)

public:
    // At (0, 0), 100 x 200 pixels, one segment, range 0..100, value 0, red on black, lime frame.
    explicit Tlcd_bar(QWidget* owner = nullptr);

    void Set_Value(double x);
    void Set_LowRange(double x);
    void Set_HighRange(double x);
    void Set_NbrSegments(int n);
    void Set_Enable(bool on);
    void Set_BGColor(const QColor& c);
    void Set_FGColor(const QColor& c);
    void Set_BDColor(const QColor& c);

    bool EnableDisplay() const { return bar.enabled(); }
    double YLowRange() const { return bar.lowRange(); }
    double YHighRange() const { return bar.highRange(); }
    int NbrOfSegments() const { return bar.segments(); }
    QColor BackGroundColor() const { return toQColor(bar.background()); }
    QColor ForeGroundColor() const { return toQColor(bar.foreground()); }
    QColor BorderColor() const { return toQColor(bar.border()); }
    double BarValue() const { return bar.value(); }

    const Tlcd_bar_model& model() const { return bar; }
    // The off-screen bitmap as last drawn.
    const QImage& bitmap() const { return image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    static QColor toQColor(Tlcd_color c);
    static Tlcd_color fromQColor(const QColor& c);
    void DrawComponent();

    Tlcd_bar_model bar;
    QImage image;
};
