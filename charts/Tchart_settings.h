#pragma once

#include "charts/ChartTexts.h"
#include "charts/RangeCheck.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

// The "Chart settings" dialog: for each of the chart window's five plots either auto scale or
// a manual range. OK hands all five at once, by value, to whoever listens to rangesChosen,
// after every field and pair has passed; Cancel and the title-bar close hand nothing.
class TWrange : public QDialog {
    Q_OBJECT
public:
    explicit TWrange(QWidget* parent = nullptr);

    void SetPAutoScale(bool on);
    void SetAAutoScale(bool on);
    void SetTAutoScale(bool on);
    void SetHAutoScale(bool on);
    void SetTHAutoScale(bool on);
    // true: all five groups; false: without the humidity and humidity-sensor groups.
    void SetHumidityLayout(bool full);
    QLineEdit* field(TrangeField which) const { return fields[which]; }

signals:
    void rangesChosen(TplotRanges ranges);

public slots:
    void bt_okClick();
    void bt_cancelClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Tgroup {
        QGroupBox* box = nullptr;
        QCheckBox* autoScale = nullptr;
        TchartPlot plot = TchartPlot::pressure;
    };

    void buildGroup(int index, const char* name, const char* caption, const char* boxName,
                    const char* unit, TchartPlot plot);
    void setAutoScale(int group, bool on);
    TplotRanges rangesOf(const TrangeCheck& check) const;

    std::array<Tgroup, 5> groups; // pressure, altitude, temperature, humidity, SHT15 temperature
    std::array<QLineEdit*, RangeFieldCount> fields{};
    QTabWidget* PageControl1 = nullptr;
    QPushButton* bt_ok = nullptr;
    QPushButton* bt_cancel = nullptr;
};
