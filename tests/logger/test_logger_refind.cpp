// The whole logger in virtual time on the emulated LPT module: its own main sequence, display
// logic and re-finder, with the module pulled out and plugged back.
#include "LoggerTestSupport.h"
#include "logger/Logger.h"
#include "measurement/StepLoop.h"

#include "measurement/LptBench.h"
#include "measurement/SerialTree.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {
struct Altitudes : TsampleObserver {
    void sampleWritten(const TloggedSample& sample) override { seen.push_back(sample.altitude); }
    std::vector<double> seen;
};
} // namespace

TEST(LoggerRefind, TheAltitudeGoesOnWhenTheModuleIsFoundAgain) {
    TstepLoop loop;
    SerialTree tree; // no serial port
    LptBench lpt{loop};
    TempDir dir;
    std::ofstream(dir.file("setup.ini")) << "set_altitude\t100\nset_sampling_ts\t1\n";
    lpt.module.setConditions(1000, 20);
    std::vector<std::string> said;
    TloggerOptions options;
    options.settingsFile = dir.file("setup.ini");
    options.dataFile = dir.file("samples.dat");
    options.port = "LPT1";
    Tlogger logger(
        options, [&said](const std::string& line) { said.push_back(line); },
        [&loop] { return loop.now() / 1000; });
    Altitudes altitudes;
    logger.addObserver(&altitudes);
    const auto samples = [&altitudes](std::size_t n) {
        return [&altitudes, n] { return altitudes.seen.size() >= n; };
    };
    const auto saidLine = [&said](const char* start) {
        return [&said, start] { return !said.empty() && said.back().starts_with(start); };
    };
    ASSERT_TRUE(logger.start());
    ASSERT_TRUE(loop.runUntil(samples(2), 60'000));
    EXPECT_NEAR(altitudes.seen.back(), 100, 0.05);

    lpt.module.setFault(TlptModuleFault::DoutStuckHigh);
    ASSERT_TRUE(loop.runUntil(saidLine("module lost"), 60'000));
    lpt.module.setConditions(999, 20); // about 8.4 m up meanwhile
    lpt.module.setFault(TlptModuleFault::None);
    ASSERT_TRUE(loop.runUntil(saidLine("module found again"), 120'000)) << said.back();
    ASSERT_TRUE(loop.runUntil(samples(altitudes.seen.size() + 1), 60'000));
    EXPECT_NEAR(altitudes.seen.back(), 108.4, 0.3);
}
