#include "core/RealtimeLoop.h"
#include "links/PortAccess.h"
#include "links/SerialTestSupport.h"
#include "links/Serial_resource.h"
#include "support/CaptureLog.h"
#include "support/LastOf.h"
#include "support/WatchedLoop.h"

#include <gtest/gtest.h>

#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <future>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int Com = 241;
constexpr int WaitMs = 3000;

// Owner of the port: records every code and the received bytes; asks for the next read at once
// unless told to hold.
class PortOwner : public TeventResource {
public:
    explicit PortOwner(Tserial_resource& p) : port(p) { port.reserve(this, false); }
    void OnNotification(TeventResource* sender, std::int32_t code) override {
        if (sender != &port) return;
        codes.push_back(code);
        if (code != 3) return;
        chunks.emplace_back(port.rxData(), port.rxData() + port.rxCount());
        received.insert(received.end(), port.rxData(), port.rxData() + port.rxCount());
        if (!hold) port.requestRead();
    }
    int count(std::int32_t code) const {
        return static_cast<int>(std::count(codes.begin(), codes.end(), code));
    }
    Tserial_resource& port;
    bool hold = false;
    std::vector<std::int32_t> codes;
    std::vector<std::vector<std::uint8_t>> chunks;
    std::vector<std::uint8_t> received;
};

std::vector<std::uint8_t> bytes(std::size_t n, std::uint8_t first = 0) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint8_t>(first + i);
    return v;
}

class SerialPort : public ::testing::Test {
protected:
    SerialPort() { roots.link(Com, pty.slave); }
    bool openPort(std::int32_t readSize = 1) {
        port.setReadSize(readSize);
        if (port.open("COM241", 38400, 0, 8, false, false) != 0) return false;
        return loop.runUntil([&] { return owner.count(0) == 1; }, WaitMs);
    }

    // Bytes the device holds that the port has not read yet.
    int waitingInDevice() const {
        int n = -1;
        ::ioctl(pty.keeper, FIONREAD, &n);
        return n;
    }
    // Writes everything on the line, waiting while the pty is full.
    bool writeAll(const std::vector<std::uint8_t>& data) const {
        std::size_t done = 0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitMs);
        while (done < data.size() && std::chrono::steady_clock::now() < end) {
            const ssize_t put = ::write(pty.master, data.data() + done, data.size() - done);
            if (put > 0)
                done += static_cast<std::size_t>(put);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return done == data.size();
    }

    WatchedLoop loop;
    FakeEmulatedRoots roots;
    RawPty pty;
    Tserial_resource port{"com_test"};
    PortOwner owner{port};
};

TEST_F(SerialPort, OpenFailuresReturnTheirCodeAndLeaveThePortClosed) {
    EXPECT_EQ(port.open(nullptr, 38400, 0, 8, false, false), 16);
    EXPECT_EQ(port.open("COM242", 38400, 0, 8, false, false), 8); // nothing published
    EXPECT_EQ(port.open("ttyS0", 38400, 0, 8, false, false), 8);  // not a COM name
    EXPECT_EQ(port.open("COM241", 12345, 0, 8, false, false), 4); // speed unknown
    EXPECT_EQ(port.open("COM241", 38400, 3, 8, false, false), 4); // parity unknown
    EXPECT_EQ(port.open("COM241", 38400, 0, 9, false, false), 4); // data bits unknown
    // A pty has no modem lines to watch.
    EXPECT_EQ(port.open("COM241", 38400, 0, 8, true, false), 1);
    EXPECT_FALSE(port.isRunning());
    loop.runFor(100);
    EXPECT_TRUE(owner.codes.empty());
    // Every failure closed the device again: the port can be had exclusively now.
    EXPECT_EQ(port.open("COM241", 38400, 2, 7, false, false), 0);
    EXPECT_TRUE(loop.runUntil([&] { return owner.count(0) == 1; }, WaitMs));
    termios tio{};
    ASSERT_EQ(::tcgetattr(pty.keeper, &tio), 0);
    EXPECT_EQ(tio.c_cflag & PARODD, 0u); // even
    EXPECT_NE(tio.c_iflag & INPCK, 0u);
}

