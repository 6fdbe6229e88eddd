#pragma once

// What the weather model asks of the main window: the six hourly history bars and the trend
// display. Reached through theSystem.meteoView.
//
// A bar is named by the age in hours of the history entry it shows: 0 ("actual"), 1, 2, 4, 8 or
// 16, so bar n is the control pb<n>.
class TmeteoView {
public:
    virtual ~TmeteoView() = default;
    virtual void setBarEnabled(int bar, bool enabled) = 0;
    virtual void setBarValue(int bar, double mbar) = 0;
    virtual void setBarLowRange(int bar, double mbar) = 0;
    virtual void setBarHighRange(int bar, double mbar) = 0;
    // Trend code (0 quick down ... 4 slow up) and the hourly variation [mbar/h].
    virtual void showTrend(int trend, double variation) = 0;
};
