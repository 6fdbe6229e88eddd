#include "settings/Tsettings.h"

#include "core/Globals.h"
#include "widgets/PictureLabel.h"

#include <QEvent>
#include <QFont>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

namespace {

QLabel* caption(QWidget* parent, const char* text, int x, int y, int width, int height = 16) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setGeometry(x, y, width, height);
    label->setWordWrap(height > 16);
    return label;
}

QGroupBox* group(QWidget* parent, const char* title, int x, int y, int width, int height) {
    auto* box = new QGroupBox(QString::fromUtf8(title), parent);
    box->setGeometry(x, y, width, height);
    return box;
}

QWidget* page(const char* name) {
    auto* widget = new QWidget;
    widget->setObjectName(name);
    return widget;
}

} // namespace

TWsettings::TWsettings(QWidget* parent)
    : QDialog(parent), PageControl1(new QTabWidget(this)), bt_ok(new QPushButton("OK", this)),
      bt_cancel(new QPushButton("Cancel", this)), bt_help(new QPushButton("Help", this)) {
    setObjectName("Wsettings");
    setWindowTitle("Wsettings");
    setFixedSize(495, 533);
    setModal(true);
    QFont font;
    font.setFamilies({"MS Sans Serif", "Liberation Sans"});
    font.setPixelSize(11);
    setFont(font);

    PageControl1->setObjectName("PageControl1");
    PageControl1->setGeometry(4, 4, 487, 484);
    // The five captions in a row, each clear of its tab's borders: the captions alone are
    // almost as wide as the dialog, so they run a little narrower than the dialog's font.
    QFont tabFont = font;
    tabFont.setStretch(94);
    PageControl1->tabBar()->setFont(tabFont);
    PageControl1->tabBar()->setStyleSheet("QTabBar::tab { padding: 3px 6px; }");
    PageControl1->addTab(buildMeasurements(), "Measurements");
    PageControl1->addTab(buildAltitude(), "Altitude Configuration");
    PageControl1->addTab(buildSensor(), "Sensor coefficients");
    PageControl1->addTab(buildWeather(), "Weather Situation");
    PageControl1->addTab(buildForecast(), "Weather forecast");
    PageControl1->setCurrentIndex(1);

    const std::pair<QPushButton*, const char*> buttons[] = {
        {bt_ok, "bt_ok"}, {bt_cancel, "bt_cancel"}, {bt_help, "bt_help"}};
    int x = 250;
    for (auto [button, name] : buttons) {
        button->setObjectName(name);
        button->setGeometry(x, 498, 75, 25);
        button->setAutoDefault(false);
        x += 80;
    }
    bt_help->hide();
    connect(bt_ok, &QPushButton::clicked, this, &TWsettings::bt_okClick);
    connect(bt_cancel, &QPushButton::clicked, this, &TWsettings::bt_cancelClick);

    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

QLineEdit* TWsettings::edit(QWidget* parent, const char* name, std::string* text, int x, int y,
                            int width, int maxLength) {
    auto* field = new QLineEdit(QString::fromStdString(*text), parent);
    field->setObjectName(name);
    field->setGeometry(x, y, width, 21);
    if (maxLength > 0) field->setMaxLength(maxLength);
    edits.emplace_back(field, text);
    return field;
}

QLabel* TWsettings::label(QWidget* parent, const char* name, std::string* text, int x, int y,
                          int width) {
    QLabel* shown = caption(parent, text->c_str(), x, y, width);
    shown->setObjectName(name);
    labels.emplace_back(shown, text);
    return shown;
}

QWidget* TWsettings::buildMeasurements() {
    QWidget* tab = page("ts_measurements");
    QGroupBox* box = group(tab, " Pressure measurement ", 8, 8, 463, 300);
    caption(box, "Number of samples (n) :", 16, 36, 220);
    edit(box, "ed_n", &editor.text.n, 260, 32, 60);
    caption(box, "Time between each sampling sequence (ts) :", 16, 84, 240);
    const char* names[4] = {"ed_tsd", "ed_tsh", "ed_tsm", "ed_tss"};
    const char* units[4] = {"dd", "hh", "mm", "ss"};
    for (int part = 0; part < 4; ++part) {
        caption(box, units[part], 260 + part * 50, 62, 40);
        ed_ts[part] = edit(box, names[part], &editor.text.ts[part], 260 + part * 50, 80, 40);
    }
    caption(box,
            "The program makes n measurement samples of the temperature and pressure, from the "
            "sensor. The average of these values is then transmitted to the barometer processing. "
            "This sampling sequence is repeated every ts seconds.",
            16, 130, 430, 64);
    caption(box, "Note : If n is bigger than 8 , than ts must be at least 2 seconds", 16, 210, 430,
            32);
    return tab;
}

QWidget* TWsettings::buildAltitude() {
    QWidget* tab = page("ts_altitude");
    QGroupBox* box = group(tab, " Altitude entry ", 8, 8, 463, 220);
    caption(box, "Local altitude :", 16, 40, 100);
    ed_alti = edit(box, "ed_alti", &editor.text.alti, 130, 36, 90, 9);
    caption(box, "[meter]", 230, 40, 60);
    ed_altifeet = edit(box, "ed_altifeet", &editor.text.altifeet, 130, 68, 90, 9);
    caption(box, "[feet]", 230, 72, 60);
    caption(box,
            "Please enter your current altitude to be able to calculate the pressure at sea level "
            "or to calibrate the altimeter",
            16, 110, 430, 40);
    caption(box, "This value must in the range [-703:9166] meters ( [-2300:30060] feet)  ", 16, 160,
            430, 40);
    return tab;
}

QWidget* TWsettings::buildSensor() {
    QWidget* tab = page("ts_sensor");
    QGroupBox* wBox = group(tab, "W parameters", 8, 8, 220, 164);
    QGroupBox* cBox = group(tab, "C parameters", 240, 8, 228, 220);
    const char* wNames[4][3] = {{"W1", "ed_w1", "lb_w1"},
                                {"W2", "ed_w2", "lb_w2"},
                                {"W3", "ed_w3", "lb_w3"},
                                {"W4", "ed_w4", "lb_w4"}};
    const char* cNames[6][3] = {{"C1", "ed_c1", "lb_c1"}, {"C2", "ed_c2", "lb_c2"},
                                {"C3", "ed_c3", "lb_c3"}, {"C4", "ed_c4", "lb_c4"},
                                {"C5", "ed_c5", "lb_c5"}, {"C6", "ed_c6", "lb_c6"}};
    for (QGroupBox* box : {wBox, cBox}) {
        caption(box, "decimal", 40, 22, 80);
        caption(box, "hexadecimal", 130, 22, 90);
    }
    for (int i = 0; i < 4; ++i) {
        caption(wBox, wNames[i][0], 12, 48 + i * 28, 24);
        ed_w[i] = edit(wBox, wNames[i][1], &editor.text.w[i], 40, 44 + i * 28, 80, 9);
        label(wBox, wNames[i][2], &editor.text.lbW[i], 130, 48 + i * 28, 85);
    }
    for (int i = 0; i < 6; ++i) {
        caption(cBox, cNames[i][0], 12, 48 + i * 28, 24);
        ed_c[i] = edit(cBox, cNames[i][1], &editor.text.c[i], 40, 44 + i * 28, 80, 9);
        label(cBox, cNames[i][2], &editor.text.lbC[i], 130, 48 + i * 28, 85);
    }
    Button1 = new QPushButton("Restore from sensor", tab);
    Button1->setObjectName("Button1");
    Button1->setGeometry(8, 190, 140, 25);
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TWsettings::Button1Click);
    return tab;
}

