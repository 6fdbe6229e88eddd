#include "core/Globals.h"
#include "core/Prompts.h"
#include "core/VirtualLoop.h"
#include "display/Tmain.h"
#include "display/Tmeteo.h"
#include "display/Tsmall.h"
#include "measurement/Seqmain.h"
#include "measurement/Tsensor.h"
#include "settings/Tsettings.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The settings dialog opened from the main window's menu over a real sensor and weather model,
// in a directory of its own.
class SettingsFromMainWindow : public testing::Test {
protected:
    SettingsFromMainWindow() : meteo([] { return std::int64_t{1'000'000}; }) {
        dir = fs::temp_directory_path() / ("corv_settings_" + std::to_string(getpid()));
        fs::create_directories(dir);
        old = fs::current_path();
        fs::current_path(dir);
        theSystem.sensor = &sensor;
        theSystem.meteo = &meteo;
        theSystem.seqMain = &seqMain;
        theSystem.prompts = &prompts;
        main.setSmallWindow(&small);
        main.setSettingsDialog(&settings);
        small.setMainDisplay(&main.display());
        main.show();
    }

    ~SettingsFromMainWindow() override {
        theSystem = Tsystem{};
        fs::current_path(old);
        fs::remove_all(dir);
    }

    void type(const char* name, const QString& keys) {
        auto* field = settings.findChild<QLineEdit*>(name);
        ASSERT_NE(field, nullptr) << name;
        auto* pages = settings.findChild<QTabWidget*>("PageControl1");
        for (int i = 0; i < pages->count(); ++i)
            if (pages->widget(i)->isAncestorOf(field)) pages->setCurrentIndex(i);
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, keys);
        QTest::keyClick(field, Qt::Key_Tab);
    }

    // Edits the open dialog and clicks OK; a dialog still open afterwards is cancelled so that
    // the menu's exec() returns.
    void editAndConfirm() {
        ASSERT_TRUE(settings.isVisible());
        QApplication::setActiveWindow(&settings);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&settings));
        type("ed_n", "4");
        type("ed_tss", "5");
        type("ed_alti", "500");
        type("ed_sunny", "1000");
        type("ed_variable", "995");
        type("ed_overcast", "990");
        type("ed_hysteresis", "0.7");
        type("ed_quick_down", "-2");
        type("ed_w1", "65535");
        QTest::mouseClick(settings.findChild<QPushButton*>("bt_ok"), Qt::LeftButton);
        if (settings.isVisible()) settings.reject();
    }

    fs::path dir, old;
    TvirtualLoop loop;
    Tsensor sensor;
    Tmeteo meteo;
    TseqMAIN seqMain;
    TscriptedPrompts prompts;
    TWmain main;
    TWsmall small;
    TWsettings settings;
};

} // namespace

TEST_F(SettingsFromMainWindow, OkReachesTheMainWindowAndTheSettingsFileWrittenOnExit) {
    QTimer::singleShot(0, &settings, [this] { editAndConfirm(); });
    main.findChild<QAction*>("Settings1")->trigger();
    ASSERT_EQ(settings.result(), QDialog::Accepted);
    EXPECT_TRUE(prompts.shown.empty());

    EXPECT_EQ(main.findChild<QLabel*>("lb_alti")->text(), "500.0");
    EXPECT_EQ(sensor.getN(), 4);
    EXPECT_EQ(sensor.getTS(), 5);
    EXPECT_EQ(meteo.getSunnyLimit(), 1000);
    EXPECT_EQ(meteo.getVariableLimit(), 995);
    EXPECT_EQ(meteo.getOvercastLimit(), 990);
    EXPECT_EQ(meteo.getQuickDownRate(), -2);
    Tsensor_wc inUse;
    sensor.getCalibration(&inUse);
    EXPECT_EQ(inUse.C1, 32767);
    EXPECT_EQ(inUse.C5, 1024);

    prompts.answers = {TpromptAnswer::Yes};
    main.findChild<QAction*>("Exit1")->trigger();
    ASSERT_EQ(prompts.shown.at(0).text, "Close application ?");
    std::ifstream file("setup.ini");
    std::stringstream contents;
    contents << file.rdbuf();
    for (const char* line :
         {"set_sampling_n\t4\n", "set_sampling_ts\t5\n", "set_altitude\t500.000000\n",
          "set_meteo_overcast_limit\t990.000000\n", "set_meteo_variable_limit\t995.000000\n",
          "set_meteo_sunny_limit\t1000.000000\n", "set_meteo_hysteresis_limit\t0.700000\n",
          "set_quick_down_weather_rate\t-2.000000\n"})
        EXPECT_NE(contents.str().find(line), std::string::npos) << line << contents.str();
}
