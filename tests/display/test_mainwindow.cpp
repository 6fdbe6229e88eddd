#include "charts/Tchart.h"
#include "core/TWdebug.h"
#include "display/BuildDate.h"
#include "display/Tabout.h"
#include "support/LastOf.h"
#include "support/MainWindowRig.h"
#include "support/PaintLog.h"
#include "support/WindowButtons.h"
#include "widgets/Lcd_bar.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {
// The main, small and chart windows over a real sensor and weather model, answering every box
// from a script, in a directory of its own.
class MainWindow : public MainWindowRig {
protected:
    MainWindow() {
        theSystem.chartView = &chart;
        main.setChartWindow(&chart);
        main.setDebugWindow(&debug);
        main.setAboutBox(&about);
        main.show();
    }

    void sample(double pressure, double temperature, double humidity = 0) {
        sensor.pressure = pressure;
        sensor.temperature = temperature;
        sensor.humidity = humidity;
        station.showSample();
    }
    QString text(const char* name) {
        auto* label = main.findChild<QLabel*>(name);
        EXPECT_NE(label, nullptr) << name;
        return label ? label->text() : QString();
    }
    QWidget* widget(const char* name) {
        auto* w = main.findChild<QWidget*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    bool shown(QWidget* window, const char* name) {
        auto* w = window->findChild<QWidget*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w && !w->isHidden(); // also on the page not on top
    }
    QAction* item(const char* name) {
        auto* action = main.findChild<QAction*>(name);
        EXPECT_NE(action, nullptr) << name;
        return action;
    }

    TWchart chart{&main};
    TWdebug debug;
    TWabout about;
};
} // namespace

TEST_F(MainWindow, ControlsCarryTheirNamesAndFirstCaptions) {
    EXPECT_EQ(main.windowTitle(), "CORVASINE's Barometer");
    EXPECT_EQ(main.centralWidget()->size(), QSize(655, 396));
    EXPECT_EQ(main.minimumSize(), main.maximumSize());
    const std::pair<const char*, const char*> captions[] = {
        {"lbpresssea", "----.--"},     {"lb_pmin", "----.-- [mbar]"},
        {"lb_pmax", "----.-- [mbar]"}, {"pl_trend", "intermediate high pressure system"},
        {"lb_var", "45.25"},           {"lbbottom", "0 meter"},
        {"lbtop", "3000 m"},           {"lbmeter", "-----"},
        {"lbfeet", "-----"},           {"lbcelsius", "--.-- °C "},
        {"lbfarenheit", "---.-- °F"},  {"lb_tmin", "---.-- [°C]"},
        {"lb_tmax", "---.-- [°C]"},    {"lbpressure", "----.--"},
        {"lb_rh", "----.--"},          {"lb_type", ""}};
    for (const auto& [name, caption] : captions)
        EXPECT_EQ(text(name), caption) << name;
    for (const char* name :
         {"lb_alti",  "lb_altifeet", "lb_d1",     "lb_d2",     "Bevel3",    "GroupBox1",
          "Panel4",   "Panel5",      "Panel3",    "Panel6",    "GroupBox2", "altipanel",
          "shparrow", "imgup",       "imgdown",   "bvl1",      "Bevel1",    "Panel8",
          "lb_amin",  "lb_amax",     "GroupBox3", "GroupBox4", "verre1",    "verre2",
          "verre3",   "mercure",     "mercure2",  "Image1",    "Panel1",    "GroupBox5"})
        widget(name);
    for (const char* name :
         {"img_sunny", "img_variable", "img_couvert", "img_rainy", "img_rainsnow", "img_snow",
          "mountlow", "mountmid", "mounthigh", "img_quick_up", "img_slow_up", "img_unch",
          "img_slow_down", "img_quick_down"})
        EXPECT_FALSE(shown(&main, name)) << name;
    EXPECT_EQ(widget("img_sunny")->size(), QSize(177, 177));
    EXPECT_EQ(widget("altipanel")->size(), QSize(297, 221));
    EXPECT_EQ(widget("mercure")->geometry(), QRect(72, 184, 9, 25));

    auto* pages = main.findChild<QTabWidget*>("PageControl1");
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->tabText(0), "Barometer mode");
    EXPECT_EQ(pages->widget(0)->objectName(), "sheet_p");
    EXPECT_EQ(pages->tabText(1), "Altimeter mode");
    EXPECT_EQ(pages->widget(1)->objectName(), "sheet_a");
    EXPECT_EQ(pages->tabBar()->layoutDirection(), Qt::RightToLeft);

    int left = 8;
    for (int age : {16, 8, 4, 2, 1, 0}) {
        auto* bar = main.findChild<Tlcd_bar*>(QString("pb%1").arg(age));
        ASSERT_NE(bar, nullptr) << age;
        EXPECT_EQ(bar->parentWidget()->objectName(), "Panel6");
        EXPECT_EQ(bar->geometry(), QRect(left, 24, 27, 47)) << age;
        EXPECT_EQ(bar->BorderColor(), QColor(0x80, 0x80, 0x80));
        left += 32;
        EXPECT_EQ(bar->YLowRange(), 995);
        EXPECT_EQ(bar->YHighRange(), 1025);
        EXPECT_EQ(bar->NbrOfSegments(), 7);
        EXPECT_EQ(bar->BarValue(), 1020);
    }
}

