#pragma once

#include "measurement/Fakes.h"
#include "measurement/LptBench.h"
#include "measurement/Seqmain.h"
#include "measurement/SerialTree.h"
#include "measurement/StepLoop.h"
#include "measurement/Tsensor.h"

#include <gtest/gtest.h>

#include <concepts>
#include <cstdint>
#include <functional>

// No serial port beside the emulated LPT module.
struct NoPorts {
    explicit NoPorts(SerialTree&) {}
};

// The station on virtual time: the main sequence measuring the emulated LPT module, the serial
// ports that `Ports` publishes in the rig's device tree (made before the sensor and gone after
// it), and the main window, intro, settings file and application stood in for. The rig's parts
// stand in theSystem for its lifetime; a fixture built on it puts its own window or weather
// model in their place in its constructor. The view and the intro get the loop's clock when
// they take one.
template <class View = FakeMainView, class Intro = FakeIntro, class Loop = TstepLoop,
          class Ports = NoPorts>
struct StationRig : ::testing::Test {
    using Clock = std::function<std::int64_t()>;

    Loop loop;
    SerialTree tree;
    Ports ports{tree};
    LptBench lpt{loop};
    View view = clocked<View>();
    Intro intro = clocked<Intro>();
    FakeSettings settings;
    FakeApp app;
    Tsensor sensor;
    TseqMAIN seq;
    SystemScope scope{Tsystem{.sensor = &sensor, .seqMain = &seq, .mainView = &view, .app = &app},
                      &intro, &settings};

    void noModule() { lpt.module.setFault(TlptModuleFault::DoutStuckHigh); }
    // Runs the loop until the main window has been shown n samples in all; a loop that waits
    // for ptys pumps them meanwhile.
    bool samples(std::size_t n, std::int64_t maxMs = 120'000) {
        const auto shown = [&] { return view.samples.size() >= n; };
        if constexpr (requires { loop.pumpUntil(shown, maxMs); })
            return loop.pumpUntil(shown, maxMs);
        else
            return loop.runUntil(shown, maxMs);
    }

private:
    template <class T> T clocked() {
        if constexpr (std::constructible_from<T, Clock>)
            return T{Clock{[this] { return loop.now(); }}};
        else
            return T{};
    }
};
