// The station on virtual time with the emulated LPT module and sinks written here: no window,
// form or global set up by a test.
#include "support/FakeHistory.h"
#include "support/LptStation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Readings : TreadingSink {
    void reading(const Treading& r) override { all.push_back(r); }
    std::vector<Treading> all;
};

// The events as words, readings as "reading" or "nothing" when the module gave no pressure.
struct Events : TreadingSink {
    void reading(const Treading& r) override { said.push_back(r.pressure ? "reading" : "nothing"); }
    void portTried(const std::string& port) override { said.push_back(port); }
    void searchEnded(bool found) override { said.push_back(found ? "found" : "not found"); }
    void moduleLost() override { said.push_back("lost"); }
    void moduleFoundAgain() override { said.push_back("found again"); }
    void referenceReset() override { said.push_back("reset"); }
    std::vector<std::string> said;
};

} // namespace

TEST_F(LptStation, ASinkOfItsOwnReceivesTheReadingsOfAMeasuredModule) {
    lpt.module.setConditions(1000, 20);
    Readings sink;
    station.addSink(&sink);
    station.start();
    ASSERT_TRUE(loop.runUntil([&] { return sink.all.size() == 3; }, 60'000));
    EXPECT_NEAR(sink.all[2].pressure.value_or(0), 1000, 0.05);
    EXPECT_NEAR(sink.all[2].temperature.value_or(0), 20, 0.05);
    EXPECT_EQ(sink.all[2].time - sink.all[1].time, 1);
    EXPECT_FALSE(sink.all[2].humidity);
    EXPECT_FALSE(sink.all[2].qff || sink.all[2].tendencyAmount || sink.all[2].stormAlarm);
}

TEST_F(LptStation, LostAndFoundAgainInTheOrderTheyHappen) {
    Events events;
    station.addSink(&events);
    station.start();
    ASSERT_TRUE(loop.runUntil([&] { return events.said.size() == 4; }, 60'000));
    lpt.module.setFault(TlptModuleFault::DoutStuckHigh);
    loop.advance(1'500);
    station.moduleLost();
    lpt.module.setFault(TlptModuleFault::None);
    ASSERT_TRUE(loop.runUntil([&] { return events.said.size() == 10; }, 60'000));
    station.stop();
    loop.advance(5'000);
    EXPECT_EQ(events.said,
              (std::vector<std::string>{"LPT1", "found", "reset", "reading", "nothing", "lost",
                                        "LPT1", "found", "found again", "reading"}));
}

// With a history the station recalls it once at its start and fills the products of every
// reading from the calibrated pressure; without one (the test above) they stay absent.
TEST_F(LptStation, WithAHistoryTheReadingsCarryTheProductsOfTheCalibratedPressure) {
    lpt.module.setConditions(1000, 20);
    TfakeHistory history(-4 * 3600, -60);
    history.pressure = [](std::int64_t) { return 1010.0; };
    Readings sink;
    station.addSink(&sink);
    station.setHistory(&history);
    station.setPressureOffset(0.8);
    station.start();
    ASSERT_TRUE(loop.runUntil([&] { return sink.all.size() == 3; }, 60'000));
    EXPECT_EQ(history.asked, 1);
    const Treading& r = sink.all[2];
    EXPECT_NEAR(r.pressure.value_or(0), 1000.8, 0.05);
    EXPECT_NEAR(r.seaLevelPressure.value_or(0) - r.pressure.value_or(0),
                station.values().seaLevelOffset, 1e-9);
    EXPECT_EQ(r.pressureOffset, 0.8);
    EXPECT_NEAR(r.qff.value_or(0), r.pressure.value_or(0), 1e-9); // at 0 m
    EXPECT_NEAR(r.tendencyAmount.value_or(0), -9.2, 0.051);
    EXPECT_EQ(r.tendencyCharacteristic.value_or(-1), 8);
    EXPECT_TRUE(r.stormAlarm);
    EXPECT_NEAR(station.values().pressureMax, r.seaLevelPressure.value_or(0), 1e-9);
}