TEST_F(MainWindow, MenusWithCaptionsShortcutsSeparatorsAndCheckMarks) {
    const QList<QAction*> menus = main.menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    EXPECT_EQ(menus[0]->text(), "File");
    EXPECT_EQ(menus[1]->text(), "Plots");
    EXPECT_EQ(menus[2]->text(), "Settings");
    EXPECT_EQ(menus[3]->text(), "Help");
    QStringList file;
    for (QAction* a : menus[0]->menu()->actions())
        file << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(file,
              QStringList({"Detect module on LPT1 or COM/USB", "-", "Load settings ...",
                           "Save settings As ...", "Autosave settings on exit", "-", "Exit"}));
    EXPECT_EQ(item("Loadsettings1")->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_TRUE(item("Autosavesettingsonexit1")->isChecked());
    EXPECT_EQ(item("ViewChart1")->text(), "View Chart");
    EXPECT_EQ(item("Clearminmaxvalues1")->text(), "Clear min/max values");
    EXPECT_EQ(item("Minimize1")->text(), "Minimize");
    EXPECT_EQ(item("Settings1")->text(), "Settings");
    EXPECT_EQ(item("Mabout")->text(), "About");

    item("Autosavesettingsonexit1")->trigger();
    EXPECT_FALSE(item("Autosavesettingsonexit1")->isChecked());
    EXPECT_EQ(main.display().getParameter(14), 0.0);
    item("Autosavesettingsonexit1")->trigger();
    EXPECT_TRUE(item("Autosavesettingsonexit1")->isChecked());
    EXPECT_EQ(main.display().getParameter(14), 1.0);
}

TEST_F(MainWindow, CtrlTAndCtrlHOpenTheSettingsAndHelpMenus) {
    QApplication::setActiveWindow(&main);
    const QList<QAction*> menus = main.menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    const std::pair<Qt::Key, QMenu*> keys[] = {{Qt::Key_T, menus[2]->menu()},
                                               {Qt::Key_H, menus[3]->menu()}};
    for (const auto& [key, menu] : keys) {
        ASSERT_FALSE(menu->isVisible());
        QTest::keyClick(&main, key, Qt::ControlModifier);
        EXPECT_TRUE(menu->isVisible()) << menu->title().toStdString();
        menu->close();
    }
}

TEST_F(MainWindow, SeaLevelOffsetAndAltitudeChanges) {
    theSystem.parameters->setParameter(3, 0);
    sample(1000.02, 20);
    EXPECT_EQ(text("lbpressure"), "1000.0");
    EXPECT_EQ(text("lbpresssea"), "1000.1"); // 0.04 mbar above the local pressure
    EXPECT_NEAR(theSystem.parameters->getParameter(8), 0.04, 0.0005);
    station.resetReference();
    sample(1010, 25);
    ASSERT_NE(meteo.getHistory(0), -1.0);
    EXPECT_EQ(text("lb_tmin"), "20.0 [°C]");

    theSystem.parameters->setParameter(3, 0); // the same altitude keeps both
    EXPECT_NE(meteo.getHistory(0), -1.0);
    EXPECT_EQ(text("lb_tmin"), "20.0 [°C]");
    EXPECT_EQ(text("lb_tmax"), "25.0 [°C]");

    theSystem.parameters->setParameter(3, 10); // another clears both
    EXPECT_EQ(meteo.getHistory(0), -1.0);
    EXPECT_EQ(text("lb_tmin"), "25.0 [°C]");
    EXPECT_EQ(text("lb_alti"), "10.0");
    EXPECT_EQ(text("lb_altifeet"), "32.8");
    EXPECT_EQ(text("lbmeter"), "10");
}

TEST_F(MainWindow, AltitudeGaugePicturesLabelsAndArrow) {
    TmainDisplay& d = main.display();
    d.showAltitude(1999.6, true);
    EXPECT_TRUE(shown(&main, "mountlow"));
    EXPECT_EQ(text("lbbottom"), "-1000 m");
    EXPECT_EQ(text("lbtop"), "2000 m");
    d.showAltitude(2000, false);
    EXPECT_FALSE(shown(&main, "mountlow"));
    EXPECT_TRUE(shown(&main, "mountmid"));
    EXPECT_EQ(text("lbbottom"), "2000 m");
    EXPECT_EQ(widget("bvl1")->y(), 224);
    EXPECT_FALSE(shown(&main, "shparrow"));
    d.showAltitude(4000, false); // halfway up the middle gauge
    EXPECT_EQ(widget("bvl1")->y(), 124);
    EXPECT_EQ(widget("lbtop")->y(), 108);
    EXPECT_EQ(widget("imgup")->y(), 124);
    EXPECT_EQ(widget("shparrow")->geometry(), QRect(28, 140, 5, 69));
    d.showAltitude(-1200, false);
    EXPECT_EQ(d.altitude, -1000);
    EXPECT_TRUE(shown(&main, "mountlow"));
    EXPECT_EQ(text("lbmeter"), "-----");
    EXPECT_EQ(text("lbfeet"), "-----");
    EXPECT_EQ(text("lbtop"), "-----");
}

TEST_F(MainWindow, ThermometerColumnAndTemperatureTexts) {
    sample(1000, 70);
    EXPECT_EQ(widget("mercure")->geometry(), QRect(72, 33, 9, 176)); // as for 63 °C
    EXPECT_EQ(widget("mercure")->palette().color(QPalette::Window), QColor(215, 82, 40));
    EXPECT_EQ(text("lbcelsius"), "70.0 °C");
    EXPECT_EQ(text("lbfarenheit"), "158.0 °F");
    EXPECT_EQ(small.findChild<QLabel*>("lbcelsius")->text(), "70.0 [°C]");
    sample(1000, 63);
    EXPECT_EQ(widget("mercure")->geometry(), QRect(72, 33, 9, 176));
    sample(1000, 150);
    EXPECT_EQ(text("lbcelsius"), "---.- °C");
    EXPECT_EQ(text("lbfarenheit"), "---.- °F");
    EXPECT_EQ(small.findChild<QLabel*>("lbcelsius")->text(), "---.- [°C]");
}

// A sample that changes no text, picture, place or colour: the temperature moves within a
// tenth of a degree and a step of the column.
TEST_F(MainWindow, ASampleThatShowsTheSameRepaintsNoControl) {
    small.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&small));
    QCoreApplication::processEvents(); // the small window's activation repaints the main one
    for (double temperature : {20.0, 25.0}) {
        sample(1000, temperature, 40);
        QCoreApplication::processEvents();
        TpaintLog log;
        sample(1000, temperature + 0.02, 40);
        QCoreApplication::processEvents();
        EXPECT_EQ(log.names(), "") << temperature;
    }
}

