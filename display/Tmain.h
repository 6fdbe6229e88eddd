#pragma once

#include "charts/ChartHost.h"
#include "display/FormView.h"
#include "display/TmainDisplay.h"
#include "station/MeteoView.h"
#include "widgets/ControlIndex.h"

#include <QMainWindow>

class QAction;
class QMenu;
class Tlcd_bar;

// The main window: the barometer and altimeter pages, the thermometer, the current measures and
// the menus. Everything it shows is computed by its TmainDisplay, which it registers in
// theSystem as the weather view and the parameter access.
class TWmain : public QMainWindow, public TformView, public TmeteoView, public TchartHost {
    Q_OBJECT
public:
    explicit TWmain(QWidget* parent = nullptr);
    ~TWmain() override;

    TmainDisplay& display() { return main; }

    // The windows it works with; each may stay null, and then its menu item does nothing.
    void setSmallWindow(TformView* small) { main.setSmallForm(small); }
    void setChartWindow(QWidget* chart) { chartWindow = chart; }
    void setSettingsDialog(QWidget* dialog) { settingsDialog = dialog; }
    void setAboutBox(QWidget* about) { aboutBox = about; }
    void setDebugWindow(QWidget* debug) { debugWindow = debug; }

    // TformView
    void setText(const char* control, const std::string& text) override;
    void setVisible(const char* control, bool visible) override;
    void setTop(const char* control, int top) override;
    void setHeight(const char* control, int height) override;
    void setColor(const char* control, int red, int green, int blue) override;
    void setChecked(const char* item, bool checked) override;
    void showForm(bool visible) override;
    int formLeft() override { return x(); }
    int formTop() override { return y(); }
    void moveForm(int left, int top) override { move(left, top); }

    // TmeteoView: bar n is pb<n>.
    void setBarEnabled(int bar, bool enabled) override;
    void setBarValue(int bar, double mbar) override;
    void setBarLowRange(int bar, double mbar) override;
    void setBarHighRange(int bar, double mbar) override;
    void showTrend(int trend, double variation) override;

    // TchartHost: the chart window closed.
    void uncheckViewChart() override;

public slots:
    void DetectmoduleonLPT11Click();
    void Loadsettings1Click();
    void SavesettingsAs1Click();
    void Autosavesettingsonexit1Click();
    void Exit1Click();
    void ViewChart1Click();
    void WclearMinMax();
    void Minimize1Click();
    void Settings1Click();
    void MaboutClick();
    void showDebugWindow();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildTopStrip(QWidget* client);
    void buildBarometerPage(QWidget* page);
    void buildAltimeterPage(QWidget* page);
    void buildThermometer(QWidget* client);
    void buildCurrentMeasures(QWidget* client);
    QAction* addItem(QMenu* menu, const char* name, const char* caption, void (TWmain::*slot)(),
                     bool checkable = false);
    Tlcd_bar* bar(int n);
    QWidget* control(const char* name);

    TmainDisplay main;
    TcontrolIndex controls{*this};
    QWidget* chartWindow = nullptr;
    QWidget* settingsDialog = nullptr;
    QWidget* aboutBox = nullptr;
    QWidget* debugWindow = nullptr;
};
