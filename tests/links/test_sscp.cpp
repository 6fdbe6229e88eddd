#include "core/VirtualLoop.h"
#include "links/SerialTestSupport.h"
#include "links/Sscp.h"
#include "support/CaptureLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Recorder : public TeventResource {
public:
    void OnNotification(TeventResource*, std::int32_t code) override { codes.push_back(code); }
    std::vector<std::int32_t> codes;
};

std::vector<std::uint8_t> encode(std::vector<std::uint8_t> payload) {
    payload.insert(payload.begin(), static_cast<std::uint8_t>(payload.size()));
    std::uint8_t out[Tbolep_resource::MaxEncoded];
    const int n = Tbolep_resource::encodeFrame(payload.data(), out);
    return {out, out + n};
}

// A payload with its checksum appended.
std::vector<std::uint8_t> withChecksum(std::vector<std::uint8_t> payload) {
    std::uint8_t sum = 0;
    for (std::uint8_t b : payload)
        sum = static_cast<std::uint8_t>(sum + b);
    payload.push_back(static_cast<std::uint8_t>(~sum));
    return payload;
}

TEST(FrameEncoding, CommandsAndEscapes) {
    EXPECT_EQ(encode(withChecksum({'A'})), (std::vector<std::uint8_t>{0x24, 0x41, 0xBE, 0x21}));
    EXPECT_EQ(encode(withChecksum({'D'})), (std::vector<std::uint8_t>{0x24, 0x44, 0xBB, 0x21}));
    EXPECT_EQ(encode({0x21, 0x24, 0x7E, 0x40}),
              (std::vector<std::uint8_t>{0x24, 0x7E, 0x61, 0x7E, 0x64, 0x7E, 0x3E, 0x40, 0x21}));
}

// The frame layer on its own: bytes in, frames out.
class FrameDecoding : public ::testing::Test {
protected:
    FrameDecoding() { bolep.reserve(&owner, false); }
    void feed(const std::vector<std::uint8_t>& bytes) {
        for (std::uint8_t b : bytes)
            bolep.receiveByte(b);
    }
    std::vector<std::uint8_t> frame() const {
        const std::uint8_t* f = bolep.frame();
        return f ? std::vector<std::uint8_t>(f + 1, f + 1 + f[0]) : std::vector<std::uint8_t>{};
    }
    TvirtualLoop loop;
    Recorder owner;
    Tbolep_resource bolep;
};

TEST_F(FrameDecoding, NoiseBeforeStartAndEmptyFramesDeliverNothing) {
    feed({0x55, 0x41, 0x7E, 0x42});
    feed({0x24, 0x21});
    EXPECT_TRUE(owner.codes.empty());
    EXPECT_EQ(bolep.frame(), nullptr);
    feed({0x24, 0x61, 0x9E, 0x21});
    EXPECT_EQ(owner.codes, std::vector<std::int32_t>{10});
    EXPECT_EQ(frame(), (std::vector<std::uint8_t>{0x61, 0x9E}));
}

TEST_F(FrameDecoding, StartInsideAFrameRestartsIt) {
    feed({0x24, 0x11, 0x12, 0x7E, 0x24, 0x61, 0x7E, 0x3E, 0x21});
    EXPECT_EQ(frame(), (std::vector<std::uint8_t>{0x61, 0x7E}));
}

TEST_F(FrameDecoding, BytesWhileAFrameWaitsAreIgnored) {
    feed({0x24, 0x61, 0x9E, 0x21, 0x24, 0x62, 0x21});
    EXPECT_EQ(owner.codes.size(), 1u);
    EXPECT_EQ(frame(), (std::vector<std::uint8_t>{0x61, 0x9E}));
    bolep.consumeFrame();
    EXPECT_EQ(bolep.frame(), nullptr);
    feed({0x24, 0x63, 0x21});
    EXPECT_EQ(frame(), std::vector<std::uint8_t>{0x63});
}

TEST_F(FrameDecoding, PayloadsOf32BytesOrMoreNeverArriveWhole) {
    std::vector<std::uint8_t> payload(31, 0x30);
    feed({0x24});
    feed(payload);
    feed({0x21});
    EXPECT_EQ(frame(), payload);
    bolep.consumeFrame();
    feed({0x24});
    feed(std::vector<std::uint8_t>(32, 0x31));
    feed({0x21}); // length reached the limit: restarted from 0, so the end finds an empty frame
    EXPECT_EQ(bolep.frame(), nullptr);
    feed({0x24});
    feed(std::vector<std::uint8_t>(32, 0x31));
    feed({0x32, 0x33, 0x21});
    EXPECT_EQ(frame(), (std::vector<std::uint8_t>{0x32, 0x33}));
}

