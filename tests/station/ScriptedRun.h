#pragma once

#include "measurement/StepLoop.h"
// after the loop it needs
#include "measurement/LptBench.h"
#include "measurement/SerialTree.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

// One scripted run of the emulated LPT module in virtual time, the same for every assembly
// whose data file is compared: found, a slow fall of the pressure, unplugged for a while
// (the logger loses it and finds it again) and plugged back under other conditions. Times are
// written in UTC with the C locale's date and time.
struct ScriptedRun : ::testing::Test {
    static constexpr std::int64_t StartSeconds = 1'780'000'000;

    ScriptedRun() {
        setenv("TZ", "UTC", 1);
        tzset();
        std::ofstream(dir.file("setup.ini")) << "set_altitude\t100\nset_sampling_ts\t1\n";
        lpt.module.setConditions(1000, 20);
    }
    std::int64_t calendar() const { return StartSeconds + loop.now() / 1000; }

    void play() {
        loop.advance(20'000);
        for (int i = 0; i < 10; ++i) {
            lpt.module.setConditions(1000 - 0.7 * i, 20 + 0.3 * i);
            loop.advance(3'000);
        }
        lpt.module.setFault(TlptModuleFault::DoutStuckHigh);
        loop.advance(15'000);
        lpt.module.setConditions(995, 18);
        lpt.module.setFault(TlptModuleFault::None);
        loop.advance(90'000);
    }

    // The data file equals the reference kept beside the tests; with CORV_WRITE_REFERENCE set
    // the run writes the reference instead.
    void expectReference(const std::string& reference) {
        const std::string written = readWhole(dir.file("samples.dat"));
        const std::string path = std::string(CORV_STATION_DATA) + "/" + reference;
        if (std::getenv("CORV_WRITE_REFERENCE")) std::ofstream(path, std::ios::binary) << written;
        EXPECT_GT(written.size(), 2000u);
        EXPECT_TRUE(written == readWhole(path)) << reference;
    }

    InTempDir here; // the desktop program reads "setup.ini" from where it runs
    const TempDir& dir = here.dir;
    TstepLoop loop;
    SerialTree tree; // no serial port: the search tries LPT1 alone
    LptBench lpt{loop};
};