QWidget* TWsettings::buildWeather() {
    QWidget* tab = page("ts_weather");
    auto& t = editor.text;
    caption(tab, "1100 mbar and above", 16, 12, 200);
    // The class of each pressure band, between the limits that bound it.
    const std::pair<const char*, const QString*> bands[] = {{"img_sunny", &pictures::sunny63},
                                                            {"img_variable", &pictures::variable63},
                                                            {"img_couvert", &pictures::overcast63},
                                                            {"img_rainy", &pictures::rainy63}};
    int top = 28;
    for (const auto& [name, path] : bands) {
        pictureLabel(tab, name, *path, QRect(30, top, 42, 34));
        top += 68;
    }
    edit(tab, "ed_sunny", &t.sunny, 16, 64, 70);
    caption(tab, "Pressure limit between \"Sunny\" and \"Variable\" weather situation", 96, 60, 360,
            32);
    edit(tab, "ed_variable", &t.variable, 16, 134, 70);
    caption(tab, "Pressure limit between \"Variable\" and \"Overcast\" weather situation", 96, 130,
            360, 32);
    edit(tab, "ed_overcast", &t.overcast, 16, 204, 70);
    caption(tab, "Pressure limit between \"Overcast\" and \"Rainy\" weather situation", 96, 200,
            360, 32);
    caption(tab, "900 mbar and below", 16, 268, 200);
    edit(tab, "ed_hysteresis", &t.hysteresis, 16, 304, 70);
    caption(tab,
            "Hysteresis value. This value is used to avoid display toggling when the measure is "
            "at a limit",
            96, 300, 360, 32);
    caption(tab,
            "The Weather situation is calculated directly form the absolute sea level pressure", 16,
            370, 440, 32);
    return tab;
}

