// The program's fixed windows as a real window manager that ignores the hints against minimizing
// (openbox) treats them. The checks run in a child of the test, on the rig's own X server.
#include "core/QtPrompts.h"
#include "display/Tabout.h"
#include "display/Tsmall.h"
#include "measurement/Tintro.h"
#include "support/WindowManagerRig.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

#ifdef CORV_X11_TESTS
#include "support/X11Properties.h"

namespace {
// Runs the loop until `done` holds or `ms` have passed.
bool waitFor(const std::function<bool()>& done, int ms = 10000) {
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    return true;
}

// Notes that the window has been minimized.
class MinimizeSeen : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<QWidget*>(watched);
        seen = seen || (event->type() == QEvent::WindowStateChange && window->isMinimized());
        return false;
    }
    bool seen = false;
};

// A dialog (or a utility window) that the window manager does not maximize, told so by the
// Motif hints too, and that is back on screen after the window manager minimized it.
void checkFixedWindow(QWidget& window, X11Properties& x) {
    SCOPED_TRACE(window.windowTitle().toStdString());
    const xcb_window_t id = window.winId();
    ASSERT_TRUE(waitFor([&] { return !x.values(id, "_NET_WM_ALLOWED_ACTIONS").empty(); }));
    EXPECT_TRUE(x.holds(id, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DIALOG") ||
                x.holds(id, "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_UTILITY"));
    EXPECT_FALSE(x.holds(id, "_NET_WM_ALLOWED_ACTIONS", "_NET_WM_ACTION_MAXIMIZE_HORZ"));
    EXPECT_FALSE(x.holds(id, "_NET_WM_ALLOWED_ACTIONS", "_NET_WM_ACTION_MAXIMIZE_VERT"));
    const std::vector<std::uint32_t> motif = x.values(id, "_MOTIF_WM_HINTS");
    ASSERT_GE(motif.size(), 3u);
    EXPECT_EQ(motif[1] & 0x18u, 0u); // functions: neither minimize nor maximize
    EXPECT_EQ(motif[2] & 0x60u, 0u); // decorations: neither button
    const auto normal = [&] {
        const std::vector<std::uint32_t> state = x.values(id, "WM_STATE");
        return !state.empty() && state[0] == 1 && window.isVisible() && !window.isMinimized();
    };
    ASSERT_TRUE(waitFor(normal)) << "never shown";
    MinimizeSeen minimized;
    window.installEventFilter(&minimized);
    x.requestIconic(id);
    waitFor([&] { return minimized.seen; }); // a window manager may refuse it as well
    EXPECT_TRUE(waitFor(normal)) << "left minimized";
    window.removeEventFilter(&minimized);
}

// A window manager that is still starting may leave a window mapped meanwhile unmanaged: a
// probe window is shown again until one is managed.
bool windowManagerRuns(X11Properties& x) {
    QWidget probe;
    for (int attempt = 0; attempt < 10; ++attempt) {
        probe.show();
        const auto managed = [&] { return !x.values(probe.winId(), "WM_STATE").empty(); };
        if (waitFor(managed, 1000)) return true;
        probe.hide();
    }
    return false;
}

QMessageBox* openMessageBox() {
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) return box;
    return nullptr;
}

void checkFixedWindows() {
    X11Properties x;
    ASSERT_TRUE(windowManagerRuns(x))
        << "no window manager on " << qgetenv("DISPLAY").toStdString();
    TWabout about;
    TWintro intro;
    TWsmall small;
    for (QWidget* window : std::initializer_list<QWidget*>{&about, &intro, &small}) {
        window->show();
        checkFixedWindow(*window, x);
        window->hide();
    }
    TqtPrompts prompts;
    QTimer::singleShot(0, [&x] {
        QMessageBox* box = nullptr;
        waitFor([&box] { return (box = openMessageBox()) != nullptr; });
        ASSERT_NE(box, nullptr);
        checkFixedWindow(*box, x);
        box->done(QMessageBox::Ok);
    });
    prompts.message("No module found", "Error", TpromptIcon::Error, TpromptButtons::Ok);
}
} // namespace
#endif

TEST(WindowManager, FixedWindowsAreDialogsThatComeBackWhenMinimized) {
#ifdef CORV_X11_TESTS
    if (qEnvironmentVariableIsSet("CORV_UNDER_WINDOW_MANAGER")) {
        checkFixedWindows();
        return;
    }
    WindowManagerRig rig;
    if (rig.display().isEmpty()) GTEST_SKIP() << rig.whyNot.toStdString();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", rig.display());
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.insert("CORV_UNDER_WINDOW_MANAGER", "1");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=WindowManager.*"});
    ASSERT_TRUE(child.waitForFinished(100000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
#else
    GTEST_SKIP() << "built without the xcb headers (package libxcb1-dev)";
#endif
}
