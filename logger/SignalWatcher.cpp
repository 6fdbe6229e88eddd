#include "logger/SignalWatcher.h"

#include <csignal>
#include <ctime>
#include <pthread.h>

namespace {

sigset_t watchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

// How long the thread waits at a time before it looks whether it should end.
constexpr long PollNs = 200'000'000;

} // namespace

void TsignalWatcher::blockSignals() {
    const sigset_t set = watchedSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

TsignalWatcher::TsignalWatcher(std::function<void(int)> signalHandler)
    : handler(std::move(signalHandler)), thread([this] { watch(); }) {}

TsignalWatcher::~TsignalWatcher() {
    stopping = true;
    thread.join();
}

void TsignalWatcher::watch() {
    const sigset_t set = watchedSignals();
    const timespec wait{0, PollNs};
    while (!stopping) {
        const int signal = sigtimedwait(&set, nullptr, &wait);
        if (signal > 0) handler(signal);
    }
}
