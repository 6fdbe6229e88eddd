#include "core/Sequence.h"
#include "core/VirtualLoop.h"
#include "support/CaptureLog.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Report {
    TeventResource* sender;
    std::int32_t code;
    std::int64_t at;
};

class Owner : public TeventResource {
public:
    explicit Owner(TvirtualLoop& l) : loop(l) {}
    void OnNotification(TeventResource* sender, std::int32_t code) override {
        reports.push_back({sender, code, loop.now()});
    }
    TvirtualLoop& loop;
    std::vector<Report> reports;
};

// Starts a zero delay from inside a notification and records whether the delay's report came
// before that notification was over.
class ZeroStarter : public TeventResource {
public:
    Tdelay_resource delay;
    bool inside = false;
    bool reportedInside = false;
    int reports = 0;
    ZeroStarter() { delay.reserve(this, false); }
    void OnNotification(TeventResource* sender, std::int32_t) override {
        if (sender == &delay) {
            ++reports;
            reportedInside = inside;
            return;
        }
        inside = true;
        delay.setDelay(0);
        inside = false;
    }
};

struct DelayTest : ::testing::Test {
    TvirtualLoop loop;
    Owner owner{loop};
    Tdelay_resource delay;
    void SetUp() override { delay.reserve(&owner, false); }
};

} // namespace

TEST(DelayZero, ReachesTheOwnerAfterTheCurrentMessage) {
    TvirtualLoop loop;
    ZeroStarter starter;
    postNotification(&starter, 1);
    loop.runUntilIdle();
    EXPECT_EQ(starter.reports, 1);
    EXPECT_FALSE(starter.reportedInside);
    EXPECT_EQ(loop.now(), 0);
}

TEST_F(DelayTest, FiresOnceAfterItsTimeWithSuccess) {
    delay.setDelay(500);
    loop.advance(499);
    EXPECT_TRUE(owner.reports.empty());
    loop.advance(1);
    ASSERT_EQ(owner.reports.size(), 1u);
    EXPECT_EQ(owner.reports[0].sender, &delay);
    EXPECT_EQ(owner.reports[0].code, SEQUENCE_SUCCESS);
    EXPECT_EQ(owner.reports[0].at, 500);
    EXPECT_EQ(delay.getTimerId(), 0u);
    loop.advance(10'000);
    EXPECT_EQ(owner.reports.size(), 1u);
}

TEST_F(DelayTest, ASecondDelayWhileWaitingIsIgnored) {
    delay.setDelay(500);
    delay.setDelay(2000);
    loop.advance(5000);
    ASSERT_EQ(owner.reports.size(), 1u);
    EXPECT_EQ(owner.reports[0].at, 500);
}

TEST_F(DelayTest, CancelAfterASecondDelayWhileWaitingSilencesBoth) {
    delay.setDelay(500);
    delay.setDelay(300);
    delay.cancelDelay();
    loop.advance(5000);
    EXPECT_TRUE(owner.reports.empty());
    EXPECT_EQ(loop.pendingTimers(), 0u);
}

TEST_F(DelayTest, ZeroDelayIsPostedEvenWhileATimerRuns) {
    delay.setDelay(1000);
    delay.setDelay(0);
    loop.runUntilIdle();
    ASSERT_EQ(owner.reports.size(), 1u);
    EXPECT_EQ(owner.reports[0].at, 0);
    loop.advance(1000);
    EXPECT_EQ(owner.reports.size(), 2u);
}

TEST_F(DelayTest, CancelSilencesAWaitAndDoesNothingWhenIdle) {
    delay.cancelDelay();
    delay.setDelay(300);
    EXPECT_NE(delay.getTimerId(), 0u);
    delay.cancelDelay();
    EXPECT_EQ(delay.getTimerId(), 0u);
    loop.advance(1000);
    EXPECT_TRUE(owner.reports.empty());
    delay.setDelay(300); // can wait again afterwards
    loop.advance(300);
    EXPECT_EQ(owner.reports.size(), 1u);
}

TEST_F(DelayTest, CancelRequestReportsCancelledWithoutStoppingTheTimer) {
    delay.setDelay(200);
    delay.cancel(&owner, false);
    loop.runUntilIdle();
    ASSERT_EQ(owner.reports.size(), 1u);
    EXPECT_EQ(owner.reports[0].code, SEQUENCE_CANCELLED);
    loop.advance(200);
    ASSERT_EQ(owner.reports.size(), 2u);
    EXPECT_EQ(owner.reports[1].code, SEQUENCE_SUCCESS);
}

TEST_F(DelayTest, OtherSendersAndCodesAreIgnored) {
    TeventResource stranger;
    delay.OnNotification(&stranger, 1);
    delay.OnNotification(&delay, 5);
    EXPECT_TRUE(owner.reports.empty());
}

TEST_F(DelayTest, TraceBitZeroLogsTheDelay) {
    TcaptureLog log;
    delay.traceFlags = TeventResource::TraceDelays;
    delay.setDelay(250);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "delay : setDelay (250) [" + std::to_string(delay.getTimerId()) + "]");
}

TEST(DelayLifetime, DestroyingAWaitingDelayKillsItsTimer) {
    TvirtualLoop loop;
    Owner owner{loop};
    {
        Tdelay_resource delay;
        delay.reserve(&owner, false);
        delay.setDelay(100);
        EXPECT_EQ(loop.pendingTimers(), 1u);
    }
    EXPECT_EQ(loop.pendingTimers(), 0u);
    loop.advance(1000);
    EXPECT_TRUE(owner.reports.empty());
}

TEST(DelayOrder, TimersFireInDueOrder) {
    TvirtualLoop loop;
    Owner owner{loop};
    Tdelay_resource late, early;
    late.reserve(&owner, false);
    early.reserve(&owner, false);
    late.setDelay(300);
    early.setDelay(100);
    loop.advance(1000);
    ASSERT_EQ(owner.reports.size(), 2u);
    EXPECT_EQ(owner.reports[0].sender, &early);
    EXPECT_EQ(owner.reports[0].at, 100);
    EXPECT_EQ(owner.reports[1].sender, &late);
    EXPECT_EQ(owner.reports[1].at, 300);
}
