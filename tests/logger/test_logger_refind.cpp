// The whole logger in virtual time on the emulated LPT module: its station, data file and
// re-finder, with the module pulled out and plugged back.
#include "LoggerTestSupport.h"
#include "logger/Logger.h"
#include "measurement/StepLoop.h"
#include "support/LoggerRunOptions.h"

#include "measurement/LptBench.h"
#include "measurement/SerialTree.h"

#include <gtest/gtest.h>

TEST(LoggerRefind, TheAltitudeGoesOnWhenTheModuleIsFoundAgain) {
    TstepLoop loop;
    SerialTree tree; // no serial port
    LptBench lpt{loop};
    TempDir dir;
    std::ofstream(dir.file("setup.ini")) << "set_altitude\t100\nset_sampling_ts\t1\n";
    lpt.module.setConditions(1000, 20);
    TloggerOptions options =
        loggerRunOptions(dir.file("setup.ini"), dir.file("samples.dat"), "LPT1", false);
    std::string said;
    Tlogger logger(
        options, [&said](const std::string& line) { said = line; },
        [&loop] { return loop.now() / 1000; });
    const auto saying = [&](const char* start) {
        return loop.runUntil([&] { return said.starts_with(start); }, 120'000);
    };
    ASSERT_TRUE(logger.start());
    ASSERT_TRUE(saying("module found"));
    loop.advance(3'000);
    EXPECT_NEAR(logger.station().values().altitude, 100, 0.05);

    lpt.module.setFault(TlptModuleFault::DoutStuckHigh);
    ASSERT_TRUE(saying("module lost"));
    lpt.module.setConditions(999, 20); // about 8.4 m up meanwhile
    lpt.module.setFault(TlptModuleFault::None);
    ASSERT_TRUE(saying("module found again"));
    loop.advance(3'000);
    EXPECT_NEAR(logger.station().values().altitude, 108.4, 0.3);
}
