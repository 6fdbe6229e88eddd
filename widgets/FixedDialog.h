#pragma once

#include <Qt>

// Window flags of a window of fixed size: a caption and a close button, and no minimize or
// maximize button (the window manager is told which buttons to draw instead of choosing).
inline Qt::WindowFlags fixedDialogFlags(Qt::WindowType kind) {
    return kind | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
           Qt::MSWindowsFixedSizeDialogHint;
}
