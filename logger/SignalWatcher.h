#pragma once

#include <atomic>
#include <functional>
#include <thread>

// Takes SIGTERM, SIGINT and SIGHUP in a thread of its own and hands each to `handler` there (a
// handler that posts a notification brings it into the loop's thread). blockSignals() must run
// before any other thread starts, so that no thread of the program takes them instead.
class TsignalWatcher {
public:
    explicit TsignalWatcher(std::function<void(int)> handler);
    ~TsignalWatcher();
    TsignalWatcher(const TsignalWatcher&) = delete;
    TsignalWatcher& operator=(const TsignalWatcher&) = delete;

    static void blockSignals();

private:
    void watch();

    std::function<void(int)> handler;
    std::atomic<bool> stopping{false};
    std::thread thread;
};
