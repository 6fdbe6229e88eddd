#pragma once

#include <QApplication>
#include <QEvent>
#include <QStringList>

#include <string>

// The names of the controls painted while it lives (a control without a name by its class).
class TpaintLog : public QObject {
public:
    TpaintLog() { qApp->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
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