TEST_F(MainWindow, NoHumiditySensorShowsDashesAndTheSmallChartLayout) {
    sample(1000, 20, 0);
    EXPECT_EQ(text("lb_rh"), "----.-");
    item("ViewChart1")->trigger();
    EXPECT_TRUE(item("ViewChart1")->isChecked());
    EXPECT_TRUE(chart.isVisible());
    EXPECT_FALSE(shown(&chart, "Panel3"));
    EXPECT_FALSE(shown(&chart, "Panel4"));
    item("ViewChart1")->trigger();
    EXPECT_FALSE(chart.isVisible());
    sample(1000, 20, 45);
    EXPECT_EQ(text("lb_rh"), "45.0");
    item("ViewChart1")->trigger();
    EXPECT_TRUE(shown(&chart, "Panel3"));
    EXPECT_TRUE(shown(&chart, "Panel4"));
    main.uncheckViewChart();
    EXPECT_FALSE(item("ViewChart1")->isChecked());
}

TEST_F(MainWindow, RainClassKeepsItsPictureWhileOnlyTheTemperatureChanges) {
    theSystem.parameters->setParameter(3, 0);
    sample(990, 5);
    EXPECT_TRUE(shown(&main, "img_rainy"));
    EXPECT_TRUE(shown(&small, "img_rainy"));
    EXPECT_EQ(text("Panel5"), "Rainy");
    sample(990, -10);
    EXPECT_TRUE(shown(&main, "img_rainy"));
    EXPECT_FALSE(shown(&main, "img_snow"));
    EXPECT_EQ(text("Panel5"), "Rainy");
    EXPECT_TRUE(shown(&small, "img_unch")); // the first history entry: constant trend
    EXPECT_EQ(text("pl_trend"), "Constant");
    EXPECT_EQ(text("lb_var"), "0.000");
}

