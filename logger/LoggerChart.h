#pragma once

#include "charts/ChartView.h"
#include "display/Tmeteo.h"
#include "logger/SampleObserver.h"

#include <functional>
#include <vector>

class TdataLog;
class TmainDisplay;
class Trefinder;

// Where the logger's samples go instead of a chart: a valid sample becomes a line of the data
// file and is handed to the observers; a sample that carries the invalid marker is no line at
// all and counts as a failed cycle for the re-finding of the module.
class TloggerChart : public TchartView {
public:
    TloggerChart(TdataLog& log, TmainDisplay& display, Trefinder& refinder, TcalendarClock clock);

    void addObserver(TsampleObserver* observer) { observers.push_back(observer); }
    void moduleLost() {
        for (TsampleObserver* observer : observers)
            observer->moduleLost();
    }
    // Called once when a line cannot be written; logging has ended then.
    void onWriteError(std::function<void()> handler) { writeError = std::move(handler); }

    void ResetCharts() override {}
    void NewSample(int D1, int D2, double temperature, double pressure, double altitude,
                   double humidity, double humidityTemperature) override;
    void SetHumidityLayout(bool) override {}

    // A sample is valid when neither its pressure nor its temperature is the invalid marker.
    static bool isValid(double pressure, double temperature);

private:
    TloggedSample describe(int D1, int D2, double temperature, double pressure, double altitude,
                           double humidity, double humidityTemperature) const;

    TdataLog& log;
    TmainDisplay& display;
    Trefinder& refinder;
    TcalendarClock clock;
    std::vector<TsampleObserver*> observers;
    std::function<void()> writeError;
};
