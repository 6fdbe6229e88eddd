#include "core/RealtimeLoop.h"
#include "emulator/PortPublisher.h"
#include "emulator/PtyModule.h"
#include "emulator/SerialModule.h"
#include "emulator/Sht15Model.h"
#include "links/SerialTestSupport.h"
#include "links/Sscp.h"
#include "support/CaptureLog.h"
#include "support/LastOf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int WaitMs = 3000;

class Recorder : public TeventResource {
public:
    void OnNotification(TeventResource*, std::int32_t code) override { codes.push_back(code); }
    int count(std::int32_t code) const {
        return static_cast<int>(std::count(codes.begin(), codes.end(), code));
    }
    std::vector<std::int32_t> codes;
};

// The command layer against emulated modules on real ptys, published as COM241 and COM242.
class SerialModuleLink : public ::testing::Test {
protected:
    SerialModuleLink() {
        sscp.reserve(&owner, false);
        publisher.claim(241);
        otherPublisher.claim(242);
        pty.plug();
    }
    // Runs the loop until the owner has heard `n` codes in all.
    bool waitCodes(std::size_t n, int ms = WaitMs) {
        return loop.runUntil([&] { return owner.codes.size() >= n; }, ms);
    }
    bool connect(const char* port = "COM241") {
        const std::size_t before = owner.codes.size();
        sscp.configure(port, 38400);
        return waitCodes(before + 1) && lastOf(owner.codes) == 4;
    }
    // Sends a request and waits for its outcome; returns the code.
    template <class Request> std::int32_t ask(Request request) {
        const std::size_t before = owner.codes.size();
        request();
        if (!waitCodes(before + 1)) return -1;
        return lastOf(owner.codes);
    }

    TrealtimeLoop loop;
    TcaptureLog log;
    FakeEmulatedRoots roots;
    TserialModule module;
    TportPublisher publisher{roots.dir.path};
    TptyModule pty{module, &publisher};
    TserialModule otherModule;
    TportPublisher otherPublisher{roots.dir.path};
    TptyModule otherPty{otherModule, &otherPublisher};
    Recorder owner;
    Tsscp sscp;
};

TEST_F(SerialModuleLink, RoundTripsStoreTheModulesValues) {
    module.setConditions({980.5, 12.25, 63.0, 11.0, true});
    ASSERT_TRUE(connect());
    EXPECT_TRUE(log.contains("Tsscp   : !  connected"));
    termios tio{};
    ASSERT_TRUE(pty.lineSettings(tio));
    EXPECT_EQ(tio.c_iflag & INPCK, 0u); // no parity: nothing to check
    EXPECT_EQ(tio.c_cflag & PARODD, 0u);
    EXPECT_EQ(ask([&] { sscp.requestAck(); }), 0);
    std::uint16_t w[5] = {};
    EXPECT_EQ(ask([&] { sscp.requestW(w); }), 0);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(w[i], module.sensor().word(i)) << i;
    std::uint16_t d1 = 0, d2 = 0;
    EXPECT_EQ(ask([&] { sscp.requestD1D2(&d1, &d2); }), 0);
    const Tqx4180Raw raw = module.sensor().rawFor(980.5, 12.25);
    EXPECT_EQ(d1, raw.D1);
    EXPECT_EQ(d2, raw.D2);
    std::uint16_t rh = 0, t = 0;
    EXPECT_EQ(ask([&] { sscp.requestHumidity(&rh, &t); }), 0);
    const Tsht15Raw sht = Tsht15Model::rawFor(63.0, 11.0);
    EXPECT_EQ(rh, sht.SO_RH);
    EXPECT_EQ(t, sht.SO_T);
    EXPECT_EQ(module.commandsReceived(), 4);
}

TEST_F(SerialModuleLink, EscapedWordsArriveUnescaped) {
    module.setFault(TmoduleFault::EscapedData);
    ASSERT_TRUE(connect());
    std::uint16_t w[5] = {};
    EXPECT_EQ(ask([&] { sscp.requestW(w); }), 0);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(w[i], TserialModule::EscapeWords[i - 1]);
    std::uint16_t rh = 0, t = 0;
    EXPECT_EQ(ask([&] { sscp.requestHumidity(&rh, &t); }), 0);
    EXPECT_EQ(t, TserialModule::EscapeWords[2]);
    EXPECT_EQ(rh, TserialModule::EscapeWords[3]);
}

