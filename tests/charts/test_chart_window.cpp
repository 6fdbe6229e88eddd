#include "charts/ChartHost.h"
#include "charts/DataFileSink.h"
#include "charts/Plot_time.h"
#include "charts/Tchart.h"
#include "charts/Tchart_settings.h"
#include "core/Globals.h"
#include "core/Prompts.h"
#include "support/LastOf.h"
#include "support/PaintLog.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDir.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTextLayout>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

class Thost : public TchartHost {
public:
    void uncheckViewChart() override { ++unchecks; }
    int unchecks = 0;
};

constexpr std::int64_t Feb20 = 982665895; // Feb 20 10:44:55 2001 UTC

class ChartWindow : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC0", 1);
        tzset();
        theSystem.prompts = &prompts;
        chart.clock = [this] { return now; };
        chart.dateTimeText = [] { return std::string("20.02.2001 10:44:55"); };
    }
    void TearDown() override { theSystem.prompts = nullptr; }

    template <class T> T* find(const char* name) {
        T* child = chart.findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QString text(const char* name) { return find<QLabel>(name)->text(); }
    Tplot_time* plot(TchartPlot which) { return chart.plot(which); }
    // Pressure, temperature, altitude, humidity, SHT15 temperature: plotted, and written by the
    // data file's sink as the desktop program adds it (a marker is an absent value).
    void sample(double p, double t, double a, double h = 0, double ht = 0) {
        chart.NewSample(30000, 28000, t, p, a, h, ht);
        const auto given = [](double v, double marker) {
            return v < marker ? std::optional<double>(v) : std::nullopt;
        };
        Treading r;
        r.pressure = given(p, 9999.9);
        r.altitude = a;
        r.temperature = given(t, 999.9);
        r.humidity = given(h, 9999.9);
        r.humidityTemperature = given(ht, 9999.9);
        r.D1 = 30000;
        r.D2 = 28000;
        file.reading(r);
        ++now;
    }

    TscriptedPrompts prompts;
    Thost host;
    TWchart chart{&host};
    TdataFileSink file{chart.dataLog(), TdataFileSink::Lines::Every,
                       [this](bool written) { chart.lineLogged(written); }};
    std::int64_t now = Feb20;
};

} // namespace

TEST_F(ChartWindow, StartsHiddenWithEveryPlotSetUpAlike) {
    EXPECT_FALSE(chart.isVisible());
    for (const char* name : {"pressure_plot", "altitude_plot", "temperature_plot", "humidity_plot",
                             "temp_humidity_plot"}) {
        auto* p = find<Tplot_time>(name);
        EXPECT_EQ(p->geometry(), QRect(96, 8, 433, 177)) << name;
        EXPECT_EQ(p->model().HistoryLength(), 3600) << name;
    }
    EXPECT_EQ(find<Tplot_time>("altitude_plot")->parentWidget()->objectName(), "Panel2");
    EXPECT_FALSE(find<QAction>("Enddatalogging1")->isEnabled());
    EXPECT_TRUE(find<QLabel>("lb_rec")->isHidden());
}

TEST_F(ChartWindow, SamplesArePlottedOnlyInsideTheirWindows) {
    chart.ResetCharts();
    sample(1000, 20, 100, 45, 21);
    sample(9999.9, 999.9, 9999.9, 0, 0); // a sample without a valid conversion
    sample(1010, -5, 50, 0, 0);          // no humidity sensor any more
    EXPECT_EQ(plot(TchartPlot::pressure)->model().SampleCount(), 2);
    EXPECT_EQ(plot(TchartPlot::altitude)->model().SampleCount(), 2);
    EXPECT_EQ(plot(TchartPlot::temperature)->model().SampleCount(), 2);
    EXPECT_EQ(plot(TchartPlot::humidity)->model().SampleCount(), 1);
    EXPECT_EQ(plot(TchartPlot::humidityTemperature)->model().SampleCount(), 1);
    EXPECT_EQ(text("lb_ph100"), "1010.00");
    EXPECT_EQ(text("lb_ph66"), "1006.67");
    EXPECT_EQ(text("lb_ph33"), "1003.33");
    EXPECT_EQ(text("lb_ph0"), "1000.00");
    EXPECT_EQ(text("lb_th0"), "-5.00");
    EXPECT_EQ(text("lb_tx0"), "Feb 20 10:44:55 2001\n");
    EXPECT_EQ(text("lb_px100"), "Feb 20 10:44:57 2001\n");
}

