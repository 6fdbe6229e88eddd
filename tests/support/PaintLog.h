#pragma once

#include <QApplication>
#include <QEvent>
#include <QStringList>
#include <QWidget>

#include <string>

// The names of the controls painted on the screen while it lives (a control without a name by
// its class); a hidden widget rendered into a picture is not on the screen.
class TpaintLog : public QObject {
public:
    TpaintLog() { qApp->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && static_cast<QWidget*>(watched)->isVisible()) {
            const QString name = watched->objectName();
            painted << (name.isEmpty() ? QString(watched->metaObject()->className()) : name);
        }
        return false;
    }

    // Sorted and apart by spaces.
    std::string names() const {
        QStringList sorted = painted;
        sorted.sort();
        return sorted.join(' ').toStdString();
    }

    QStringList painted;
};