TEST_F(SerialModuleLink, FaultyModulesTimeOutAfterOneSecond) {
    ASSERT_TRUE(connect());
    for (TmoduleFault fault :
         {TmoduleFault::Silent, TmoduleFault::BadChecksum, TmoduleFault::WrongReply}) {
        module.setFault(fault);
        std::uint16_t d1 = 0x5555, d2 = 0x5555;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ask([&] { sscp.requestD1D2(&d1, &d2); }), 2);
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
        EXPECT_EQ(d1, 0x5555);
    }
    module.setFault(TmoduleFault::AckSecondTry);
    EXPECT_EQ(ask([&] { sscp.requestAck(); }), 2);
    EXPECT_EQ(ask([&] { sscp.requestAck(); }), 0);
}

TEST_F(SerialModuleLink, UnplugReopensOnceThenReportsDisconnected) {
    ASSERT_TRUE(connect());
    // The first end of the worker reopens the port: the module is back, so it connects again.
    pty.unplug();
    pty.plug();
    ASSERT_TRUE(waitCodes(2));
    EXPECT_EQ(owner.codes, (std::vector<std::int32_t>{4, 4}));
    EXPECT_FALSE(sscp.getBolep()->isReopenPending());
    EXPECT_EQ(ask([&] { sscp.requestAck(); }), 0);
    // Now no reopen is pending: an unplug during a request is reported, and the request fails.
    module.setFault(TmoduleFault::Silent);
    std::uint16_t d1 = 0, d2 = 0;
    sscp.requestD1D2(&d1, &d2);
    pty.unplug();
    ASSERT_TRUE(waitCodes(5));
    EXPECT_EQ(owner.codes, (std::vector<std::int32_t>{4, 4, 0, 5, 2}));
    EXPECT_TRUE(log.contains("Tsscp  : !  disconnected"));
    EXPECT_FALSE(sscp.getBolep()->getSerial()->isRunning());
}

TEST_F(SerialModuleLink, UnplugWithTheModuleGoneFailsTheReopen) {
    // No port named yet: nothing to open again, and nothing to say about it.
    const std::size_t quiet = log.lines.size();
    EXPECT_FALSE(sscp.reconnect());
    EXPECT_EQ(log.lines.size(), quiet);
    ASSERT_TRUE(connect());
    pty.unplug();
    ASSERT_TRUE(waitCodes(2));
    EXPECT_EQ(owner.codes, (std::vector<std::int32_t>{4, 2}));
    // Every measurement tries again; only the change from back to gone and back is logged.
    EXPECT_FALSE(sscp.reconnect());
    EXPECT_FALSE(sscp.reconnect());
    EXPECT_EQ(std::count(log.lines.begin(), log.lines.end(),
                         "COM241: port gone, opened again at every measurement"),
              1);
    pty.plug();
    EXPECT_TRUE(sscp.reconnect());
    EXPECT_EQ(lastOf(log.lines), "COM241: port back, measuring again");
    // A name too long for the link leaves it without one, not with the old one's tail.
    pty.unplug();
    ASSERT_TRUE(waitCodes(owner.codes.size() + 1));
    sscp.configure(std::string(40, 'C').c_str(), 38400);
    const std::size_t unnamed = log.lines.size();
    EXPECT_FALSE(sscp.reconnect());
    EXPECT_EQ(log.lines.size(), unnamed);
}

TEST_F(SerialModuleLink, ConfigureOnARunningPortOpensTheNewOneWhenTheOldEnds) {
    otherPty.plug();
    otherModule.setConditions({1030.0, 25.0, 40.0, 25.0, true});
    ASSERT_TRUE(connect("COM241"));
    ASSERT_TRUE(connect("COM242"));
    EXPECT_EQ(owner.codes, (std::vector<std::int32_t>{4, 4}));
    EXPECT_STREQ(sscp.getBolep()->getSerial()->getPortName(), "COM242");
    std::uint16_t d1 = 0, d2 = 0;
    EXPECT_EQ(ask([&] { sscp.requestD1D2(&d1, &d2); }), 0);
    EXPECT_EQ(d1, otherModule.sensor().rawFor(1030.0, 25.0).D1);
    EXPECT_EQ(module.commandsReceived(), 0);
    EXPECT_EQ(otherModule.commandsReceived(), 1);
}

TEST_F(SerialModuleLink, ConfigureRightAfterAnUnplugIsNotUndoneByTheOldEnd) {
    otherPty.plug();
    ASSERT_TRUE(connect("COM241"));
    // The worker ends on the unplug; its end report is still queued when the next port opens.
    pty.unplug();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs);
    while (sscp.getBolep()->getSerial()->isRunning() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    sscp.configure("COM242", 38400);
    ASSERT_TRUE(waitCodes(2));
    loop.runFor(300);
    EXPECT_EQ(owner.codes, (std::vector<std::int32_t>{4, 4}));
    EXPECT_FALSE(log.contains("Tsscp  : !  disconnected"));
    EXPECT_TRUE(sscp.getBolep()->isReopenPending());
    EXPECT_STREQ(sscp.getBolep()->getSerial()->getPortName(), "COM242");
    EXPECT_EQ(ask([&] { sscp.requestAck(); }), 0);
    EXPECT_EQ(otherModule.commandsReceived(), 1);
}

