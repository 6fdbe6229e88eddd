#pragma once

#include "charts/ChartView.h"
#include "charts/DataFileSink.h"
#include "station/Reading.h"

// The chart window as an output of the station: every reading is plotted where valid, with the
// markers of the data file where the module gave no value.
class TchartSink : public TreadingSink {
public:
    explicit TchartSink(TchartView& chart) : chart(chart) {}
    void reading(const Treading& reading) override {
        const TlogSample s = TdataFileSink::logSampleOf(reading);
        chart.NewSample(s.D1, s.D2, s.temperature, s.pressure, s.altitude, s.humidity,
                        s.humidityTemperature);
    }

private:
    TchartView& chart;
};
