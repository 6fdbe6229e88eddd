#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>

#include <unistd.h>

// Waits until `gone` holds, or two seconds: a thread that was joined may still be listed for a
// moment while the kernel finishes its exit.
template <class Gone> void awaitThreadExit(Gone gone) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!gone() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

// Counts the threads of this process (Linux).
inline int threadCount() {
    // Sanitizer runtimes start a helper thread with the first thread of the process; the thread
    // started for that is waited out of the list.
    static const bool warmedUp = [] {
        pid_t id = 0;
        std::thread([&id] { id = ::gettid(); }).join();
        const auto task = "/proc/self/task/" + std::to_string(id);
        awaitThreadExit([&task] { return !std::filesystem::exists(task); });
        return true;
    }();
    (void)warmedUp;
    int n = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/task"))
        ++n;
    return n;
}

// The thread count once it has come down to `expected`, or after two seconds.
inline int threadCountDownTo(int expected) {
    int n = 0;
    awaitThreadExit([&] { return (n = threadCount()) <= expected; });
    return n;
}

// The ids of this process's threads (Linux).
inline std::set<std::string> threadIds() {
    threadCount(); // the sanitizer's helper thread, if any, is there first
    std::set<std::string> ids;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ids.insert(entry.path().filename().string());
    return ids;
}

// How often a thread of this process has gone to sleep and been woken (-1: no such thread).
inline long sleepsOf(const std::string& threadId) {
    std::ifstream status("/proc/self/task/" + threadId + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(24));
    return -1;
}
