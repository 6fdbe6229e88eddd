#include "widgets/FixedDialog.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {
// Undoes a minimize of the window it watches, once the state change has been handled.
class Unminimizer : public QObject {
public:
    explicit Unminimizer(QWidget& window) : QObject(&window) { window.installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::WindowStateChange && window && window->isMinimized())
            QTimer::singleShot(0, window, [window] {
                if (!window->isMinimized()) return;
                window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
                window->show();
                window->raise();
                window->activateWindow();
            });
        return false;
    }
};
} // namespace

void refuseMinimize(QWidget& window) {
    new Unminimizer(window);
}
