#pragma once

#include <QWidget>

// True when a window asks for a caption and a close button and for no minimize or maximize
// button. Without CustomizeWindowHint the window manager would choose the buttons itself.
inline bool onlyCloseButton(const QWidget& window) {
    const Qt::WindowFlags flags = window.windowFlags();
    return flags.testFlag(Qt::CustomizeWindowHint) && flags.testFlag(Qt::WindowTitleHint) &&
           flags.testFlag(Qt::WindowCloseButtonHint) &&
           !flags.testFlag(Qt::WindowMinimizeButtonHint) &&
           !flags.testFlag(Qt::WindowMaximizeButtonHint);
}