TEST_F(ChartWindow, TimeLabelsShowTheSamplesAtAThirdAndTwoThirds) {
    chart.ResetCharts();
    for (int i = 0; i <= 100; ++i)
        sample(1000, 20, 100);
    EXPECT_EQ(text("lb_px0"), "Feb 20 10:44:55 2001\n");
    EXPECT_EQ(text("lb_px33"), "Feb 20 10:45:28 2001\n");
    EXPECT_EQ(text("lb_px66"), "Feb 20 10:46:01 2001\n");
    EXPECT_EQ(text("lb_px100"), "Feb 20 10:46:35 2001\n");
}

TEST_F(ChartWindow, WithoutHumidityTheHumidityPlotsShowNoTime) {
    chart.ResetCharts();
    sample(1000, 20, 100);
    EXPECT_EQ(plot(TchartPlot::humidity)->model().SampleCount(), 0);
    EXPECT_EQ(text("lb_hx0"), "");
    EXPECT_EQ(text("lb_thx100"), "");
    EXPECT_EQ(text("lb_tx33"), "Feb 20 10:44:55 2001\n");
}

// A unit caption wraps between its words, never inside its brackets.
TEST_F(ChartWindow, UnitCaptionsWrapOutsideTheirBrackets) {
    for (const char* name : {"lb_press", "Label3", "Label5", "Label8"}) {
        const QLabel* label = find<QLabel>(name);
        const QString caption = label->text();
        QTextLayout layout(caption, label->font());
        QTextOption option;
        option.setWrapMode(QTextOption::WordWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(label->contentsRect().width());
            const QString part = caption.mid(line.textStart(), line.textLength());
            EXPECT_EQ(part.count('['), part.count(']')) << name << ": " << part.toStdString();
        }
        layout.endLayout();
    }
    EXPECT_EQ(text("Label5").replace(QChar(0xA0), ' '), "Humidity [% RH]");
}

TEST_F(ChartWindow, AltitudeModeAndBackShowTheHiddenPlotsSamples) {
    chart.ResetCharts();
    EXPECT_TRUE(plot(TchartPlot::altitude)->isHidden());
    sample(1000, 20, 100);
    chart.AltitudeTemperature1Click();
    EXPECT_EQ(chart.chartMode(), 1);
    EXPECT_TRUE(plot(TchartPlot::pressure)->isHidden());
    EXPECT_FALSE(plot(TchartPlot::altitude)->isHidden());
    EXPECT_EQ(text("lb_p"), "Chart of altitude vs time");
    EXPECT_EQ(text("lb_press"), "Altitude [m]");
    EXPECT_EQ(text("lb_ph100"), "100.00");
    sample(990, 20, 180);
    sample(995, 20, 140);
    EXPECT_EQ(text("lb_ph100"), "180.00");
    chart.PressureTemperature1Click();
    EXPECT_EQ(text("lb_p"), "Chart of pressure vs time");
    EXPECT_EQ(text("lb_press"), "Pressure [mbar]");
    EXPECT_EQ(plot(TchartPlot::pressure)->model().SampleCount(), 3);
    EXPECT_EQ(text("lb_ph0"), "990.00");
    EXPECT_EQ(text("lb_ph100"), "1000.00");
    // The plot that was hidden is drawn again in full: its image holds the curve in yellow.
    const QImage& image = plot(TchartPlot::pressure)->GetBitmap();
    EXPECT_EQ(image.pixel(0, 1), qRgb(255, 255, 0)); // 1000 at the top left
}

