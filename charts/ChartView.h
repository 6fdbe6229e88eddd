#pragma once

// What the model asks of the chart window. Reached through theSystem.chartView.
class TchartView {
public:
    virtual ~TchartView() = default;
    // Automatic Y scaling on for every plot, then a refresh.
    virtual void ResetCharts() = 0;
};
