#include "logger/SignalWatcher.h"

#include <csignal>
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

} // namespace

void TsignalWatcher::blockSignals() {
    const sigset_t set = watchedSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

TsignalWatcher::TsignalWatcher(std::function<void(int)> signalHandler)
    : handler(std::move(signalHandler)), thread([this] { watch(); }) {}

// The watcher sleeps until a signal comes: its end is one, sent to its thread alone.
TsignalWatcher::~TsignalWatcher() {
    stopping = true;
    pthread_kill(thread.native_handle(), SIGTERM);
    thread.join();
}

void TsignalWatcher::watch() {
    const sigset_t set = watchedSignals();
    while (true) {
        int signal = 0;
        if (sigwait(&set, &signal) != 0) continue;
        if (stopping) return;
        handler(signal);
    }
}
