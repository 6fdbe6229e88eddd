#pragma once

#include <cstdint>
#include <vector>

// Colours as 0xRRGGBB.
using Tlcd_color = std::uint32_t;

// One drawing step of the bar's bitmap. Rectangles exclude their right and bottom edges; a line
// runs from (x1, y1) towards (x2, y2).
struct Tlcd_step {
    enum Kind { Fill, Frame, Line };
    Kind kind;
    int x1, y1, x2, y2;
    Tlcd_color color;
    bool operator==(const Tlcd_step&) const = default;
};

// Lit segments of a bar: ceil((value - low) / (high - low) x segments), within 0..segments.
// Equal range ends light nothing.
int lcdLitSegments(double value, double low, double high, int segments);

// State and arithmetic of the LCD bar graph, free of any toolkit: the range and value with their
// clamps, the segment geometry and the list of drawing steps. The widget keeps one, tells it its
// control size and paints the steps.
class Tlcd_bar_model {
public:
    static constexpr Tlcd_color black = 0x000000;
    static constexpr Tlcd_color red = 0xFF0000;
    static constexpr Tlcd_color lime = 0x00FF00;

    // A control of 100 x 200 pixels with one segment, range 0..100 and value 0.
    Tlcd_bar_model();

    // Clamps x into the range, first against the high end and then against the low end.
    void setValue(double x);
    // The range ends; the value is not clamped again. Rescales to the control's height.
    void setLowRange(double x, int controlHeight);
    void setHighRange(double x, int controlHeight);
    // n within 1 .. (cached height - 3) / 2; rescales to the control's height.
    void setNbrSegments(int n, int controlHeight);
    void setEnable(bool on);
    void setBackground(Tlcd_color c);
    void setForeground(Tlcd_color c);
    void setBorder(Tlcd_color c);
    // Usable height and segment height for a control of the given height.
    void rescale(int controlHeight);

    // Start of a paint with the control's current size: a changed size becomes the cached size
    // and rescales. Returns whether the bitmap must be drawn again, and clears that request.
    bool beginPaint(int width, int height);
    // The drawing of the bitmap at the cached size, in painting order.
    std::vector<Tlcd_step> drawing() const;

    double value() const { return barValue; }
    double lowRange() const { return yLowRange; }
    double highRange() const { return yHighRange; }
    int segments() const { return nbrOfSegments; }
    bool enabled() const { return enableDisplay; }
    Tlcd_color background() const { return backGroundColor; }
    Tlcd_color foreground() const { return foreGroundColor; }
    Tlcd_color border() const { return borderColor; }
    int cachedWidth() const { return width; }
    int cachedHeight() const { return height; }
    int usableHeight() const { return usable; }
    int segmentHeight() const { return segHeight; }
    int litSegments() const;
    bool redrawPending() const { return redraw; }

private:
    int width = 100;
    int height = 200;
    int usable = 196;
    bool redraw = false;
    int segHeight = 196;
    double barValue = 0.0;
    double yLowRange = 0.0;
    double yHighRange = 100.0;
    bool enableDisplay = true;
    Tlcd_color backGroundColor = black;
    Tlcd_color foreGroundColor = red;
    Tlcd_color borderColor = lime;
    int nbrOfSegments = 1;
};