TEST_F(MainWindow, ClearMinMaxMakesTheSixLabelsTheCurrentValues) {
    theSystem.parameters->setParameter(3, 0);
    sample(1000, 20);
    station.resetReference();
    sample(1012, 12);
    sample(1006, 16);
    EXPECT_NE(text("lb_pmin"), text("lb_pmax"));
    item("Clearminmaxvalues1")->trigger();
    EXPECT_EQ(text("lb_pmin"), text("lb_pmax"));
    EXPECT_EQ(text("lb_amin"), text("lb_amax"));
    EXPECT_EQ(text("lb_tmin"), "16.0 [°C]");
    EXPECT_EQ(text("lb_tmax"), "16.0 [°C]");
    EXPECT_EQ(text("lb_pmin"), "1006.0 [mbar]");
}

TEST_F(MainWindow, CloseAsksAndNeverClosesTheWindowItself) {
    EXPECT_FALSE(main.close()); // answered No
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(prompts.shown.at(0).text, "Close application ?");
    EXPECT_EQ(loop.pendingPosts(), 0u);

    item("Autosavesettingsonexit1")->trigger();
    prompts.answers.push_back(TpromptAnswer::Yes);
    item("Exit1")->trigger();
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(loop.pendingPosts(), 1u);       // the cancel request to the main sequence
    EXPECT_TRUE(fs::is_empty(temp.dir.path)); // autosave off: nothing written

    item("Autosavesettingsonexit1")->trigger();
    prompts.answers.push_back(TpromptAnswer::Yes);
    EXPECT_FALSE(main.close());
    EXPECT_TRUE(fs::exists("setup.ini"));
}

TEST_F(MainWindow, SmallWindowStandsInForTheMainWindow) {
    EXPECT_EQ(small.windowTitle(), "Barometer");
    EXPECT_EQ(small.size(), QSize(211, 80));
    EXPECT_TRUE(onlyCloseButton(small));
    EXPECT_EQ(small.windowType(), Qt::Tool);
    EXPECT_EQ(small.pos(), QPoint(709, 282));
    EXPECT_EQ(small.findChild<QLabel*>("lbcelsius")->text(), "-27.85 [°C]");
    EXPECT_EQ(small.findChild<QLabel*>("lbpresssea")->text(), "1070.21 [mbar]");

    item("Minimize1")->trigger();
    EXPECT_TRUE(small.isVisible());
    EXPECT_FALSE(main.isVisible());
    QTest::mouseClick(small.findChild<QWidget*>("Panel3"), Qt::LeftButton); // no picture
    EXPECT_TRUE(small.isVisible());

    theSystem.meteoView->showTrend(TREND_SLOW_UP, 0.3);
    auto* arrow = small.findChild<QWidget*>("img_slow_up");
    ASSERT_TRUE(arrow->isVisible());
    QTest::mouseClick(arrow, Qt::LeftButton);
    EXPECT_FALSE(small.isVisible());
    EXPECT_TRUE(main.isVisible());

    item("Minimize1")->trigger();
    EXPECT_FALSE(small.close()); // answered No
    EXPECT_TRUE(small.isVisible());
    EXPECT_EQ(lastOf(prompts.shown).text, "Close application ?");
}