// Without its wake-up channel a port can never be opened, and that is the answer whatever else is
// wrong with the request.
TEST_F(SerialPort, WithoutItsWakeUpChannelEveryOpenAnswers32) {
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowest = ::dup(0);
    ASSERT_GE(lowest, 0);
    ::close(lowest);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(lowest); // no descriptor left for the channel
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    Tserial_resource starved("starved");
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    EXPECT_EQ(starved.open(nullptr, 38400, 0, 8, false, false), 32);
    EXPECT_EQ(starved.open("COM242", 38400, 0, 8, false, false), 32);
    EXPECT_EQ(starved.open("COM241", 12345, 0, 8, false, false), 32);
    EXPECT_EQ(starved.open("COM241", 38400, 0, 8, false, false), 32);
    EXPECT_FALSE(starved.isRunning());
}

TEST_F(SerialPort, OpenPortIsRaw) {
    ASSERT_TRUE(openPort());
    termios tio{};
    ASSERT_EQ(::tcgetattr(pty.keeper, &tio), 0);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL), 0u);
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B38400));
    // Odd parity. A pty forces CS8 and clears PARENB: of the parity it keeps PARODD and INPCK.
    ASSERT_EQ(port.open("COM241", 38400, 1, 8, false, false), 0);
    ASSERT_EQ(::tcgetattr(pty.keeper, &tio), 0);
    EXPECT_NE(tio.c_cflag & PARODD, 0u);
}

