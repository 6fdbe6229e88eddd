#pragma once

#include <QObject>

#include <csignal>
#include <functional>
#include <memory>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP (a session logging out, Ctrl+C in the terminal) turned into a call
// of `onSignal` from the message loop: the handler only writes a byte into a pipe whose reading
// end the loop watches. The first signal calls it; later ones are swallowed while the program
// ends. The previous handlers come back when the object goes.
class TquitSignals : public QObject {
public:
    explicit TquitSignals(std::function<void()> onSignal);
    ~TquitSignals() override;
    TquitSignals(const TquitSignals&) = delete;
    TquitSignals& operator=(const TquitSignals&) = delete;

    static constexpr int handled[] = {SIGTERM, SIGINT, SIGHUP};

private:
    void received();

    std::function<void()> handler;
    int pipeFds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier;
    struct sigaction previous[std::size(handled)] = {};
    bool called = false;
};
