#include "core/Sequence.h"
#include "core/Wsignal.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

struct Log {
    std::vector<int> codes; // -1 stands for the start message
    std::vector<const TeventResource*> senders;
    std::vector<std::thread::id> threads;
};

class Recorder : public TeventResource {
public:
    explicit Recorder(Log& l) : log(l) {}
    void OnNotification(TeventResource* sender, std::int32_t code) override {
        log.senders.push_back(sender);
        log.codes.push_back(code);
        log.threads.push_back(std::this_thread::get_id());
    }
    Log& log;
};

template <class Pred> bool spinUntil(Pred done, int maxMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < maxMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

} // namespace

TEST(SignalForm, IsAHiddenWindowNamedSignalForm) {
    TSignalForm form;
    EXPECT_EQ(form.objectName(), "SignalForm");
    EXPECT_EQ(form.windowTitle(), "SignalForm");
    EXPECT_EQ(form.size(), QSize(123, 67));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(eventLoop(), &form);
}

TEST(SignalForm, StartMessageFirstThenThreadPostsInOrderInTheGuiThread) {
    Log log;
    TSignalForm form([&] { log.codes.push_back(-1); });
    Recorder target(log);
    std::thread poster([&] {
        for (int i = 0; i < 500; ++i)
            postNotification(&target, i);
    });
    poster.join();
    ASSERT_TRUE(spinUntil([&] { return log.codes.size() == 501; }));
    EXPECT_EQ(log.codes[0], -1);
    for (int i = 0; i < 500; ++i)
        ASSERT_EQ(log.codes[static_cast<std::size_t>(i) + 1], i);
    for (const auto& id : log.threads)
        ASSERT_EQ(id, std::this_thread::get_id());
    for (const auto* sender : log.senders)
        ASSERT_EQ(sender, &target); // posted to itself
}

TEST(SignalForm, NothingReachesADestroyedObject) {
    Log log;
    TSignalForm form;
    auto* doomed = new Recorder(log);
    Recorder survivor(log);
    postNotification(doomed, 1);
    postNotification(&survivor, 2);
    delete doomed;
    ASSERT_TRUE(spinUntil([&] { return !log.codes.empty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(log.codes, std::vector<int>{2});
}

TEST(SignalForm, OneShotTimersFireOnceAndCanBeKilled) {
    Log log;
    TSignalForm form;
    Recorder owner(log);
    Tdelay_resource fires, killed;
    fires.reserve(&owner, false);
    killed.reserve(&owner, false);
    QElapsedTimer clock;
    clock.start();
    fires.setDelay(30);
    killed.setDelay(20);
    killed.cancelDelay();
    ASSERT_TRUE(spinUntil([&] { return !log.codes.empty(); }));
    EXPECT_GE(clock.elapsed(), 29);
    spinUntil([] { return false; }, 100);
    EXPECT_EQ(log.codes, std::vector<int>{SEQUENCE_SUCCESS});
    EXPECT_EQ(log.senders, std::vector<const TeventResource*>{&fires});
}

TEST(SignalForm, DestroyingAnObjectLeavesTheTimersOfOthers) {
    Log log;
    TSignalForm form;
    Recorder owner(log);
    Tdelay_resource delay;
    delay.reserve(&owner, false);
    delay.setDelay(20);
    { Recorder other(log); }
    ASSERT_TRUE(spinUntil([&] { return !log.codes.empty(); }, 2000));
    EXPECT_EQ(log.senders, std::vector<const TeventResource*>{&delay});
}
