#include "core/VirtualLoop.h"
#include "links/Lpt_mod2740.h"
#include "links/PortIO.h"
#include "support/CaptureLog.h"
#include "support/LastOf.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace {

// Records every byte written to the data register and answers status reads from a script
// (then from a fixed level).
class RecordingPort : public TportIO {
public:
    std::uint8_t read(std::uint16_t port) override {
        if (port != LPT1_STATUS) return 0xFF;
        bool level = idleDout;
        if (!douts.empty()) {
            level = douts.front();
            douts.pop_front();
        }
        ++statusReads;
        return level ? 0x20 : 0xDF;
    }
    void write(std::uint16_t port, std::uint8_t value) override {
        if (port == LPT1_DATA) writes.push_back(value);
    }
    // DIN at every rising edge of SCLK, in clocking order.
    std::vector<int> dinAtRisingEdges() const {
        std::vector<int> bits;
        std::uint8_t previous = 0;
        for (std::uint8_t w : writes) {
            if ((w & 1) && !(previous & 1)) bits.push_back(w >> 1 & 1);
            previous = w;
        }
        return bits;
    }

    std::vector<std::uint8_t> writes;
    std::deque<bool> douts;
    bool idleDout = false;
    int statusReads = 0;
};

class Owner : public TeventResource {
public:
    void OnNotification(TeventResource* sender, std::int32_t code) override {
        reports.push_back(code);
        lastSender = sender;
    }
    std::vector<std::int32_t> reports;
    TeventResource* lastSender = nullptr;
};

std::vector<int> bitsOf(const char* text) {
    std::vector<int> bits;
    for (const char* c = text; *c; ++c)
        if (*c == '0' || *c == '1') bits.push_back(*c - '0');
    return bits;
}

struct LptFrames : ::testing::Test {
    TvirtualLoop loop;
    TcaptureLog log;
    RecordingPort port;
    Owner owner;
    Tlpt_mod2740 lpt{&port};
    std::uint16_t w[5] = {0xAAAA, 0, 0, 0, 0};
    void SetUp() override { lpt.reserve(&owner, false); }
};

} // namespace

TEST_F(LptFrames, ResetFrameHas21EdgesAlternatingFromOneThenFiveZeros) {
    EXPECT_TRUE(port.writes.empty());
    lpt.start_resetDevice();
    loop.runUntilIdle();
    EXPECT_EQ(port.dinAtRisingEdges(), bitsOf("1010101010101010 00000"));
    for (std::uint8_t b : port.writes)
        EXPECT_EQ(b & 0xFC, 0xFC);
    EXPECT_EQ(lastOf(port.writes), 0xFD); // clock left high
    EXPECT_EQ(owner.reports, std::vector<std::int32_t>{SEQUENCE_SUCCESS});
    EXPECT_EQ(owner.lastSender, &lpt);
    EXPECT_EQ(log.lines, (std::vector<std::string>{
                             "Tlpt_mod2740:: start_resetDevice()",
                             "Tlpt_mod2740 #0 : OnNotification(THIS, 6)",
                             "Tlpt_mod2740 #100 : OnNotification(THIS, 1)",
                             "Tlpt_mod2740 : terminated SEQUENCE_SUCCESS ",
                         }));
}

TEST_F(LptFrames, CalibrationFramesAndWordReadsOnTheWire) {
    // W1 reads 1 then fifteen 0; W2..W4 read all ones; the trailing D1 start then sees DOUT low.
    port.douts.push_back(true);
    port.douts.insert(port.douts.end(), 15, false);
    port.douts.insert(port.douts.end(), 48, true);
    lpt.start_getW(w);
    loop.runUntilIdle();
    EXPECT_EQ(w[0], 0xAAAA);
    EXPECT_EQ(w[1], 0x8000);
    EXPECT_EQ(w[2], 0xFFFF);
    EXPECT_EQ(w[4], 0xFFFF);
    const std::vector<int> zeros16(16, 0);
    std::vector<int> expected;
    for (const char* frame :
         {"11101010 10000", "11101011 00000", "11101100 10000", "11101101 00000"}) {
        const auto bits = bitsOf(frame);
        expected.insert(expected.end(), bits.begin(), bits.end());
        expected.insert(expected.end(), zeros16.begin(), zeros16.end());
    }
    const auto d1 = bitsOf("11110100 000");
    expected.insert(expected.end(), d1.begin(), d1.end());
    EXPECT_EQ(port.dinAtRisingEdges(), expected);
    EXPECT_EQ(owner.reports, std::vector<std::int32_t>{SEQUENCE_ERROR});
    EXPECT_EQ(loop.pendingTimers(), 0u);
}