// A file written on a larger display, or a window left at an edge: a place where the title bar
// is not on the screen comes back onto it, also when the file restores the small window; a place
// within reach stays.
TEST_F(MainWindow, SmallWindowPlacedOutOfReachComesBackOntoTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        const char* what;
        int x, y, minimized;
        bool stays;
    } places[] = {
        {"far off", 30000, -30000, 0, false},
        {"a few pixels on the screen", screen.right() - 4, screen.top() + 50, 1, false},
        {"title bar above the screen", screen.left() + 100, screen.top(), 1, false},
        {"within reach", screen.right() - 100, screen.top() + 40, 1, true},
    };
    for (const auto& p : places) {
        std::ofstream("place.ini") << "set_small_x\t" << p.x << "\r\nset_small_y\t" << p.y
                                   << "\r\nset_minimized\t" << p.minimized << "\r\n";
        prompts.fileNames = {"place.ini"};
        item("Loadsettings1")->trigger();
        EXPECT_EQ(small.isVisible(), p.minimized == 1) << p.what;
        if (p.stays)
            EXPECT_EQ(small.geometry().topLeft(), QPoint(p.x, p.y)) << p.what;
        else
            EXPECT_TRUE(screen.contains(small.geometry()) &&
                        small.frameGeometry().top() >= screen.top())
                << p.what;
    }
}

TEST_F(MainWindow, SettingsFileThroughTheMenus) {
    std::ofstream("place.ini") << "set_small_x\t100\r\nset_small_y\t50\r\nset_minimized 1\r\n";
    prompts.fileNames = {"place.ini"};
    item("Loadsettings1")->trigger();
    EXPECT_TRUE(small.isVisible());
    EXPECT_EQ(small.geometry().topLeft(), QPoint(100, 50)); // once shown, with its frame known
    EXPECT_FALSE(main.isVisible());

    prompts.fileNames = {"saved.ini"};
    item("SavesettingsAs1")->trigger();
    std::ifstream saved("saved.ini");
    std::string line;
    std::vector<std::string> lines;
    while (std::getline(saved, line))
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 17u);
    EXPECT_EQ(lines[13], "set_minimized\t1.0");
    EXPECT_EQ(lines[15], "set_small_x\t100.000000");
    EXPECT_EQ(lines[16], "set_small_y\t50.000000");
}

TEST_F(MainWindow, CtrlShiftDShowsTheDebugWindow) {
    QApplication::setActiveWindow(&main);
    ASSERT_FALSE(debug.isVisible());
    QTest::keyClick(&main, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(debug.isVisible());
}

TEST_F(MainWindow, AboutBoxShowsTheBuildDateAndClosesWithOk) {
    EXPECT_EQ(about.windowTitle(), "About Corvasine's Barometer");
    EXPECT_EQ(about.size(), QSize(341, 416));
    EXPECT_TRUE(onlyCloseButton(about));
    const QString date = about.findChild<QLabel*>("lb_date")->text();
    EXPECT_TRUE(QRegularExpression("^[A-Z][a-z]{2} \\d{2} \\d{4}$").match(date).hasMatch())
        << date.toStdString();
    EXPECT_EQ(date.toStdString(), buildDate());
    EXPECT_EQ(about.findChild<QLabel*>("ProductName")->text(), "Zediroved Avizadur");
    EXPECT_EQ(about.findChild<QLabel*>("Version")->text(), "Version  3.5");
    auto* ok = about.findChild<QPushButton*>("bt_ok");
    EXPECT_EQ(ok->geometry(), QRect(128, 384, 75, 25));
    QTimer::singleShot(0, ok, [ok] { QTest::mouseClick(ok, Qt::LeftButton); });
    item("Mabout")->trigger();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
}
