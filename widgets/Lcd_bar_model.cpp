#include "widgets/Lcd_bar_model.h"

#include <cmath>

int lcdLitSegments(double value, double low, double high, int segments) {
    if (high == low) return 0;
    const double lit = std::ceil((value - low) / (high - low) * segments);
    // Compare in double before converting: a huge or undefined fraction stays in range.
    if (!(lit > 0.0)) return 0;
    if (lit >= segments) return segments;
    return static_cast<int>(lit);
}

Tlcd_bar_model::Tlcd_bar_model() = default;

void Tlcd_bar_model::setValue(double x) {
    if (x > yHighRange) x = yHighRange;
    if (x < yLowRange) x = yLowRange;
    barValue = x;
    redraw = true;
}

void Tlcd_bar_model::setLowRange(double x, int controlHeight) {
    yLowRange = x;
    rescale(controlHeight);
    redraw = true;
}

void Tlcd_bar_model::setHighRange(double x, int controlHeight) {
    yHighRange = x;
    rescale(controlHeight);
    redraw = true;
}

void Tlcd_bar_model::setNbrSegments(int n, int controlHeight) {
    const int most = (height - 3) / 2;
    if (n < 1) n = 1;
    if (n > most) n = most;
    // A control too small for even one segment still keeps one.
    nbrOfSegments = n < 1 ? 1 : n;
    rescale(controlHeight);
    redraw = true;
}

void Tlcd_bar_model::setEnable(bool on) {
    enableDisplay = on;
    redraw = true;
}

void Tlcd_bar_model::setBackground(Tlcd_color c) {
    backGroundColor = c;
    redraw = true;
}

void Tlcd_bar_model::setForeground(Tlcd_color c) {
    foreGroundColor = c;
    redraw = true;
}

void Tlcd_bar_model::setBorder(Tlcd_color c) {
    borderColor = c;
    redraw = true;
}

void Tlcd_bar_model::rescale(int controlHeight) {
    usable = controlHeight - 2 * nbrOfSegments - 2;
    segHeight = usable / nbrOfSegments;
}

bool Tlcd_bar_model::beginPaint(int w, int h) {
    if (w != width || h != height) {
        width = w;
        height = h;
        rescale(h);
        redraw = true;
    }
    const bool pending = redraw;
    redraw = false;
    return pending;
}

int Tlcd_bar_model::litSegments() const {
    return lcdLitSegments(barValue, yLowRange, yHighRange, nbrOfSegments);
}

std::vector<Tlcd_step> Tlcd_bar_model::drawing() const {
    std::vector<Tlcd_step> steps{{Tlcd_step::Fill, 0, 0, width, height, backGroundColor}};
    if (!enableDisplay) {
        steps.push_back({Tlcd_step::Line, 0, 0, width, height, red});
        steps.push_back({Tlcd_step::Line, 0, height, width, 0, red});
        return steps;
    }
    steps.push_back({Tlcd_step::Frame, 0, 0, width, height, borderColor});
    const int lit = litSegments();
    const int left = 2;
    const int right = width - 2;
    int bottom = height - 2;
    for (int i = 0; i < nbrOfSegments; ++i) {
        const int top = bottom - segHeight;
        const Tlcd_color color = i < lit ? foreGroundColor : backGroundColor;
        if (top < bottom && left < right)
            steps.push_back({Tlcd_step::Fill, left, top, right, bottom, color});
        bottom = top - 2;
    }
    return steps;
}
