#pragma once

#include "charts/ChartTexts.h"
#include "charts/ChartView.h"
#include "charts/DataLog.h"
#include "charts/RangeCheck.h"
#include "charts/TimeLabel.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

class QAction;
class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class TchartHost;
class Tplot_time;
class TWrange;
struct TpanelText;

// The "Data recorder" window: four panels plotting pressure or altitude, the temperature of
// the pressure sensor, the humidity and the temperature of the humidity sensor against time,
// with their value and time labels; the data file; the range dialog. Created hidden; receives
// every sample whether shown or not.
class TWchart : public QMainWindow, public TchartView {
    Q_OBJECT
public:
    explicit TWchart(TchartHost* host = nullptr, QWidget* parent = nullptr);
    ~TWchart() override;

    void ResetCharts() override;
    void NewSample(int D1, int D2, double temperature, double pressure, double altitude,
                   double humidity, double humidityTemperature) override;
    void SetHumidityLayout(bool full) override;

    // Applies the chart mode and repaints every plot and label; force applies the mode again.
    void RefreshCharts(bool force);

    void setHost(TchartHost* newHost) { host = newHost; }
    Tplot_time* plot(TchartPlot which) const;
    TWrange* rangeDialog() const { return range; }
    // 0: pressure shown, 1: altitude shown.
    int chartMode() const { return ChartMode; }
    bool logging() const { return LogFile.logging(); }
    // The data file the File menu begins and ends; its sink writes the lines.
    TdataLog& dataLog() { return LogFile; }
    // A line went to the data file: REC blinks; a failed one has ended logging.
    void lineLogged(bool written);

    // Seconds since 1970 of now, and the local date-time text of the data file; tests fix them.
    std::function<std::int64_t()> clock;
    std::function<std::string()> dateTimeText;

public slots:
    void Hide1Click();
    void PressureTemperature1Click();
    void AltitudeTemperature1Click();
    void Setupdisplayrange1Click();
    void Button1Click();
    void OnTimer();
    void Storesamplestofile1Click();
    void Enddatalogging1Click();
    // Applies the ranges the range dialog was left with and repaints.
    void applyRanges(TplotRanges ranges);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct Tpanel {
        QFrame* frame = nullptr;
        Tplot_time* plot = nullptr;
        std::array<QLabel*, 4> values{}; // high, two thirds, one third, low
        std::array<QLabel*, 4> times{};  // fractions 0, 0.33, 0.66, 1
    };

    void buildMenus();
    void buildPanels(QWidget* client);
    void buildPanel(QWidget* client, const TpanelText& text);
    void addScaleLabels(Tpanel& panel, const TpanelText& text);
    Tpanel& panelOf(TchartPlot which);
    void UpdateTimeLabels(TchartPlot which);
    void UpdateRangeLabels(TchartPlot which);
    void plotIfInside(TchartPlot which, double value, double time);
    // Sizes this window only; the range dialog keeps its own layout.
    void applyLayout(bool full);
    void applyMode();
    void applyLogState();
    void hideAndUncheck();

    TchartHost* host;
    int ChartMode = 0;
    int AppliedChartMode = 1;
    TdataLog LogFile;
    TWrange* range = nullptr;

    TlabelPictures timePictures;  // shared by the time labels of every panel
    std::array<Tpanel, 5> panels; // in TchartPlot order; pressure and altitude share labels
    std::unordered_map<const QLabel*, std::int64_t> shownTimes; // the time each label shows
    QLabel* lb_press = nullptr;
    QLabel* lb_p = nullptr;
    QLabel* lb_rec = nullptr;
    QPushButton* Button1 = nullptr;
    QTimer* timer_rec = nullptr;
    QAction* Storesamplestofile1 = nullptr;
    QAction* Enddatalogging1 = nullptr;
};
