#include "charts/Tchart_settings.h"

#include "core/Globals.h"
#include "core/Prompts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {

constexpr int ClientWidth = 367;
constexpr int FullClientHeight = 611;
constexpr int CompactClientHeight = 396;

QLabel* makeText(QWidget* parent, const QString& text, QRect place) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    return label;
}

} // namespace

TWrange::TWrange(QWidget* parent) : QDialog(parent) {
    setObjectName("TWrange");
    setWindowTitle("Chart settings");
    setModal(true);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setGeometry(8, 8, 353, 561);

    buildGroup(0, "GroupBox1", "Pressure range", "PAutoScaleBox", "[mbar]", TchartPlot::pressure);
    buildGroup(1, "GroupBox2", "Altitude range", "AAutoScaleBox", "[m]", TchartPlot::altitude);
    buildGroup(2, "GroupBox3", "Temperature from 4180 range", "TAutoScaleBox", "[\u00B0C]",
               TchartPlot::temperature);
    buildGroup(3, "GroupBox4", "Humidity range", "HAutoScaleBox", "[\u00B0C]",
               TchartPlot::humidity);
    buildGroup(4, "GroupBox5", "Temperature from RH range", "THAutoScaleBox", "[\u00B0C]",
               TchartPlot::humidityTemperature);

    bt_ok = new QPushButton("OK", this);
    bt_ok->setObjectName("bt_ok");
    bt_ok->setGeometry(96, 578, 75, 25);
    bt_cancel = new QPushButton("Cancel", this);
    bt_cancel->setObjectName("bt_cancel");
    bt_cancel->setGeometry(192, 578, 75, 25);
    for (QPushButton* button : {bt_ok, bt_cancel}) {
        button->setAutoDefault(false); // Enter in a field is handled by the field itself
        button->setDefault(false);
    }
    connect(bt_ok, &QPushButton::clicked, this, &TWrange::bt_okClick);
    connect(bt_cancel, &QPushButton::clicked, this, &TWrange::bt_cancelClick);
    setFixedSize(ClientWidth, FullClientHeight);
}

void TWrange::buildGroup(int index, const char* name, const char* caption, const char* boxName,
                         const char* unit, TchartPlot plot) {
    static const char* const fieldNames[RangeFieldCount] = {
        "ed_ph", "ed_pl", "ed_ah", "ed_al", "ed_th", "ed_tl", "ed_hh", "ed_hl", "ed_thh", "ed_thl"};
    Tgroup& group = groups[static_cast<std::size_t>(index)];
    group.plot = plot;
    group.box = new QGroupBox(caption, this);
    group.box->setObjectName(name);
    group.box->setGeometry(24, 24 + 104 * index, 321, 97);
    group.autoScale = new QCheckBox("Y-Axis Autoscale mode", group.box);
    group.autoScale->setObjectName(boxName);
    group.autoScale->setGeometry(16, 20, 200, 17);
    connect(group.autoScale, &QCheckBox::clicked, this,
            [this, index](bool checked) { setAutoScale(index, checked); });

    const std::size_t high = static_cast<std::size_t>(2 * index);
    const std::size_t low = high + 1;
    makeText(group.box, "Low limit", QRect(16, 46, 70, 17));
    makeText(group.box, "High limit", QRect(16, 70, 70, 17));
    for (std::size_t f : {low, high}) {
        fields[f] = new QLineEdit(group.box);
        fields[f]->setObjectName(fieldNames[f]);
        fields[f]->setGeometry(96, f == low ? 44 : 68, 121, 21);
        fields[f]->installEventFilter(this);
        makeText(group.box, unit, QRect(224, f == low ? 46 : 70, 60, 17));
    }
    setTabOrder(group.autoScale, fields[low]);
    setTabOrder(fields[low], fields[high]);
}

void TWrange::setAutoScale(int group, bool on) {
    groups[static_cast<std::size_t>(group)].autoScale->setChecked(on);
    fields[static_cast<std::size_t>(2 * group)]->setEnabled(!on);
    fields[static_cast<std::size_t>(2 * group + 1)]->setEnabled(!on);
}

void TWrange::SetPAutoScale(bool on) {
    setAutoScale(0, on);
}

void TWrange::SetAAutoScale(bool on) {
    setAutoScale(1, on);
}

void TWrange::SetTAutoScale(bool on) {
    setAutoScale(2, on);
}

void TWrange::SetHAutoScale(bool on) {
    setAutoScale(3, on);
}

void TWrange::SetTHAutoScale(bool on) {
    setAutoScale(4, on);
}

void TWrange::SetHumidityLayout(bool full) {
    setFixedSize(ClientWidth, full ? FullClientHeight : CompactClientHeight);
    const int buttonTop = full ? 578 : 360;
    bt_ok->move(bt_ok->x(), buttonTop);
    bt_cancel->move(bt_cancel->x(), buttonTop);
    groups[3].box->setVisible(full);
    groups[4].box->setVisible(full);
    PageControl1->resize(PageControl1->width(), full ? 560 : 342);
}

bool TWrange::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            bt_okClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TWrange::bt_okClick() {
    std::array<std::string, RangeFieldCount> texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = fields[i]->text().toLatin1().toStdString();
    const TrangeCheck check = checkRangeFields(texts);
    if (theSystem.prompts)
        for (const std::string& message : check.errors)
            theSystem.prompts->message(message, "Error", TpromptIcon::Error, TpromptButtons::Ok);
    if (!check.passed()) return;
    emit rangesChosen(rangesOf(check));
    accept();
}

TplotRanges TWrange::rangesOf(const TrangeCheck& check) const {
    TplotRanges ranges;
    for (std::size_t g = 0; g < groups.size(); ++g)
        ranges[g] = {groups[g].plot, groups[g].autoScale->isChecked(), check.values[2 * g],
                     check.values[2 * g + 1]};
    return ranges;
}

void TWrange::bt_cancelClick() {
    reject();
}
