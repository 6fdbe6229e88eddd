#pragma once

// What the weather model asks of the main window: the six hourly history bars (index 0 the
// newest, "actual") and the trend display. Reached through theSystem.meteoView.
class TmeteoView {
public:
    virtual ~TmeteoView() = default;
    virtual void setBarEnabled(int bar, bool enabled) = 0;
    virtual void setBarValue(int bar, double mbar) = 0;
    virtual void setBarLowRange(int bar, double mbar) = 0;
    virtual void setBarHighRange(int bar, double mbar) = 0;
    // Trend code (0 quick down ... 4 slow up) and the hourly variation [mbar].
    virtual void showTrend(int trend, double variation) = 0;
};
