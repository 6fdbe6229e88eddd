#pragma once

// What the chart window needs from the main window.
class TchartHost {
public:
    virtual ~TchartHost() = default;
    // Removes the check mark of "View Chart"; called when the chart window closes or hides
    // itself.
    virtual void uncheckViewChart() = 0;
};