TEST_F(LptFrames, ReadWordClocksSixteenPulsesAndLeavesTheClockLow) {
    port.idleDout = true; // every conversion check fails after the 50 ms wait
    lpt.start_getW(w);
    loop.runUntilIdle();
    // The first word frame: 1 + 2 x 8 writes, 1 + 2 x 5 writes, then the read.
    const std::vector<std::uint8_t> read(port.writes.begin() + 28, port.writes.begin() + 61);
    std::vector<std::uint8_t> expected{0xFC};
    for (int i = 0; i < 16; ++i) {
        expected.push_back(0xFD);
        expected.push_back(0xFC);
    }
    EXPECT_EQ(read, expected);
}

TEST_F(LptFrames, DoutLowRightAfterAD1StartFailsWithoutStartingTheTimer) {
    std::uint16_t d1 = 7, d2 = 9;
    lpt.start_getD1D2(&d1, &d2);
    loop.runUntilIdle();
    EXPECT_EQ(port.dinAtRisingEdges(), bitsOf("11110100 000"));
    EXPECT_EQ(port.statusReads, 1);
    EXPECT_EQ(loop.pendingTimers(), 0u);
    EXPECT_EQ(owner.reports, std::vector<std::int32_t>{SEQUENCE_ERROR});
    EXPECT_EQ(d1, 7);
    EXPECT_EQ(d2, 9);
    EXPECT_TRUE(log.contains("Tlpt_mod2740 : terminated SEQUENCE_ERROR "));
    EXPECT_EQ(lpt.getStep(), 0);
}

TEST_F(LptFrames, ConversionWaitsFiftyMillisecondsAndLooksAtDoutOnce) {
    std::uint16_t d1 = 0, d2 = 0;
    // D1: high after the start, low after the wait, then 1 and fifteen 0. D2 never leaves high.
    port.douts = {true, false, true};
    port.douts.insert(port.douts.end(), 15, false);
    port.idleDout = true;
    lpt.start_getD1D2(&d1, &d2);
    loop.runUntilIdle();
    EXPECT_EQ(port.dinAtRisingEdges(), bitsOf("11110100 000 0"));
    EXPECT_EQ(lastOf(port.writes), 0xFC);
    EXPECT_EQ(loop.pendingTimers(), 1u);
    loop.advance(49);
    EXPECT_TRUE(owner.reports.empty());
    EXPECT_EQ(d1, 0); // not read before the 50 ms have passed
    loop.advance(1);
    EXPECT_EQ(d1, 0x8000);
    loop.advance(49); // D2: DOUT high right after the start, still high after the wait
    EXPECT_TRUE(owner.reports.empty());
    loop.advance(1);
    EXPECT_EQ(owner.reports, std::vector<std::int32_t>{SEQUENCE_ERROR});
    EXPECT_EQ(d1, 0x8000);
    EXPECT_EQ(d2, 0);
}

TEST_F(LptFrames, GetWWithoutAnArrayFailsWithoutSendingABit) {
    lpt.start_getW(nullptr);
    loop.runUntilIdle();
    EXPECT_TRUE(port.writes.empty());
    EXPECT_EQ(owner.reports, std::vector<std::int32_t>{SEQUENCE_ERROR});
}

TEST(LptDriver, DestructorSwitchesTheModuleOff) {
    TvirtualLoop loop;
    RecordingPort port;
    {
        Tlpt_mod2740 lpt(&port);
        lpt.start_resetDevice();
        loop.runUntilIdle();
        ASSERT_NE(lastOf(port.writes), 0x00);
    }
    EXPECT_EQ(lastOf(port.writes), 0x00);
}

TEST(LptDriver, UsesTheInstalledPortIOWhenBuiltWithoutOne) {
    TvirtualLoop loop;
    RecordingPort port;
    setPortIO(&port);
    {
        Tlpt_mod2740 lpt;
        lpt.start_resetDevice();
        loop.runUntilIdle();
    }
    setPortIO(nullptr);
    EXPECT_EQ(port.dinAtRisingEdges().size(), 21u);
    EXPECT_EQ(lastOf(port.writes), 0x00);
}
