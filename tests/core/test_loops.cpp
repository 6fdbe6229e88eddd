#include "core/RealtimeLoop.h"
#include "core/Sequence.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {
class Recorder : public TeventResource {
public:
    void OnNotification(TeventResource*, std::int32_t code) override {
        codes.push_back(code);
        threads.push_back(std::this_thread::get_id());
    }
    std::vector<std::int32_t> codes;
    std::vector<std::thread::id> threads;
};
} // namespace

TEST(RealtimeLoop, DeliversPostsFromOtherThreadsInOrderInItsOwnThread) {
    TrealtimeLoop loop;
    Recorder target;
    std::thread poster([&] {
        for (int i = 0; i < 1000; ++i)
            postNotification(&target, i);
    });
    EXPECT_TRUE(loop.runUntil([&] { return target.codes.size() == 1000; }, 5000));
    poster.join();
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(target.codes[static_cast<std::size_t>(i)], i);
    for (const auto& id : target.threads)
        ASSERT_EQ(id, std::this_thread::get_id());
}

TEST(RealtimeLoop, TimersFireAfterTheirTime) {
    TrealtimeLoop loop;
    Recorder owner;
    Tdelay_resource delay;
    delay.reserve(&owner, false);
    const auto start = TrealtimeLoop::Clock::now();
    delay.setDelay(50);
    loop.runFor(20); // the loop's own deadline comes first: the timer is not due yet
    EXPECT_TRUE(owner.codes.empty());
    EXPECT_TRUE(loop.runUntil([&] { return !owner.codes.empty(); }, 2000));
    EXPECT_GE(TrealtimeLoop::Clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_EQ(owner.codes, std::vector<std::int32_t>{SEQUENCE_SUCCESS});
}

TEST(RealtimeLoop, AForgottenTargetLosesItsPostsAndTimersOnly) {
    TrealtimeLoop loop;
    Recorder forgotten, kept, owner, keptOwner;
    Tdelay_resource delay, keptDelay;
    delay.reserve(&owner, false);
    keptDelay.reserve(&keptOwner, false);
    delay.setDelay(10);
    keptDelay.setDelay(10);
    postNotification(&forgotten, 1);
    postNotification(&kept, 2);
    loop.forget(&forgotten);
    loop.forget(&delay);
    loop.runFor(50);
    EXPECT_TRUE(forgotten.codes.empty());
    EXPECT_EQ(kept.codes, std::vector<std::int32_t>{2});
    EXPECT_TRUE(owner.codes.empty());
    EXPECT_EQ(keptOwner.codes, std::vector<std::int32_t>{SEQUENCE_SUCCESS});
}

TEST(RealtimeLoop, ALoopGivesBackTheOneBeforeItWhenDestroyed) {
    TrealtimeLoop outer;
    {
        TrealtimeLoop inner;
        EXPECT_EQ(eventLoop(), &inner);
    }
    EXPECT_EQ(eventLoop(), &outer);
}
