#pragma once

#include "core/EventLoop.h"

#include <QWidget>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

// The hidden signal window: carries posted notifications into the GUI thread in posting order,
// runs the one-shot timers of the delays and delivers the start message once the loop runs.
class TSignalForm : public QWidget, public TeventLoop {
    Q_OBJECT
public:
    // Becomes the program's event loop and posts the start message to itself.
    explicit TSignalForm(std::function<void()> onStart = {});
    ~TSignalForm() override;

    void post(TeventResource* target, std::int32_t code) override;
    unsigned startTimer(Tdelay_resource* delay, unsigned ms) override;
    void killTimer(unsigned id) override;
    void forget(TeventResource* target) override;

protected:
    bool event(QEvent* e) override;
    void timerEvent(QTimerEvent* e) override;

private:
    struct Message {
        TeventResource* target;
        std::int32_t code;
        bool start;
    };
    void enqueue(const Message& message);
    void deliverOne();

    std::function<void()> startHandler;
    std::mutex queueMutex;
    std::deque<Message> queue;
    std::map<int, Tdelay_resource*> timers;
};