// The command layer in virtual time, with the reply bytes fed into its frame layer.
class Commands : public ::testing::Test {
protected:
    Commands() { sscp.reserve(&owner, false); }
    void reply(const std::vector<std::uint8_t>& wire) {
        for (std::uint8_t b : wire)
            sscp.getBolep()->receiveByte(b);
        loop.runUntilIdle();
    }
    TvirtualLoop loop;
    TcaptureLog log;
    Recorder owner;
    Tsscp sscp;
};

TEST_F(Commands, OnlyTheFrameLayerAndItsPortCarryNames) {
    EXPECT_STREQ(sscp.getName(), "--unnamed--");
    EXPECT_STREQ(sscp.getBolep()->getName(), "bolep");
    EXPECT_STREQ(sscp.getBolep()->getSerial()->getName(), "com_bolep");
}

TEST_F(Commands, AckReplyReportsSuccessAndStopsTheWait) {
    sscp.requestAck();
    EXPECT_EQ(sscp.getPending(), 'A');
    reply({0x24, 0x61, 0x9E, 0x21});
    EXPECT_EQ(owner.codes, std::vector<std::int32_t>{0});
    EXPECT_EQ(sscp.getPending(), 0);
    loop.advance(5000);
    EXPECT_EQ(owner.codes, std::vector<std::int32_t>{0});
}

TEST_F(Commands, AMatchedReplyEndsTheWaitSoTheNextCommandGetsItsFullSecond) {
    sscp.requestAck();
    loop.advance(600);
    reply({0x24, 0x61, 0x9E, 0x21});
    sscp.requestAck();
    loop.advance(999);
    EXPECT_EQ(owner.codes, std::vector<std::int32_t>{0});
    loop.advance(1);
    EXPECT_EQ(owner.codes, (std::vector<std::int32_t>{0, 2}));
}

TEST_F(Commands, ATimeOutWithNothingPendingIsNotReported) {
    sscp.requestAck();
    FakeEmulatedRoots roots;
    sscp.configure("COM250", 38400); // forgets the pending command; its wait runs on
    ASSERT_EQ(owner.codes, std::vector<std::int32_t>{2});
    loop.advance(Tsscp::ReplyTimeoutMs);
    EXPECT_EQ(owner.codes, std::vector<std::int32_t>{2});
}

TEST_F(Commands, BadChecksumIsDroppedAndTheWaitRunsOut) {
    sscp.requestAck();
    reply({0x24, 0x61, 0x9F, 0x21});
    loop.advance(999);
    EXPECT_TRUE(owner.codes.empty());
    loop.advance(1);
    EXPECT_EQ(owner.codes, std::vector<std::int32_t>{2});
    EXPECT_EQ(sscp.getPending(), 'A');
    // A late reply to the letter still pending is accepted.
    reply({0x24, 0x61, 0x9E, 0x21});
    EXPECT_EQ(owner.codes, (std::vector<std::int32_t>{2, 0}));
}

TEST_F(Commands, ReplyToAnotherCommandIsDropped) {
    std::uint16_t d1 = 7, d2 = 7;
    sscp.requestD1D2(&d1, &d2);
    reply(encode(withChecksum({'a'})));
    reply(encode(withChecksum({'d', 1, 2, 0, 3, 4})));
    EXPECT_TRUE(owner.codes.empty());
    loop.advance(1000);
    EXPECT_EQ(owner.codes, std::vector<std::int32_t>{2});
    EXPECT_EQ(d1, 7);
    EXPECT_EQ(d2, 7);
}

TEST_F(Commands, ANewRequestReplacesThePendingOneWithoutRestartingTheWait) {
    sscp.requestAck();
    loop.advance(600);
    std::uint16_t d1 = 0, d2 = 0;
    sscp.requestD1D2(&d1, &d2);
    EXPECT_EQ(sscp.getPending(), 'C');
    loop.advance(399);
    EXPECT_TRUE(owner.codes.empty());
    loop.advance(1); // 1000 ms after the first request
    EXPECT_EQ(owner.codes, std::vector<std::int32_t>{2});
    reply({0x24, 0x61, 0x9E, 0x21}); // the answer to A no longer counts
    EXPECT_EQ(owner.codes, std::vector<std::int32_t>{2});
    reply(encode(withChecksum({'c', 0x01, 0x02, 0x00, 0x03, 0x04})));
    EXPECT_EQ(owner.codes, (std::vector<std::int32_t>{2, 0}));
    EXPECT_EQ(d1, 0x0102);
    EXPECT_EQ(d2, 0x0304);
}

