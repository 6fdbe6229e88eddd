#pragma once

#include "FakeChart.h"
#include "FakeForm.h"
#include "charts/ChartSink.h"
#include "core/Globals.h"
#include "core/Prompts.h"
#include "core/VirtualLoop.h"
#include "display/TmainDisplay.h"
#include "measurement/Tsensor.h"
#include "station/Station.h"
#include "station/Tmeteo.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Also records each file dialog's title and filter (the save dialog comes through openFile too).
class DialogPrompts : public TscriptedPrompts {
public:
    std::string openFile(const std::string& title, const std::string& filter,
                         const std::string& preset) override {
        dialogs.push_back(title + " | " + filter);
        return TscriptedPrompts::openFile(title, filter, preset);
    }
    std::vector<std::string> dialogs;
};

// The main display writing to fake main and small windows, and a fake chart, as sinks of a
// station (a real sensor and weather model) on a clock the test sets, in a private working
// directory.
class MainDisplay : public ::testing::Test {
protected:
    MainDisplay() {
        theSystem.prompts = &prompts;
        theSystem.meteoView = &display;
        theSystem.chartView = &chart;
        display.setStation(&station);
        station.setSettingsFile("setup.ini", true);
        station.addSink(&chartSink);
        display.setMainForm(&mainForm);
        display.setSmallForm(&smallForm);
    }
    ~MainDisplay() override { theSystem = Tsystem{}; }

    // One sample through the station, as the main sequence hands it over.
    void sample(double pressure, double temperature, double humidity = 0) {
        sensor.pressure = pressure;
        sensor.temperature = temperature;
        sensor.humidity = humidity;
        station.showSample();
    }

    InTempDir temp;
    TvirtualLoop loop;
    std::int64_t now = 1'000'000;
    DialogPrompts prompts;
    FakeChart chart;
    TchartSink chartSink{chart};
    Tstation station{[this] { return now; }};
    Tsensor& sensor = station.sensor();
    Tmeteo& meteo = station.meteo();
    FakeForm mainForm;
    FakeForm smallForm;
    TmainDisplay display;
};