QWidget* TWsettings::buildForecast() {
    QWidget* tab = page("ts_forecast");
    auto& t = editor.text;
    caption(tab, "The Weather forecast is calculated from the pressure's variation rate over time.",
            16, 12, 440, 32);
    caption(tab, "Trend", 16, 56, 100);
    caption(tab, "Slope [mbar/h]", 140, 56, 120);
    caption(tab, "Weather forecast", 280, 56, 180);
    const struct {
        const char* trend;
        const char* sign;
        const char* name;
        std::string* text;
        const char* forecast;
        const char* picture;
        const QString* path;
    } rows[] = {
        {"Slow increase", ">", "ed_slow_up", &t.slowUp, "longterm high pressure system",
         "img_slow_up", &pictures::slowUp},
        {"Rapid increase", ">", "ed_quick_up", &t.quickUp, "intermediate high pressure system",
         "img_quick_up", &pictures::quickUp},
        {"Slow decrease", "<", "ed_slow_down", &t.slowDown, "longterm low pressure system",
         "img_slow_down", &pictures::slowDown},
        {"Rapid decrease", "<", "ed_quick_down", &t.quickDown, "stormy, thunderstorm",
         "img_quick_down", &pictures::quickDown},
    };
    int y = 84;
    for (const auto& row : rows) {
        caption(tab, row.trend, 16, y + 4, 100);
        caption(tab, row.sign, 124, y + 4, 12);
        edit(tab, row.name, row.text, 140, y, 70);
        caption(tab, row.forecast, 280, y + 4, 190);
        pictureLabel(tab, row.picture, *row.path, QRect(224, y - 6, 17, 33), false); // never shown
        y += 40;
    }
    return tab;
}

void TWsettings::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    OnShow();
}

bool TWsettings::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: return OnFormKeyDown(static_cast<QKeyEvent*>(event)->key());
    case QEvent::KeyRelease: return OnKeyUp(watched);
    case QEvent::FocusOut:
        for (int part = 0; part < 4; ++part)
            if (watched == ed_ts[part]) OnExitts(part);
        return false;
    default: return false;
    }
}

bool TWsettings::OnFormKeyDown(int key) {
    if (key != Qt::Key_Escape) return false;
    bt_cancelClick();
    return true;
}

bool TWsettings::OnKeyUp(QObject* watched) {
    if (watched == ed_alti) OnKeyUpAlti();
    if (watched == ed_altifeet) OnKeyUpAltiFeet();
    for (int i = 0; i < 4; ++i)
        if (watched == ed_w[i]) OnKeyUpW(i);
    for (int i = 0; i < 6; ++i)
        if (watched == ed_c[i]) OnKeyUpC(i);
    return false;
}

void TWsettings::OnShow() {
    if (!theSystem.parameters) return;
    editor.show(theSystem.parameters);
    push();
}

void TWsettings::OnKeyUpAlti() {
    pull();
    editor.altitudeTyped();
    push();
}

void TWsettings::OnKeyUpAltiFeet() {
    pull();
    editor.altitudeFeetTyped();
    push();
}

void TWsettings::OnKeyUpW(int index) {
    pull();
    editor.wTyped(index);
    push();
}

void TWsettings::OnKeyUpC(int index) {
    pull();
    editor.cTyped(index);
    push();
}

void TWsettings::OnExitts(int part) {
    pull();
    editor.tsLeft(part);
    push();
}

void TWsettings::Button1Click() {
    pull();
    editor.restoreFromSensor(theSystem.sensor);
    push();
}

void TWsettings::bt_okClick() {
    pull();
    if (editor.ok(theSystem.parameters, theSystem.prompts) == TsettingsEditor::Result::Committed)
        accept();
}

void TWsettings::bt_cancelClick() {
    reject();
}

void TWsettings::pull() {
    for (auto [field, text] : edits)
        *text = field->text().toStdString();
}

// Rewrites only the controls whose text changed, so the edit being typed in keeps its cursor.
void TWsettings::push() {
    for (auto [field, text] : edits) {
        const QString wanted = QString::fromStdString(*text);
        if (field->text() != wanted) field->setText(wanted);
    }
    for (auto [shown, text] : labels) {
        const QString wanted = QString::fromStdString(*text);
        if (shown->text() != wanted) shown->setText(wanted);
    }
}