TEST_F(ChartWindow, ClearChartsEmptiesThePlotsAndKeepsTheLabelsUntilTheNextSample) {
    chart.ResetCharts();
    sample(1000, 20, 100, 40, 20);
    sample(1010, 25, 90, 50, 22);
    chart.findChild<QPushButton*>("Button1")->click();
    for (TchartPlot which : {TchartPlot::pressure, TchartPlot::temperature, TchartPlot::altitude,
                             TchartPlot::humidity, TchartPlot::humidityTemperature})
        EXPECT_EQ(plot(which)->model().SampleCount(), 0);
    EXPECT_EQ(text("lb_ph100"), "1010.00");
    EXPECT_EQ(text("lb_hh0"), "40.00");
    EXPECT_EQ(text("lb_px0"), "");
    sample(1005, 21, 95, 45, 21);
    EXPECT_EQ(text("lb_ph100"), "1005.00");
    EXPECT_EQ(text("lb_ph0"), "1005.00");
}

TEST_F(ChartWindow, ResetChartsTurnsAutoScaleOnEverywhere) {
    const TchartPlot plots[] = {TchartPlot::pressure, TchartPlot::altitude, TchartPlot::temperature,
                                TchartPlot::humidity, TchartPlot::humidityTemperature};
    for (TchartPlot which : plots)
        plot(which)->SetAutoScaleY(false);
    chart.rangeDialog()->SetTAutoScale(false);
    chart.ResetCharts();
    for (TchartPlot which : plots)
        EXPECT_TRUE(plot(which)->model().AutoScaleYOn()) << int(which);
    for (const char* name :
         {"PAutoScaleBox", "AAutoScaleBox", "TAutoScaleBox", "HAutoScaleBox", "THAutoScaleBox"})
        EXPECT_TRUE(chart.rangeDialog()->findChild<QCheckBox*>(name)->isChecked()) << name;
    EXPECT_FALSE(chart.rangeDialog()->field(ed_tl)->isEnabled());
}

TEST_F(ChartWindow, CloseAndHideRemoveTheViewCheckMark) {
    chart.show();
    chart.Hide1Click();
    EXPECT_FALSE(chart.isVisible());
    EXPECT_EQ(host.unchecks, 1);
    chart.show();
    chart.close();
    EXPECT_FALSE(chart.isVisible());
    EXPECT_EQ(host.unchecks, 2);
    chart.setHost(nullptr);
    chart.Hide1Click(); // without a main window nothing is called
    EXPECT_EQ(host.unchecks, 2);
}

TEST_F(ChartWindow, CompactAndFullLayoutsSizeBothWindows) {
    TWrange* range = chart.rangeDialog();
    // Until a layout is chosen both windows keep their full size, the page frame its 561.
    EXPECT_EQ(chart.centralWidget()->height(), 538);
    EXPECT_EQ(range->height(), 611);
    EXPECT_EQ(range->findChild<QTabWidget*>("PageControl1")->geometry(), QRect(8, 8, 353, 561));
    chart.SetHumidityLayout(false);
    EXPECT_EQ(chart.centralWidget()->height(), 283);
    EXPECT_EQ(find<QPushButton>("Button1")->y(), 256);
    EXPECT_EQ(find<QLabel>("lb_rec")->y(), 256);
    EXPECT_TRUE(find<QFrame>("Panel3")->isHidden());
    EXPECT_TRUE(find<QFrame>("Panel4")->isHidden());
    EXPECT_EQ(range->height(), 396);
    EXPECT_EQ(range->findChild<QPushButton*>("bt_ok")->y(), 360);
    EXPECT_EQ(range->findChild<QPushButton*>("bt_cancel")->y(), 360);
    EXPECT_TRUE(range->findChild<QGroupBox*>("GroupBox4")->isHidden());
    EXPECT_TRUE(range->findChild<QGroupBox*>("GroupBox5")->isHidden());
    EXPECT_EQ(range->findChild<QTabWidget*>("PageControl1")->height(), 342);

    chart.SetHumidityLayout(true);
    EXPECT_EQ(chart.centralWidget()->height(), 538);
    EXPECT_EQ(find<QPushButton>("Button1")->y(), 504);
    EXPECT_FALSE(find<QFrame>("Panel4")->isHidden());
    EXPECT_EQ(range->height(), 611);
    EXPECT_EQ(range->findChild<QPushButton*>("bt_ok")->y(), 578);
    EXPECT_FALSE(range->findChild<QGroupBox*>("GroupBox5")->isHidden());
    EXPECT_EQ(range->findChild<QTabWidget*>("PageControl1")->height(), 560);
}

