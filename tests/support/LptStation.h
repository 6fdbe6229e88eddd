#pragma once

#include "measurement/StepLoop.h"
// after the loop it needs
#include "measurement/LptBench.h"
#include "measurement/SerialTree.h"
#include "station/Station.h"

#include <gtest/gtest.h>

// A station on virtual time with the emulated LPT module and no serial port; its calendar is the
// loop's clock in seconds. Nothing else is set up: a fixture adds its sinks and windows.
struct LptStation : ::testing::Test {
    TstepLoop loop;
    SerialTree noSerialPort;
    LptBench lpt{loop};
    Tstation station{[this] { return loop.now() / 1000; }};
};
