#include "charts/Tchart.h"
#include "core/Globals.h"
#include "core/Main.h"
#include "core/Prompts.h"
#include "core/TWdebug.h"
#include "display/Tabout.h"
#include "display/Tmain.h"
#include "display/Tsmall.h"
#include "emulator/PortPublisher.h"
#include "emulator/PtyModule.h"
#include "emulator/SerialModule.h"
#include "links/Serial_enum.h"
#include "measurement/Seqmain.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// The whole program, as start-up builds it, against an emulated serial module: nothing but the
// module's pty is visible to the port search.
class Program : public ::testing::Test {
protected:
    Program() {
        dir = fs::temp_directory_path() / ("corv_program_" + std::to_string(getpid()));
        fs::create_directories(dir / "none");
        old = fs::current_path();
        fs::current_path(dir);
        TserialRoots roots;
        roots.sysfs = (dir / "none").string();
        roots.dev = (dir / "none").string();
        roots.emulated = (dir / "emu").string();
        setSerialRoots(roots);
        publisher = std::make_unique<TportPublisher>(roots.emulated);
        publisher->claim();
        pty = std::make_unique<TptyModule>(module, publisher.get());
    }
    ~Program() override {
        pty.reset();
        publisher.reset();
        setSerialRoots(TserialRoots{});
        fs::current_path(old);
        fs::remove_all(dir);
    }

    static QString text(QWidget* window, const char* name) {
        auto* label = window->findChild<QLabel*>(name);
        return label ? label->text() : QString("<missing>");
    }

    fs::path dir, old;
    TserialModule module;
    std::unique_ptr<TportPublisher> publisher;
    std::unique_ptr<TptyModule> pty;
};

// Saves a picture of a window for the documentation when CORV_SCREENSHOTS names a directory.
void screenshot(QWidget* window, const char* name) {
    const QString target = QString(CORV_SCREENSHOTS) + "/" + name;
    window->grab().save(target);
}
} // namespace

TEST_F(Program, FindsTheModuleShowsLiveValuesAndClosesInOrder) {
    ASSERT_TRUE(pty->plug());
    std::ofstream("setup.ini") << "set_altitude\t0\nset_sampling_ts\t1\n";
    TmodelObjects model;
    TprogramWindows windows;
    TscriptedPrompts prompts;
    theSystem.prompts = &prompts;
    TWmain& main = windows.mainWindow();
    // Nothing has started before the loop runs.
    EXPECT_EQ(theSystem.seqMain->getStep(), 0);
    EXPECT_EQ(text(&main, "lb_type"), "");

    bool live = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (text(&main, "lb_type") != "COM module" || text(&main, "lbpressure") == "----.--" ||
            text(&main, "lb_rh") == "----.--")
            return;
        poll.stop();
        live = true;
        EXPECT_NEAR(text(&main, "lbpressure").toDouble(), 1013.25, 0.2);
        EXPECT_NEAR(text(&main, "lb_rh").toDouble(), 50, 0.5);
        EXPECT_NEAR(text(&main, "lbcelsius").section(' ', 0, 0).toDouble(), 20, 0.2);
        EXPECT_EQ(text(&main, "Panel5"), "Variable");
        auto* pages = main.findChild<QTabWidget*>("PageControl1");
        screenshot(&main, "main_barometer.png");
        pages->setCurrentIndex(1);
        EXPECT_EQ(text(&main, "lbmeter"), "0");
        screenshot(&main, "main_altimeter.png");
        pages->setCurrentIndex(0);
        main.findChild<QAction*>("Minimize1")->trigger();
        screenshot(&windows.smallWindow(), "small.png");
        main.findChild<QAction*>("Minimize1")->trigger();
        theSystem.parameters->setParameter(13, 0);
        windows.aboutBox().show();
        screenshot(&windows.aboutBox(), "about.png");
        windows.aboutBox().hide();
        prompts.answers.push_back(TpromptAnswer::Yes);
        main.findChild<QAction*>("Exit1")->trigger();
    });
    poll.start(50);
    QTimer::singleShot(30000, [] { QCoreApplication::exit(1); }); // give up
    int exitCode = -1;
    runMessageLoop([&exitCode] { exitCode = QApplication::exec(); });

    EXPECT_TRUE(live);
    EXPECT_EQ(exitCode, 0); // ended by the main sequence, not by the give-up timer
    if (HasFailure()) {
        auto* memo = windows.debugWindow().findChild<QPlainTextEdit*>("Memo1");
        std::fprintf(stderr, "%s\n", memo->toPlainText().right(3000).toLocal8Bit().data());
    }
    EXPECT_TRUE(fs::exists("setup.ini")); // autosaved on exit
    model.destroy();
    EXPECT_EQ(theSystem.sensor, nullptr);
    EXPECT_EQ(theSystem.seqMain, nullptr);
    EXPECT_EQ(theSystem.meteo, nullptr);
    theSystem.prompts = nullptr;
}

TEST(RunMessageLoop, ShowsAnEscapingExceptionInAnErrorBox) {
    TscriptedPrompts prompts;
    theSystem.prompts = &prompts;
    runMessageLoop([] { throw std::runtime_error("broken"); });
    runMessageLoop([] { throw 42; });
    runMessageLoop([] {});
    theSystem.prompts = nullptr;
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].text, "broken");
    EXPECT_EQ(prompts.shown[0].icon, TpromptIcon::Error);
    EXPECT_EQ(prompts.shown[1].text, "");
}
