#include "core/Sequence.h"
#include "core/VirtualLoop.h"
#include "support/CaptureLog.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

class Owner : public TeventResource {
public:
    void OnNotification(TeventResource* sender, std::int32_t code) override {
        auto* seq = dynamic_cast<Tsequence*>(sender);
        reports.push_back({code, seq ? seq->getStep() : -1});
    }
    struct Report {
        std::int32_t code;
        std::int32_t stepSeen;
    };
    std::vector<Report> reports;
};

// 0 -(self,3)-> 100 -(self,1)-> 200 / -(self,1)-> 300 (the later wins) ; 300 -(self,4)-> 300;
// 300 -(self,5)-> 1000; 300 -(self,6)-> 1002; 300 -(self,7)-> 999, an ordinary step; any of
// 100..300 -(self,9000)-> 1001.
class Machine : public Tsequence {
public:
    void OnNotification(TeventResource* sender, std::int32_t code) override {
        dispatch(sender, code);
    }
    std::vector<std::int32_t> entries;

protected:
    const char* logName() const override { return "Machine"; }
    void runStep() override {
        if (entered) entries.push_back(step);
        switch (step) {
        case 0: transitionOn(this, 3, 100); break;
        case 100:
            transitionOn(this, 1, 200);
            transitionOn(this, 1, 300);
            transitionOn(this, CANCEL_REQUEST, 1001);
            break;
        case 300:
            transitionOn(this, 4, 300);
            transitionOn(this, 5, 1000);
            transitionOn(this, 6, 1002);
            transitionOn(this, 7, 999);
            transitionOn(this, CANCEL_REQUEST, 1001);
            break;
        default: break;
        }
    }
};

struct SequenceTest : ::testing::Test {
    TvirtualLoop loop;
    TcaptureLog log;
    Machine machine;
    Owner owner;
    void SetUp() override { machine.reserve(&owner, false); }
    void deliver(std::int32_t code) {
        postNotification(&machine, code);
        loop.runUntilIdle();
    }
};

} // namespace

TEST_F(SequenceTest, OneTransitionPerNotificationAndTheLastMatchWins) {
    deliver(3);
    EXPECT_EQ(machine.getStep(), 100);
    deliver(1);
    EXPECT_EQ(machine.getStep(), 300);
    EXPECT_EQ(machine.entries, (std::vector<std::int32_t>{100, 300}));
}

TEST_F(SequenceTest, StepNineHundredNinetyNineIsAnOrdinaryStep) {
    deliver(3);
    deliver(1);
    deliver(7);
    EXPECT_EQ(machine.getStep(), 999);
    EXPECT_EQ(machine.entries, (std::vector<std::int32_t>{100, 300, 999}));
    EXPECT_TRUE(owner.reports.empty());
}

TEST_F(SequenceTest, UnmatchedNotificationChangesNothingButIsLogged) {
    deliver(3);
    log.lines.clear();
    deliver(42);
    EXPECT_EQ(machine.getStep(), 100);
    EXPECT_EQ(machine.entries.size(), 1u);
    EXPECT_EQ(log.lines, (std::vector<std::string>{"Machine #100 : OnNotification(THIS, 42)"}));
}

TEST_F(SequenceTest, TransitionToTheCurrentStepRunsNoEntryAction) {
    deliver(3);
    deliver(1);
    const auto before = machine.entries.size();
    deliver(4);
    EXPECT_EQ(machine.getStep(), 300);
    EXPECT_EQ(machine.entries.size(), before);
}

TEST_F(SequenceTest, OwnerGetsExactlyOneEndReportAndSeesStepZero) {
    deliver(3);
    deliver(1);
    deliver(5);
    ASSERT_EQ(owner.reports.size(), 1u);
    EXPECT_EQ(owner.reports[0].code, SEQUENCE_SUCCESS);
    EXPECT_EQ(owner.reports[0].stepSeen, 0);
    EXPECT_TRUE(log.contains("Machine : terminated SEQUENCE_SUCCESS "));
    deliver(6); // idle now: no transition, no second report
    EXPECT_EQ(owner.reports.size(), 1u);
}

TEST_F(SequenceTest, ErrorEndReportsSequenceError) {
    deliver(3);
    deliver(1);
    deliver(6);
    ASSERT_EQ(owner.reports.size(), 1u);
    EXPECT_EQ(owner.reports[0].code, SEQUENCE_ERROR);
    EXPECT_TRUE(log.contains("Machine : terminated SEQUENCE_ERROR "));
}

TEST_F(SequenceTest, SenderOtherThanSelfIsLoggedAsANumber) {
    TeventResource other;
    machine.OnNotification(&other, 2);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0],
              "Machine #0 : OnNotification(" +
                  std::to_string(static_cast<int>(reinterpret_cast<std::intptr_t>(&other))) +
                  ", 2)");
    machine.OnNotification(&other, 3); // the code of a transition, from the wrong sender
    EXPECT_EQ(machine.getStep(), 0);
}

TEST_F(SequenceTest, CancelIsPostedOnlyForTheOwnerOrWhenForced) {
    deliver(3);
    TeventResource stranger;
    machine.cancel(&stranger, false);
    loop.runUntilIdle();
    EXPECT_EQ(machine.getStep(), 100);
    EXPECT_TRUE(owner.reports.empty());
    machine.cancel(&stranger, true);
    loop.runUntilIdle();
    ASSERT_EQ(owner.reports.size(), 1u);
    EXPECT_EQ(owner.reports[0].code, SEQUENCE_CANCELLED);
    EXPECT_TRUE(log.contains("Machine : terminated SEQUENCE_CANCELLED "));
}

TEST_F(SequenceTest, CancelByTheOwnerIsPosted) {
    deliver(3);
    machine.cancel(&owner, false);
    EXPECT_EQ(machine.getStep(), 100); // posted, not handled at once
    loop.runUntilIdle();
    EXPECT_EQ(owner.reports.size(), 1u);
}

TEST(SequenceCancel, WithoutOwnerANoneRequesterIsAccepted) {
    TvirtualLoop loop;
    Machine machine;
    postNotification(&machine, 3);
    loop.runUntilIdle();
    machine.cancel(nullptr, false);
    loop.runUntilIdle();
    EXPECT_EQ(machine.getStep(), 0);
    TeventResource owner, stranger;
    machine.reserve(&owner, false);
    postNotification(&machine, 3);
    loop.runUntilIdle();
    machine.cancel(nullptr, false);
    loop.runUntilIdle();
    EXPECT_EQ(machine.getStep(), 100);
}

TEST(SequenceTrace, TraceBitOneLogsNamesAndStep) {
    TvirtualLoop loop;
    TcaptureLog log;
    Tsequence plain("plain");
    plain.OnNotification(&plain, 1);
    EXPECT_TRUE(log.lines.empty());
    plain.traceFlags = TeventResource::TraceNotifications;
    plain.OnNotification(&plain, 1);
    plain.OnNotification(nullptr, 2); // no sender, no name
    EXPECT_EQ(log.lines, (std::vector<std::string>{"plain : OnNotification(plain, 1) @0",
                                                   "plain : OnNotification(, 2) @0"}));
}
