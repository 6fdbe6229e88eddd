#pragma once

// What the model asks of the chart window. Reached through theSystem.chartView.
class TchartView {
public:
    virtual ~TchartView() = default;
    // Automatic Y scaling on for every plot, then a refresh.
    virtual void ResetCharts() = 0;
    // One finished sample, plotted where valid.
    virtual void NewSample(int D1, int D2, double temperature, double pressure, double altitude,
                           double humidity, double humidityTemperature) = 0;
    // true: the layout with the humidity panels (and the matching range dialog); false: the
    // compact one without them.
    virtual void SetHumidityLayout(bool full) = 0;
};
