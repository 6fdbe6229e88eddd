#include "emulator/LptModuleEmulator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

// Clocks the module by hand, with a timing of its own: DIN is set while SCLK is low, and it is
// changed again while SCLK is high, which the sensor must not take as a bit.
struct HandClock {
    std::int64_t ms = 0;
    TlptModuleEmulator module{[this] { return ms; }};

    void line(int sclk, int din, bool power = true) {
        module.write(LPT1_DATA, static_cast<std::uint8_t>((power ? 0xFC : 0) | din << 1 | sclk));
    }
    void bits(const std::string& text) {
        for (char c : text) {
            if (c != '0' && c != '1') continue;
            const int din = c - '0';
            line(0, din);
            line(1, din);
            line(1, din ^ 1);
            line(0, 0);
        }
    }
    bool dout() { return (module.read(LPT1_STATUS) & 0x20) != 0; }
    std::uint16_t readWord() {
        std::uint16_t value = 0;
        for (int i = 0; i < 16; ++i) {
            line(1, 0);
            value = static_cast<std::uint16_t>(value << 1 | (dout() ? 1 : 0));
            line(0, 0);
        }
        return value;
    }
};

constexpr const char* Reset = "1010101010101010 00000";

} // namespace

TEST(LptModuleEmulator, AnswersCalibrationFramesDecodedFromTheEdges) {
    HandClock h;
    h.bits(Reset);
    EXPECT_EQ(h.module.lastCommand(), Tqx4180Command::Reset);
    h.bits("111 011001 0000");
    EXPECT_EQ(h.module.lastCommand(), Tqx4180Command::ReadW3);
    EXPECT_EQ(h.readWord(), h.module.model().word(3));
    h.bits("111 010110 0000");
    EXPECT_EQ(h.readWord(), h.module.model().word(2));
    EXPECT_EQ(h.module.risingEdges(), 21 + 2 * (13 + 16));
}

TEST(LptModuleEmulator, ConvertsForTheConfiguredTimeThenShiftsTheResultOut) {
    HandClock h;
    h.module.setConditions(870, -5);
    h.module.setConversionTime(20);
    h.bits("111 1001 0000");
    EXPECT_EQ(h.module.lastCommand(), Tqx4180Command::ConvertD2);
    EXPECT_TRUE(h.dout());
    h.bits("0101"); // clocks during a conversion are ignored
    h.ms = 19;
    EXPECT_TRUE(h.dout());
    h.ms = 20;
    EXPECT_FALSE(h.dout());
    EXPECT_EQ(h.readWord(), h.module.model().rawFor(870, -5).D2);
    h.bits("111 1010 0000"); // the next conversion takes the same time
    h.ms = 39;
    EXPECT_TRUE(h.dout());
    h.ms = 40;
    EXPECT_FALSE(h.dout());
    EXPECT_EQ(h.readWord(), h.module.model().rawFor(870, -5).D1);
}

TEST(LptModuleEmulator, DefaultConversionEndsAfter35Milliseconds) {
    HandClock h;
    h.bits("111 1010 0000");
    h.ms = 34;
    EXPECT_TRUE(h.dout());
    h.ms = 35;
    EXPECT_FALSE(h.dout());
    EXPECT_EQ(h.readWord(), h.module.model().rawFor(1013.25, 20).D1);
}

TEST(LptModuleEmulator, MalformedFramesAreRejectedAndResetRecoversMidFrame) {
    HandClock h;
    h.bits("111 1010 0010"); // a 1 among the stop bits
    EXPECT_EQ(h.module.lastCommand(), Tqx4180Command::Rejected);
    EXPECT_FALSE(h.dout());
    h.bits("111 0111 0000"); // neither a word nor a conversion command
    EXPECT_EQ(h.module.lastCommand(), Tqx4180Command::Rejected);
    h.bits("111 01");
    h.bits(Reset);
    EXPECT_EQ(h.module.lastCommand(), Tqx4180Command::Reset);
    h.bits("111 010101 0000");
    EXPECT_EQ(h.readWord(), h.module.model().word(1));
}

TEST(LptModuleEmulator, GlitchCorruptsExactlyOneSampledBit) {
    HandClock h;
    h.module.glitchAtEdge(5); // second command bit: 01 0101 becomes 00 ...
    h.bits("111 010101 0000");
    EXPECT_EQ(h.module.lastCommand(), Tqx4180Command::Rejected);
    h.bits("111 010101 0000");
    EXPECT_EQ(h.readWord(), h.module.model().word(1));
}

TEST(LptModuleEmulator, UnpoweredModuleIgnoresTheClockAndPowerLossClearsItsState) {
    HandClock h;
    h.line(0, 1, false);
    h.line(1, 1, false);
    EXPECT_EQ(h.module.risingEdges(), 0);
    EXPECT_FALSE(h.module.powered());
    h.bits("111 1010 0000");
    EXPECT_TRUE(h.dout());
    h.line(0, 0, false);
    EXPECT_FALSE(h.dout());
    h.ms = 100;
    h.line(0, 0);
    EXPECT_FALSE(h.dout());
    EXPECT_EQ(h.readWord(), 0); // the conversion was lost with the supply
}

TEST(LptModuleEmulator, FaultsHoldDoutWhateverIsClocked) {
    HandClock h;
    h.module.setFault(TlptModuleFault::DoutStuckHigh);
    h.bits("111 010101 0000");
    EXPECT_EQ(h.readWord(), 0xFFFF);
    EXPECT_EQ(h.module.read(LPT1_STATUS), TlptModuleEmulator::OtherStatusBits | 0x20);
    h.module.setFault(TlptModuleFault::DoutStuckLow);
    h.bits("111 1010 0000");
    EXPECT_FALSE(h.dout());
    h.module.setFault(TlptModuleFault::EndlessConversion);
    h.bits("111 1001 0000");
    h.ms = 1'000'000;
    EXPECT_TRUE(h.dout());
}