// The device's lock keeps the port to one open, and is taken before the line settings are
// touched: while another program holds it, an open is refused as busy, says so and leaves the
// holder's settings alone. A close, and an open that fails later, let it go.
TEST_F(SerialPort, APortIsKeptToOneOpenByItsLock) {
    const auto lockedElsewhere = [this] {
        const int fd = ::open(pty.slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        const bool refused = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        ::close(fd);
        return refused;
    };
    ASSERT_TRUE(openPort());
    EXPECT_TRUE(lockedElsewhere());
    port.close();
    EXPECT_FALSE(lockedElsewhere());
    EXPECT_EQ(port.open("COM241", 38400, 3, 8, false, false), 4); // parity unknown
    EXPECT_FALSE(lockedElsewhere());

    TcaptureLog log;
    const int holder = ::open(pty.slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(port.open("COM241", 38400, 1, 8, false, false), 2);
    EXPECT_EQ(lastOf(log.lines), "COM241: " + roots.dir.path + "/COM241: busy");
    EXPECT_EQ(portProblem("COM241"), "busy");
    termios tio{};
    ASSERT_EQ(::tcgetattr(pty.keeper, &tio), 0);
    EXPECT_EQ(tio.c_cflag & PARODD, 0u);
    ::close(holder);
    EXPECT_EQ(port.open("COM241", 38400, 1, 8, false, false), 0);
    EXPECT_EQ(portProblem("COM241"), "");
}

// A program killed while it holds the port leaves nothing behind on the device: the port opens
// again at once, for an ordinary user as for root.
TEST_F(SerialPort, APortWhoseHolderWasKilledOpensAgainAtOnce) {
    const pid_t holder = ::fork();
    if (holder == 0) {
        Tserial_resource held("held");
        if (held.open("COM241", 38400, 0, 8, false, false) == 0) ::kill(::getpid(), SIGKILL);
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(holder, &status, 0), holder);
    ASSERT_TRUE(WIFSIGNALED(status)); // killed while it held the port
    EXPECT_EQ(port.open("COM241", 38400, 0, 8, false, false), 0);
}

TEST_F(SerialPort, EachByteWaitsForTheOwnersReadRequest) {
    owner.hold = true;
    ASSERT_TRUE(openPort());
    pty.write({0x11, 0x22, 0x33});
    ASSERT_TRUE(loop.runUntil([&] { return owner.count(3) == 1; }, WaitMs));
    loop.runFor(150);
    ASSERT_EQ(owner.count(3), 1); // nothing more until asked
    EXPECT_EQ(port.rxCount(), 1);
    EXPECT_EQ(port.rxData()[0], 0x11);
    owner.hold = false;
    port.requestRead();
    ASSERT_TRUE(loop.runUntil([&] { return owner.received.size() == 3; }, WaitMs));
    EXPECT_EQ(owner.received, (std::vector<std::uint8_t>{0x11, 0x22, 0x33}));
    for (const auto& chunk : owner.chunks)
        EXPECT_EQ(chunk.size(), 1u);
}

// Bytes the worker has read ahead complete a read in requestRead() itself, before the loop runs.
TEST_F(SerialPort, ReadAheadBytesCompleteARequestAtOnceAndAWantedReadWaitsForItsBytes) {
    owner.hold = true;
    ASSERT_TRUE(openPort());
    pty.write({0x11, 0x22, 0x33});
    ASSERT_TRUE(loop.runUntil([&] { return owner.count(3) == 1; }, WaitMs));
    loop.runFor(50);
    ASSERT_EQ(waitingInDevice(), 0); // all three are in the port now
    port.requestRead();
    EXPECT_EQ(port.rxCount(), 1);
    EXPECT_EQ(port.rxData()[0], 0x22);
    ASSERT_TRUE(loop.runUntil([&] { return owner.count(3) == 2; }, WaitMs));
    port.setReadSize(2);
    port.requestRead(); // wants two bytes, one is there
    port.setReadSize(1);
    port.requestRead(); // a read is outstanding: ignored, the read of two stays
    loop.runFor(100);
    EXPECT_EQ(owner.count(3), 2);
    pty.write({0x44, 0x55});
    ASSERT_TRUE(loop.runUntil([&] { return owner.count(3) == 3; }, WaitMs));
    EXPECT_EQ(lastOf(owner.chunks), (std::vector<std::uint8_t>{0x33, 0x44}));
    loop.runFor(50);
    port.requestRead(); // the read size of 1 applies now
    EXPECT_EQ(port.rxCount(), 1);
    EXPECT_EQ(port.rxData()[0], 0x55);
    ASSERT_TRUE(loop.runUntil([&] { return owner.count(3) == 4; }, WaitMs));
    EXPECT_EQ(owner.received, (std::vector<std::uint8_t>{0x11, 0x22, 0x33, 0x44, 0x55}));
}

// The owner holds while more arrives than the read-ahead buffer takes; the device keeps the rest
// until the owner has made room, and every byte comes through once, in order.
TEST_F(SerialPort, AFullReadAheadBufferLosesNothing) {
    owner.hold = true;
    ASSERT_TRUE(openPort());
    const auto data = bytes(Tserial_resource::AheadSize + 2000);
    ASSERT_TRUE(writeAll(data));
    ASSERT_TRUE(loop.runUntil([&] { return owner.count(3) == 1; }, WaitMs));
    loop.runFor(100);
    EXPECT_GT(waitingInDevice(), 0);
    owner.hold = false;
    port.requestRead();
    ASSERT_TRUE(loop.runUntil([&] { return owner.received.size() >= data.size(); }, WaitMs));
    loop.runFor(50);
    EXPECT_EQ(owner.received, data);
}

// Bytes read ahead but not handed out go with the worker: nothing follows code 1, and the last
// chunk handed out stays readable.
TEST_F(SerialPort, NothingIsDeliveredAfterTheWorkersEnd) {
    owner.hold = true;
    ASSERT_TRUE(openPort());
    pty.write({0x11, 0x22, 0x33});
    ASSERT_TRUE(loop.runUntil([&] { return owner.count(3) == 1; }, WaitMs));
    loop.runFor(50);
    pty.hangUp();
    ASSERT_TRUE(loop.runUntil([&] { return owner.count(1) == 1; }, WaitMs));
    port.requestRead();
    loop.runFor(100);
    EXPECT_EQ(owner.codes, (std::vector<std::int32_t>{0, 3, 1}));
    EXPECT_EQ(port.rxCount(), 1);
    EXPECT_EQ(port.rxData()[0], 0x11);
}

TEST_F(SerialPort, ReadSizeIsCappedAt256AndAReadCompletesWhenFull) {
    ASSERT_TRUE(openPort(300));
    const auto data = bytes(300);
    pty.write(data);
    ASSERT_TRUE(loop.runUntil([&] { return owner.received.size() >= 256; }, WaitMs));
    ASSERT_FALSE(owner.chunks.empty());
    EXPECT_EQ(owner.chunks[0].size(), 256u);
    loop.runFor(150);
    EXPECT_EQ(owner.received.size(), 256u); // the 44 left do not fill a read
    pty.write(bytes(212));
    ASSERT_TRUE(loop.runUntil([&] { return owner.received.size() == 512; }, WaitMs));
    EXPECT_TRUE(std::equal(data.begin(), data.end(), owner.received.begin()));
}

TEST_F(SerialPort, ANewReadSizeWaitsForTheNextRead) {
    ASSERT_TRUE(openPort(8));
    pty.write(bytes(3));
    loop.runFor(150); // the read of 8 holds 3 bytes now
    port.setReadSize(2);
    pty.write(bytes(300, 3));
    ASSERT_TRUE(loop.runUntil([&] { return !owner.chunks.empty(); }, WaitMs));
    EXPECT_EQ(owner.chunks[0], bytes(8));
    ASSERT_TRUE(loop.runUntil([&] { return owner.chunks.size() >= 2; }, WaitMs));
    EXPECT_EQ(owner.chunks[1], bytes(2, 8));
}

// With an end byte a read completes at that byte, its chunk ending with it, or when its size
// has arrived, whichever comes first; bytes before the end byte wait in the port.
TEST_F(SerialPort, AnEndByteCompletesAReadAndEndsItsChunk) {
    port.setReadEnd(0x21);
    ASSERT_TRUE(openPort(4));
    pty.write({0x01});
    loop.runFor(20);
    pty.write({0x02});
    loop.runFor(50);
    EXPECT_EQ(owner.count(3), 0);
    pty.write({0x21, 0x03, 0x04, 0x05, 0x06, 0x07, 0x21, 0x08});
    ASSERT_TRUE(loop.runUntil([&] { return owner.count(3) == 3; }, WaitMs));
    loop.runFor(50);
    EXPECT_EQ(owner.chunks, (std::vector<std::vector<std::uint8_t>>{
                                {0x01, 0x02, 0x21}, {0x03, 0x04, 0x05, 0x06}, {0x07, 0x21}}));
    // Taking the end byte away takes effect at the next read: the one under way still ends at it.
    port.setReadEnd(Tserial_resource::NoEndByte);
    pty.write({0x21, 0x09, 0x21, 0x0A, 0x0B, 0x0C});
    ASSERT_TRUE(loop.runUntil([&] { return owner.count(3) == 5; }, WaitMs));
    EXPECT_EQ(owner.chunks[3], (std::vector<std::uint8_t>{0x08, 0x21}));
    EXPECT_EQ(owner.chunks[4], (std::vector<std::uint8_t>{0x09, 0x21, 0x0A, 0x0B}));
}

// At 1200 baud a byte (start, 8 data and stop bits) takes 8.3 ms on the line. With 160 bytes
// expected, the first one lets the worker leave the port alone until 158 more can have come
// (1317 ms, never less, however loaded the machine): what comes meanwhile
// stays in the device and is taken in one read at the end, as one chunk, even one shorter than
// expected. A write and a stop request do not wait for the rest to end.
TEST_F(SerialPort, AChunkOfKnownLengthIsTakenInOneReadAfterTheLineTimeOfItsBytes) {
    port.setReadEnd(0x21);
    port.setReadAtLeast(160);
    port.setReadSize(Tserial_resource::BufferSize);
    ASSERT_EQ(port.open("COM241", 1200, 0, 8, false, false), 0);
    ASSERT_TRUE(loop.runUntil([&] { return owner.count(0) == 1; }, WaitMs));
    const auto first = std::chrono::steady_clock::now();
    pty.write({0x24});
    loop.runFor(100); // the pty moves it over, the worker takes it and rests
    pty.write({0x01, 0x02, 0x03, 0x21});
    loop.runFor(150);
    EXPECT_EQ(waitingInDevice(), 4);
    const std::vector<std::uint8_t> command{'$', 'C', '!'};
    port.send(command.data(), 3);
    EXPECT_EQ(pty.read(3, 500), command);
    EXPECT_EQ(waitingInDevice(), 4);
    EXPECT_EQ(owner.count(3), 0);
    ASSERT_TRUE(loop.runUntil([&] { return owner.count(3) == 1; }, WaitMs));
    EXPECT_GE(std::chrono::steady_clock::now() - first, std::chrono::microseconds(1316666));
    EXPECT_EQ(owner.chunks[0], (std::vector<std::uint8_t>{0x24, 0x01, 0x02, 0x03, 0x21}));

    // Unknown length: every byte is read as it comes.
    port.setReadAtLeast(0);
    pty.write({0x24});
    loop.runFor(100);
    pty.write({0x05});
    EXPECT_TRUE(loop.runUntil([&] { return waitingInDevice() == 0; }, 150));

    port.setReadAtLeast(160);
    pty.write({0x21});
    ASSERT_TRUE(loop.runUntil([&] { return owner.count(3) == 2; }, WaitMs));
    pty.write({0x24});
    loop.runFor(100);
    const auto stop = std::chrono::steady_clock::now();
    port.close();
    EXPECT_LT(std::chrono::steady_clock::now() - stop, std::chrono::milliseconds(500));
}

TEST_F(SerialPort, TheWorkerPostsAChunkWithThePortFreeForItsOwner) {
    const std::vector<std::uint8_t> command{'$', 'C', '!'};
    std::vector<bool> sentAtOnce;
    std::future<void> sending;
    loop.onPost = [&, loopThread = std::this_thread::get_id()](TeventResource* target,
                                                               std::int32_t code) {
        if (target != &port || code != 3 || std::this_thread::get_id() == loopThread) return;
        sending = std::async(std::launch::async, [&] { port.send(command.data(), 3); });
        sentAtOnce.push_back(sending.wait_for(std::chrono::seconds(2)) ==
                             std::future_status::ready);
    };
    ASSERT_TRUE(openPort());
    for (int chunk = 1; chunk <= 2; ++chunk) {
        pty.write({0x11});
        ASSERT_TRUE(loop.runUntil([&] { return owner.count(3) == chunk; }, WaitMs));
        EXPECT_EQ(pty.read(3, WaitMs), command);
    }
    port.close();
    loop.onPost = nullptr;
    EXPECT_EQ(sentAtOnce, (std::vector<bool>{true, true}));
}

TEST_F(SerialPort, SendWritesUpTo255BytesAndRefuses256OrNull) {
    ASSERT_TRUE(openPort());
    const auto big = bytes(256, 7);
    port.send(big.data(), 256);
    port.send(nullptr, 5);
    loop.runFor(150);
    EXPECT_TRUE(pty.read(1, 50).empty());
    EXPECT_EQ(owner.count(2), 0);
    port.send(big.data(), 255);
    EXPECT_EQ(pty.read(255, WaitMs), std::vector<std::uint8_t>(big.begin(), big.begin() + 255));
    EXPECT_TRUE(loop.runUntil([&] { return owner.count(2) == 1; }, WaitMs));
}

// A command the device takes at once is written in the owner's thread: its code 2 is queued
// when send() returns, and the worker sleeps on through five commands in a row.
TEST_F(SerialPort, ACommandTheDeviceTakesIsWrittenAndReportedBySendItself) {
    const std::set<std::string> before = threadIds();
    ASSERT_TRUE(openPort());
    std::vector<std::string> started;
    std::ranges::set_difference(threadIds(), before, std::back_inserter(started));
    ASSERT_EQ(started.size(), 1u);
    loop.runFor(50); // the worker settles into its wait
    const long sleeps = sleepsOf(started[0]);
    const std::vector<std::uint8_t> command{'$', 'A', '!'};
    for (int sent = 1; sent <= 5; ++sent) {
        port.send(command.data(), 3);
        EXPECT_TRUE(loop.runUntil([&] { return owner.count(2) == sent; }, 0)) << sent;
        EXPECT_EQ(pty.read(3, WaitMs), command);
    }
    EXPECT_EQ(sleepsOf(started[0]), sleeps);
    EXPECT_EQ(owner.codes, (std::vector<std::int32_t>{0, 2, 2, 2, 2, 2}));
}

TEST_F(SerialPort, ASecondSendWhileTheFirstIsPendingIsIgnored) {
    ASSERT_TRUE(openPort());
    // Fill the line towards the test so that the port's write cannot finish yet; the kernel
    // moves bytes between its buffers for a while, so fill until nothing more fits.
    const auto filler = bytes(256);
    std::size_t filled = 0;
    for (bool more = true; more;) {
        more = false;
        for (ssize_t put; (put = ::write(pty.keeper, filler.data(), filler.size())) > 0;) {
            filled += static_cast<std::size_t>(put);
            more = true;
        }
        ASSERT_EQ(errno, EAGAIN);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const std::vector<std::uint8_t> first{'f', 'i', 'r', 's', 't'};
    const std::vector<std::uint8_t> second{'s', 'e', 'c'};
    port.send(first.data(), 5);
    loop.runFor(100);
    port.send(second.data(), 3);
    EXPECT_EQ(owner.count(2), 0);
    std::vector<std::uint8_t> drained = pty.read(filled + 100, 2000);
    ASSERT_TRUE(loop.runUntil([&] { return owner.count(2) == 1; }, WaitMs));
    const auto more = pty.read(100, 200);
    drained.insert(drained.end(), more.begin(), more.end());
    ASSERT_GE(drained.size(), 5u);
    const std::vector<std::uint8_t> tail(drained.end() - 5, drained.end());
    EXPECT_EQ(tail, first);
    loop.runFor(100);
    EXPECT_EQ(owner.count(2), 1);
}

TEST_F(SerialPort, HangUpEndsTheWorkerWithCode1) {
    ASSERT_TRUE(openPort());
    pty.hangUp();
    ASSERT_TRUE(loop.runUntil([&] { return owner.count(1) == 1; }, WaitMs));
    EXPECT_FALSE(port.isRunning());
    EXPECT_EQ(owner.codes, (std::vector<std::int32_t>{0, 1}));
}

TEST_F(SerialPort, CloseAndReopenStopTheOldWorkerFirst) {
    const int before = threadCount();
    ASSERT_TRUE(openPort());
    EXPECT_EQ(threadCount(), before + 1);
    ASSERT_EQ(port.open("COM241", 38400, 0, 8, false, false), 0);
    EXPECT_EQ(threadCountDownTo(before + 1), before + 1);
    ASSERT_TRUE(loop.runUntil([&] { return owner.codes.size() == 3; }, WaitMs));
    EXPECT_EQ(owner.codes, (std::vector<std::int32_t>{0, 1, 0}));
    port.close();
    EXPECT_FALSE(port.isRunning());
    EXPECT_EQ(threadCountDownTo(before), before);
    ASSERT_TRUE(loop.runUntil([&] { return owner.codes.size() == 4; }, WaitMs));
    EXPECT_EQ(lastOf(owner.codes), 1);
}

TEST(SerialPortLifetime, NoWorkerOutlivesItsResourceNorReportsAfterIt) {
    TrealtimeLoop loop;
    FakeEmulatedRoots roots;
    RawPty pty;
    roots.link(Com, pty.slave);
    const int before = threadCount();
    {
        Tserial_resource port("short-lived");
        PortOwner owner(port);
        ASSERT_EQ(port.open("COM241", 38400, 0, 8, false, false), 0);
        pty.write({1, 2, 3});
        EXPECT_EQ(threadCount(), before + 1);
    } // worker notifications still queued for the destroyed port must be dropped
    EXPECT_EQ(threadCountDownTo(before), before);
    loop.runFor(100);
}

} // namespace