// The real-time loop, counting the received chunks (code 3) posted to it.
class ChunkCountingLoop : public TrealtimeLoop {
public:
    void post(TeventResource* target, std::int32_t code) override {
        if (code == 3) ++chunks;
        TrealtimeLoop::post(target, code);
    }
    std::atomic<int> chunks{0};
};

// The command layer against a pty whose other side the test writes byte by byte.
class RawModuleLink : public ::testing::Test {
protected:
    RawModuleLink() {
        roots.link(241, pty.slave);
        sscp.reserve(&owner, false);
        sscp.configure("COM241", 38400);
        loop.runUntil([&] { return !owner.codes.empty(); }, WaitMs);
    }
    // Sends a request, checks its frame on the wire, then answers with `wire`.
    void exchange(const std::vector<std::uint8_t>& command, const std::vector<std::uint8_t>& wire) {
        EXPECT_EQ(pty.read(command.size(), WaitMs), command);
        pty.write(wire);
    }
    bool waitCodes(std::size_t n, int ms = WaitMs) {
        return loop.runUntil([&] { return owner.codes.size() >= n; }, ms);
    }

    ChunkCountingLoop loop;
    FakeEmulatedRoots roots;
    RawPty pty;
    Recorder owner;
    Tsscp sscp;
};

TEST_F(RawModuleLink, EdgeCasesOnTheWire) {
    ASSERT_EQ(owner.codes, std::vector<std::int32_t>{4});
    sscp.requestAck();
    // Noise, an empty frame, then the reply.
    exchange({0x24, 0x41, 0xBE, 0x21}, {0x55, 0x21, 0x7E, 0x24, 0x21, 0x24, 0x61, 0x9E, 0x21});
    ASSERT_TRUE(waitCodes(2));
    EXPECT_EQ(lastOf(owner.codes), 0);

    sscp.requestAck();
    const auto start = std::chrono::steady_clock::now();
    exchange({0x24, 0x41, 0xBE, 0x21}, {0x24, 0x61, 0x9F, 0x21});
    ASSERT_TRUE(waitCodes(3));
    EXPECT_EQ(lastOf(owner.codes), 2);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));

    // c: D1 = 0x2124 and D2 = 0x7E21, every byte escaped; checksum ~(63+21+24+00+7E+21) = 0xB8.
    std::uint16_t d1 = 0, d2 = 0;
    sscp.requestD1D2(&d1, &d2);
    exchange({0x24, 0x43, 0xBC, 0x21},
             {0x24, 0x63, 0x7E, 0x61, 0x7E, 0x64, 0x00, 0x7E, 0x3E, 0x7E, 0x61, 0xB8, 0x21});
    ASSERT_TRUE(waitCodes(4));
    EXPECT_EQ(lastOf(owner.codes), 0);
    EXPECT_EQ(d1, 0x2124);
    EXPECT_EQ(d2, 0x7E21);
}

// A reply whose bytes come one at a time, as on a slow line, is handed to the frame layer in one
// chunk at its end: the loop thread is woken once for the frame, not once for every byte.
TEST_F(RawModuleLink, AReplyArrivingByteByByteIsHandedOverOnceAtItsEnd) {
    ASSERT_EQ(owner.codes, std::vector<std::int32_t>{4});
    std::uint16_t d1 = 0, d2 = 0;
    sscp.requestD1D2(&d1, &d2);
    ASSERT_EQ(pty.read(4, WaitMs), (std::vector<std::uint8_t>{0x24, 0x43, 0xBC, 0x21}));
    const int before = loop.chunks;
    // Noise, then c with D1 = 0x1234 and D2 = 0x5678; checksum ~(63+12+34+00+56+78) = 0x88.
    for (const std::uint8_t byte : {0x55, 0x24, 0x63, 0x12, 0x34, 0x00, 0x56, 0x78, 0x88, 0x21}) {
        pty.write({byte});
        loop.runFor(3);
    }
    ASSERT_TRUE(waitCodes(2));
    EXPECT_EQ(owner.codes.back(), 0);
    EXPECT_EQ(d1, 0x1234);
    EXPECT_EQ(d2, 0x5678);
    EXPECT_EQ(loop.chunks - before, 1);
}

} // namespace
