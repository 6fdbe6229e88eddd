// The logger stopped (SIGTERM, SIGINT) while its search pauses after a port's result: a step
// that cannot be cancelled, yet the logger ends within its stop time. Virtual time, the module
// on the emulated parallel port.
#include "LoggerTestSupport.h"
#include "core/VirtualLoop.h"
#include "logger/Logger.h"
#include "measurement/LptBench.h"
#include "support/LoggerRunOptions.h"

#include <gtest/gtest.h>

#include <string>

TEST(LoggerStop, AStopInTheFoundOrNotFoundPauseEndsWithinTheStopTime) {
    for (const bool module : {true, false}) {
        TvirtualLoop loop;
        LptBench lpt{loop};
        if (!module) lpt.module.setFault(TlptModuleFault::DoutStuckHigh);
        TempDir dir;
        const std::string pauseLine = module ? "LPT1: found" : "LPT1: not found";
        std::int64_t stoppedAt = -1;
        Tlogger* stopped = nullptr;
        Tlogger logger(
            loggerRunOptions(dir.file("setup.ini"), dir.file("samples.dat"), "LPT1", true),
            [&](const std::string& line) {
                if (line != pauseLine || stoppedAt >= 0) return;
                stoppedAt = loop.now();
                stopped->requestStop();
            });
        stopped = &logger;
        ASSERT_TRUE(logger.start());
        EXPECT_TRUE(loop.runUntil([&] { return logger.finished(); }, 60'000)) << pauseLine;
        ASSERT_GE(stoppedAt, 0) << pauseLine;
        EXPECT_LE(loop.now() - stoppedAt, Tlogger::StopTimeoutMs) << pauseLine;
        EXPECT_EQ(logger.exitStatus(), 0);
    }
}
