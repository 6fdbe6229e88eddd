#include "logger/SignalWatcher.h"
#include "support/Threads.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

// The watcher's thread sleeps until a signal comes (no wake-ups to look whether it should end),
// hands each signal to its handler, and its end needs no signal from outside.
TEST(SignalWatcher, SleepsUntilASignalComesAndHandsItOver) {
    TsignalWatcher::blockSignals();
    const std::set<std::string> before = threadIds();
    std::atomic<int> taken{0};
    {
        TsignalWatcher watcher([&taken](int signal) { taken = signal; });
        std::vector<std::string> started;
        std::ranges::set_difference(threadIds(), before, std::back_inserter(started));
        ASSERT_EQ(started.size(), 1u);
        std::this_thread::sleep_for(std::chrono::milliseconds(100)); // it settles into its wait
        const long sleeps = sleepsOf(started[0]);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        EXPECT_EQ(sleepsOf(started[0]), sleeps);

        ::kill(::getpid(), SIGHUP);
        for (int tenth = 0; tenth < 30 && taken == 0; ++tenth)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        EXPECT_EQ(taken, SIGHUP);
    }
    EXPECT_EQ(threadIds(), before);
}
