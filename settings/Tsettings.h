#pragma once

#include "settings/TsettingsEditor.h"

#include <QDialog>

#include <string>
#include <utility>
#include <vector>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

// The modal settings dialog "Wsettings": sampling, altitude, calibration, weather limits and
// trend rates. It reads the current values each time it is shown and commits them only when OK
// passes every check; Cancel and Escape leave everything unchanged. The main window opens it
// with exec(). The checks and conversions live in TsettingsEditor; this window mirrors its texts.
class TWsettings : public QDialog {
    Q_OBJECT
public:
    explicit TWsettings(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnShow();
    void OnKeyUpAlti();
    void OnKeyUpAltiFeet();
    void OnKeyUpW(int index);
    void OnKeyUpC(int index);
    void OnExitts(int part);
    void Button1Click();
    void bt_okClick();
    void bt_cancelClick();
    bool OnFormKeyDown(int key);
    bool OnKeyUp(QObject* watched);

    QWidget* buildMeasurements();
    QWidget* buildAltitude();
    QWidget* buildSensor();
    QWidget* buildWeather();
    QWidget* buildForecast();
    QLineEdit* edit(QWidget* parent, const char* name, std::string* text, int x, int y, int width,
                    int maxLength = 0);
    QLabel* label(QWidget* parent, const char* name, std::string* text, int x, int y, int width);
    void pull();
    void push();

    TsettingsEditor editor;
    std::vector<std::pair<QLineEdit*, std::string*>> edits;
    std::vector<std::pair<QLabel*, std::string*>> labels;

    QTabWidget* PageControl1;
    QPushButton* bt_ok;
    QPushButton* bt_cancel;
    QPushButton* bt_help;
    QPushButton* Button1 = nullptr;
    QLineEdit* ed_alti = nullptr;
    QLineEdit* ed_altifeet = nullptr;
    QLineEdit* ed_ts[4] = {};
    QLineEdit* ed_w[4] = {};
    QLineEdit* ed_c[6] = {};
};
