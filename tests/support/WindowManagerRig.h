#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QString>

// An X server of its own (Xvfb) with a real window manager (openbox) on it, for a test that
// checks what a window manager makes of the program's windows. display() stays empty, and
// whyNot says why, when either program is missing or does not start.
class WindowManagerRig {
public:
    WindowManagerRig() {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        const QString openbox = QStandardPaths::findExecutable("openbox");
        if (xvfb.isEmpty() || openbox.isEmpty()) {
            whyNot = "needs Xvfb (package xvfb) and openbox (package openbox)";
            return;
        }
        server.start(xvfb, {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        QString number;
        while (!number.endsWith('\n') && server.waitForReadyRead(10000))
            number += QString::fromLatin1(server.readAllStandardOutput());
        if (number.trimmed().isEmpty()) {
            whyNot = "Xvfb did not start: " + QString::fromLocal8Bit(server.readAllStandardError());
            return;
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", ":" + number.trimmed());
        manager.setProcessEnvironment(env);
        manager.start(openbox, {"--sm-disable"});
        if (!manager.waitForStarted(10000)) {
            whyNot = "openbox did not start";
            return;
        }
        name = ":" + number.trimmed();
    }
    ~WindowManagerRig() {
        for (QProcess* process : {&manager, &server}) {
            process->terminate();
            if (!process->waitForFinished(5000)) process->kill();
            process->waitForFinished(5000);
        }
    }
    WindowManagerRig(const WindowManagerRig&) = delete;
    WindowManagerRig& operator=(const WindowManagerRig&) = delete;

    QString display() const { return name; }
    QString whyNot;

private:
    QProcess server, manager;
    QString name;
};
