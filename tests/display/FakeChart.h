#pragma once

#include "charts/ChartView.h"

#include <vector>

// Records the samples and layouts the chart window is given.
class FakeChart : public TchartView {
public:
    void ResetCharts() override {}
    void NewSample(int D1, int D2, double temperature, double pressure, double altitude,
                   double humidity, double humidityTemperature) override {
        samples.push_back({double(D1), double(D2), temperature, pressure, altitude, humidity,
                           humidityTemperature});
    }
    void SetHumidityLayout(bool full) override { layouts.push_back(full); }

    std::vector<std::vector<double>> samples;
    std::vector<bool> layouts;
};
