#pragma once

#include <Qt>

class QWidget;

// Window flags of a window of fixed size: a caption and a close button, and no minimize or
// maximize button (the window manager is told which buttons to draw instead of choosing).
inline Qt::WindowFlags fixedDialogFlags(Qt::WindowType kind) {
    return kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
           Qt::MSWindowsFixedSizeDialogHint;
}

// Keeps the window from being minimized: under a window manager that draws a minimize button
// anyway (some ignore the hints above), a minimized window comes back at once, so that a modal
// box never hides where nothing can reach it.
void refuseMinimize(QWidget& window);
