#include "core/Wsignal.h"

#include "core/Eventresource.h"
#include "core/Sequence.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimerEvent>

#include <algorithm>

namespace {
const QEvent::Type DeliverEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
}

TSignalForm::TSignalForm(std::function<void()> onStart) : startHandler(std::move(onStart)) {
    setObjectName("SignalForm");
    setWindowTitle("SignalForm");
    resize(123, 67);
    setEventLoop(this);
    enqueue({nullptr, 0, true});
}

TSignalForm::~TSignalForm() {
    if (eventLoop() == this) setEventLoop(nullptr);
}

void TSignalForm::enqueue(const Message& message) {
    {
        std::lock_guard lock(queueMutex);
        queue.push_back(message);
    }
    QCoreApplication::postEvent(this, new QEvent(DeliverEvent));
}

void TSignalForm::post(TeventResource* target, std::int32_t code) {
    enqueue({target, code, false});
}

bool TSignalForm::event(QEvent* e) {
    if (e->type() != DeliverEvent) return QWidget::event(e);
    deliverOne();
    return true;
}

// One message per delivery event, so that window events interleave with notifications.
void TSignalForm::deliverOne() {
    Message message;
    {
        std::lock_guard lock(queueMutex);
        if (queue.empty()) return; // its message was dropped by forget()
        message = queue.front();
        queue.pop_front();
    }
    if (message.start) {
        if (startHandler) startHandler();
    } else if (message.target) {
        message.target->OnNotification(message.target, message.code);
    }
}

unsigned TSignalForm::startTimer(Tdelay_resource* delay, unsigned ms) {
    const int id = QObject::startTimer(static_cast<int>(ms), Qt::PreciseTimer);
    if (id == 0) return 0;
    timers[id] = delay;
    return static_cast<unsigned>(id);
}

void TSignalForm::killTimer(unsigned id) {
    if (timers.erase(static_cast<int>(id)) > 0) QObject::killTimer(static_cast<int>(id));
}

void TSignalForm::forget(TeventResource* target) {
    {
        std::lock_guard lock(queueMutex);
        std::erase_if(queue, [target](const Message& m) { return !m.start && m.target == target; });
    }
    for (auto it = timers.begin(); it != timers.end();) {
        if (static_cast<TeventResource*>(it->second) == target) {
            QObject::killTimer(it->first);
            it = timers.erase(it);
        } else {
            ++it;
        }
    }
}

void TSignalForm::timerEvent(QTimerEvent* e) {
    const auto it = timers.find(e->timerId());
    if (it == timers.end()) return;
    Tdelay_resource* delay = it->second;
    QObject::killTimer(it->first);
    timers.erase(it);
    if (delay) delay->onTimer();
}
