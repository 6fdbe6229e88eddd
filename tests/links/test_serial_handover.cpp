#include "core/RealtimeLoop.h"
#include "links/SerialTestSupport.h"
#include "links/Serial_resource.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <thread>
#include <vector>

namespace {

constexpr int WaitMs = 3000;

// A real-clock loop that shows the test each post in the thread that makes it.
class WatchedLoop : public TrealtimeLoop {
public:
    void post(TeventResource* target, std::int32_t code) override {
        if (onPost) onPost(target, code);
        TrealtimeLoop::post(target, code);
    }
    std::function<void(TeventResource*, std::int32_t)> onPost;
};

class ChunkOwner : public TeventResource {
public:
    explicit ChunkOwner(Tserial_resource& p) : port(p) { port.reserve(this, false); }
    void OnNotification(TeventResource*, std::int32_t code) override {
        if (code == 0) opened = true;
        if (code != 3) return;
        ++chunks;
        port.requestRead();
    }
    Tserial_resource& port;
    bool opened = false;
    int chunks = 0;
};

// The owner's thread, woken by a chunk the worker hands over, sends its next command and asks
// for the next read at once: while the worker posts code 3, the port is free for another thread.
TEST(SerialHandOver, TheWorkerPostsAChunkWithThePortFreeForItsOwner) {
    WatchedLoop loop;
    FakeEmulatedRoots roots;
    RawPty pty;
    roots.link(241, pty.slave);
    const std::vector<std::uint8_t> command{'$', 'C', '!'};
    std::vector<bool> sentAtOnce;
    std::future<void> sending;
    Tserial_resource port("com_test");
    ChunkOwner owner(port);
    const auto loopThread = std::this_thread::get_id();
    loop.onPost = [&](TeventResource* target, std::int32_t code) {
        if (target != &port || code != 3 || std::this_thread::get_id() == loopThread) return;
        sending = std::async(std::launch::async, [&] { port.send(command.data(), 3); });
        sentAtOnce.push_back(sending.wait_for(std::chrono::seconds(2)) ==
                             std::future_status::ready);
    };
    ASSERT_EQ(port.open("COM241", 38400, 0, 8, false, false), 0);
    ASSERT_TRUE(loop.runUntil([&] { return owner.opened; }, WaitMs));
    for (int chunk = 1; chunk <= 2; ++chunk) {
        pty.write({0x11});
        ASSERT_TRUE(loop.runUntil([&] { return owner.chunks == chunk; }, WaitMs));
        EXPECT_EQ(pty.read(3, WaitMs), command);
    }
    port.close();
    loop.onPost = nullptr;
    EXPECT_EQ(sentAtOnce, (std::vector<bool>{true, true}));
}

} // namespace