TEST_F(ChartWindow, LoggingBlinksRecPerLineAndAWriteErrorEndsIt) {
    const TempDir dir;
    const std::string path = dir.file("samples.dat");
    auto* begin = find<QAction>("Storesamplestofile1");
    auto* end = find<QAction>("Enddatalogging1");
    auto* rec = find<QLabel>("lb_rec");
    auto* timer = find<QTimer>("timer_rec");

    begin->trigger(); // cancelled dialog: nothing changes
    EXPECT_FALSE(chart.logging());
    EXPECT_TRUE(begin->isEnabled());

    prompts.fileNames.push_back(path);
    begin->trigger();
    ASSERT_TRUE(chart.logging());
    EXPECT_FALSE(begin->isEnabled());
    EXPECT_TRUE(end->isEnabled());
    EXPECT_FALSE(rec->isHidden());
    EXPECT_EQ(lastOf(prompts.dialogPresets), "samples.dat");

    sample(9999.9, 999.9, 0); // not plotted, still logged
    EXPECT_TRUE(rec->isHidden());
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 600);
    chart.OnTimer();
    EXPECT_FALSE(rec->isHidden());
    EXPECT_FALSE(timer->isActive());
    const std::string text = readWhole(path);
    EXPECT_NE(text.find("\r\n20.02.2001 10:44:55;30000;28000;9999.90;999.90;0.00\r\n"),
              std::string::npos);
    EXPECT_EQ(plot(TchartPlot::pressure)->model().SampleCount(), 0);

    ASSERT_EQ(unlink(path.c_str()), 0);
    sample(1000, 20, 100);
    EXPECT_FALSE(chart.logging());
    EXPECT_TRUE(rec->isHidden());
    EXPECT_FALSE(timer->isActive());
    EXPECT_TRUE(begin->isEnabled());
    EXPECT_FALSE(end->isEnabled());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].text.find(path), std::string::npos);
    sample(1000, 20, 100);
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_FALSE(timer->isActive()); // no line, no blink

    prompts.fileNames.push_back(path);
    begin->trigger();
    ASSERT_TRUE(chart.logging());
    end->trigger();
    EXPECT_FALSE(chart.logging());
    EXPECT_TRUE(rec->isHidden());
    EXPECT_TRUE(begin->isEnabled());
}

TEST_F(ChartWindow, ANewSampleRepaintsItsPlotsAndTheTimesThatChangedAlone) {
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart)); // an X server exposes it when it likes
    for (int i = 0; i < 3; ++i)
        sample(1000, 20, 100);
    QCoreApplication::processEvents();
    TpaintLog log;
    sample(1000, 20, 100); // the newest time changes, the other three and the ranges do not
    QCoreApplication::processEvents();
    EXPECT_EQ(log.names(), "lb_px100 lb_tx100 pressure_plot temperature_plot");
}

// Painted sample by sample, each time only where the curves changed, the window on the screen
// is the window painted afresh.
TEST_F(ChartWindow, WindowPaintedSampleBySampleIsTheWindowPaintedAfresh) {
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    for (int i = 0; i < 40; ++i) {
        sample(1000 + (i % 7) * (i % 3), 20 - i % 5, 100);
        QCoreApplication::processEvents();
    }
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(chart.winId()).toImage();
    EXPECT_TRUE(screen == chart.grab().toImage().convertToFormat(screen.format()));
}
