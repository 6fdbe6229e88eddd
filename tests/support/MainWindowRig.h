#pragma once

#include "core/Globals.h"
#include "core/Prompts.h"
#include "core/VirtualLoop.h"
#include "display/Tmain.h"
#include "display/Tsmall.h"
#include "measurement/Seqmain.h"
#include "measurement/Tsensor.h"
#include "station/Station.h"
#include "station/Tmeteo.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>

// The main and small windows over a station (a real sensor and weather model), every box
// answered from a script, in a private working directory. A fixture built on it adds the windows it
// needs and shows the main window.
struct MainWindowRig : ::testing::Test {
    MainWindowRig() {
        theSystem.prompts = &prompts;
        main.display().setStation(&station);
        station.setSettingsFile("setup.ini", true);
        main.setSmallWindow(&small);
        small.setMainDisplay(&main.display());
    }
    ~MainWindowRig() override { theSystem = Tsystem{}; }

    InTempDir temp;
    TvirtualLoop loop;
    Tstation station{[] { return std::int64_t{1'000'000}; }};
    Tsensor& sensor = station.sensor();
    Tmeteo& meteo = station.meteo();
    TseqMAIN& seqMain = station.sequence();
    TscriptedPrompts prompts;
    TWmain main;
    TWsmall small;
};
