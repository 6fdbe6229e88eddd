#include "core/QuitSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {
// The writing end of the live object's pipe, the only thing the handler touches.
volatile std::sig_atomic_t signalPipe = -1;

void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    if (signalPipe >= 0) [[maybe_unused]]
        auto n = ::write(signalPipe, &byte, 1);
    errno = saved;
}
} // namespace

TquitSignals::TquitSignals(std::function<void()> onSignal_) : handler(std::move(onSignal_)) {
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    signalPipe = pipeFds[1];
    notifier = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, &TquitSignals::received);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(handled); ++i)
        sigaction(handled[i], &action, &previous[i]);
}

TquitSignals::~TquitSignals() {
    if (pipeFds[0] < 0) return;
    for (std::size_t i = 0; i < std::size(handled); ++i)
        sigaction(handled[i], &previous[i], nullptr);
    signalPipe = -1;
    notifier.reset();
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
}

void TquitSignals::received() {
    char bytes[64];
    while (::read(pipeFds[0], bytes, sizeof bytes) > 0) {
    }
    if (called) return;
    called = true;
    if (handler) handler();
}
