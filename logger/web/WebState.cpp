#include "logger/web/WebState.h"

TwebState::TwebState(std::function<std::int64_t()> clock) : now(std::move(clock)) {}

template <class Change> void TwebState::change(Change apply) {
    {
        std::lock_guard<std::mutex> hold(lock);
        apply(current);
        ++current.serial;
    }
    changed.notify_all();
}

void TwebState::reading(const Treading& r) {
    change([&r](TwebSnapshot& s) {
        s.state.present = r.measured();
        if (r.measured()) s.reading = r;
    });
}

void TwebState::searchStarted() {
    change([](TwebSnapshot& s) { s.state.searching = true; });
}

void TwebState::portTried(const std::string& port) {
    std::lock_guard<std::mutex> hold(lock);
    tried = port;
}

void TwebState::portResult(bool found) {
    if (!found) return;
    change([this](TwebSnapshot& s) { s.state.port = tried; });
}

void TwebState::searchEnded(bool found) {
    const std::int64_t time = now();
    change([found, time](TwebSnapshot& s) {
        s.state.searching = false;
        if (found) s.state.foundSince = time;
    });
}

void TwebState::moduleLost() {
    const std::int64_t time = now();
    change([time](TwebSnapshot& s) {
        s.state.present = false;
        s.state.lostSince = time;
    });
}

TwebSnapshot TwebState::snapshot() const {
    std::lock_guard<std::mutex> hold(lock);
    return current;
}

TwebSnapshot TwebState::waitForChange(std::uint64_t seen, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> hold(lock);
    changed.wait_for(hold, timeout, [&] { return ending || current.serial != seen; });
    return current;
}

void TwebState::close() {
    {
        std::lock_guard<std::mutex> hold(lock);
        ending = true;
    }
    changed.notify_all();
}

bool TwebState::closed() const {
    std::lock_guard<std::mutex> hold(lock);
    return ending;
}