TEST_F(Commands, CalibrationWordsAreStoredAndLogged) {
    std::uint16_t w[5] = {0xAAAA, 0, 0, 0, 0};
    sscp.requestW(w);
    reply(encode(withChecksum({'b', 0x12, 0x34, 0x21, 0x24, 0x7E, 0x00, 0xFF, 0xFF})));
    EXPECT_EQ(owner.codes, std::vector<std::int32_t>{0});
    EXPECT_EQ(w[0], 0xAAAA);
    EXPECT_EQ(w[1], 0x1234);
    EXPECT_EQ(w[2], 0x2124);
    EXPECT_EQ(w[3], 0x7E00);
    EXPECT_EQ(w[4], 0xFFFF);
    EXPECT_TRUE(log.contains("W1 = 4660 (0x1234) "));
    EXPECT_TRUE(log.contains("W4 = 65535 (0xFFFF) "));
}

TEST_F(Commands, ConversionAndHumidityOffsets) {
    std::uint16_t d1 = 0, d2 = 0, hum = 0, humT = 0;
    sscp.requestD1D2(&d1, &d2);
    reply(encode(withChecksum({'c', 0x11, 0x22, 0x99, 0x33, 0x44})));
    EXPECT_EQ(d1, 0x1122);
    EXPECT_EQ(d2, 0x3344);
    sscp.requestHumidity(&hum, &humT);
    reply(encode(withChecksum({'d', 0x05, 0x06, 0x99, 0x07, 0x08})));
    EXPECT_EQ(hum, 0x0708);
    EXPECT_EQ(humT, 0x0506);
    EXPECT_EQ(owner.codes, (std::vector<std::int32_t>{0, 0}));
}

// Each command tells the port how many bytes its reply frame holds at least: '$', the letter,
// the data bytes of the reply's layout, the checksum, '!'.
TEST_F(Commands, EachCommandTellsThePortTheLeastLengthOfItsReply) {
    const Tserial_resource& port = *sscp.getBolep()->getSerial();
    std::uint16_t w[5] = {}, d1 = 0, d2 = 0;
    sscp.requestAck();
    EXPECT_EQ(port.getReadAtLeast(), 4);
    sscp.requestW(w);
    EXPECT_EQ(port.getReadAtLeast(), 12);
    sscp.requestD1D2(&d1, &d2);
    EXPECT_EQ(port.getReadAtLeast(), 9);
    sscp.requestHumidity(&d1, &d2);
    EXPECT_EQ(port.getReadAtLeast(), 9);
}

TEST_F(Commands, ShortReplyReadsMissingBytesAsZero) {
    std::uint16_t d1 = 0, d2 = 0xBEEF;
    sscp.requestD1D2(&d1, &d2);
    reply(encode(withChecksum({'c', 0x11, 0x22, 0x99, 0x33})));
    EXPECT_EQ(owner.codes, std::vector<std::int32_t>{0});
    EXPECT_EQ(d1, 0x1122);
    EXPECT_EQ(d2, 0x3300);
    std::uint16_t w[5] = {1, 1, 1, 1, 1};
    sscp.requestW(w);
    reply(encode(withChecksum({'b'})));
    EXPECT_EQ(w[1], 0);
    EXPECT_EQ(w[4], 0);
}

TEST_F(Commands, RequestAndReplyAreLoggedAsHexDumps) {
    sscp.requestAck();
    ASSERT_GE(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0], "sendCommand");
    EXPECT_EQ(log.lines[1], "41 BE" + std::string(44, ' ') + "A.");
    log.lines.clear();
    std::vector<std::uint8_t> payload{'b'};
    for (int i = 0; i < 18; ++i)
        payload.push_back(static_cast<std::uint8_t>(0x30 + i));
    reply(encode(withChecksum(payload)));
    ASSERT_EQ(log.lines.size(), 4u);
    EXPECT_EQ(log.lines[0], "Tsscp : OnNotification(" +
                                std::to_string(static_cast<int>(
                                    reinterpret_cast<std::intptr_t>(sscp.getBolep()))) +
                                ", 10)");
    EXPECT_EQ(log.lines[1], "OnMessageArrival");
    EXPECT_EQ(log.lines[2], "62 30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E  b0123456789:;<=>");
    EXPECT_EQ(log.lines[3], "3F 40 41 A4" + std::string(38, ' ') + "?@A.");
}

TEST(HexDump, OnlyBytesFromBlankToTildeArePrinted) {
    TcaptureLog log;
    const std::uint8_t edges[] = {0x1F, 0x20, 0x7E, 0x7F};
    logHexDump(edges, 4);
    EXPECT_EQ(log.lines, std::vector<std::string>{"1F 20 7E 7F" + std::string(38, ' ') + ". ~."});
}

TEST_F(Commands, PortThatCannotOpenReportsErrorBeforeConfigureReturns) {
    FakeEmulatedRoots roots;
    EXPECT_EQ(sscp.configure("COM250", 38400), 0);
    EXPECT_EQ(owner.codes, std::vector<std::int32_t>{2});
    EXPECT_TRUE(log.contains("configure(COM250, 38400)"));
}

} // namespace
