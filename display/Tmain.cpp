#include "display/Tmain.h"

#include "core/Globals.h"
#include "widgets/Lcd_bar.h"
#include "widgets/PictureLabel.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>

namespace {
// A filled rectangle or ellipse in the colour of its palette's window role.
class Tshape : public QWidget {
public:
    Tshape(QWidget* parent, const char* name, QRect place, QColor color, bool round)
        : QWidget(parent), round(round) {
        setObjectName(name);
        setGeometry(place);
        QPalette p = palette();
        p.setColor(QPalette::Window, color);
        setPalette(p);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing, round);
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette().color(QPalette::Window));
        if (round)
            painter.drawEllipse(rect());
        else
            painter.drawRect(rect());
    }

private:
    bool round;
};

const QColor glass(240, 240, 255);
const QColor navy(0, 0, 128);

QLabel* label(QWidget* parent, const char* name, const QString& text, QRect place,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* l = new QLabel(text, parent);
    if (name) l->setObjectName(name);
    l->setGeometry(place);
    l->setAlignment(align);
    return l;
}

QLabel* colored(QLabel* l, QColor color) {
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, color);
    l->setPalette(p);
    return l;
}

QLabel* sized(QLabel* l, int pixels, bool bold) {
    QFont font = l->font();
    font.setPixelSize(pixels);
    font.setBold(bold);
    l->setFont(font);
    return l;
}

QFrame* panel(QWidget* parent, const char* name, QRect place,
              QFrame::Shadow shadow = QFrame::Raised) {
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setGeometry(place);
    f->setFrameStyle(QFrame::Panel | shadow);
    return f;
}

QGroupBox* group(QWidget* parent, const char* name, const char* caption, QRect place) {
    auto* g = new QGroupBox(caption, parent);
    g->setObjectName(name);
    g->setGeometry(place);
    return g;
}

QFrame* line(QWidget* parent, const char* name, QRect place) {
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setGeometry(place);
    f->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    return f;
}

constexpr int barAges[] = {16, 8, 4, 2, 1, 0};
} // namespace

TWmain::TWmain(QWidget* parent) : QMainWindow(parent) {
    setObjectName("TWmain");
    setWindowTitle("CORVASINE's Barometer");
    setWindowIcon(QIcon(renderPicture(pictures::programIcon, QSize(32, 32))));
    auto* client = new QWidget(this);
    client->setObjectName("client");
    client->setFixedSize(655, 396);
    setCentralWidget(client);
    buildMenus();
    buildTopStrip(client);
    auto* pages = new QTabWidget(client);
    pages->setObjectName("PageControl1");
    pages->setGeometry(4, 48, 442, 344);
    pages->tabBar()->setLayoutDirection(Qt::RightToLeft);
    auto* sheetP = new QWidget;
    sheetP->setObjectName("sheet_p");
    auto* sheetA = new QWidget;
    sheetA->setObjectName("sheet_a");
    pages->addTab(sheetP, "Barometer mode");
    pages->addTab(sheetA, "Altimeter mode");
    buildBarometerPage(sheetP);
    buildAltimeterPage(sheetA);
    buildThermometer(client);
    buildCurrentMeasures(client);
    setFixedSize(sizeHint());
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());

    main.setMainForm(this);
    main.setBarView(this);
    theSystem.mainView = &main;
    theSystem.meteoView = &main;
    theSystem.parameters = &main;
    theSystem.settings = &main;
}

TWmain::~TWmain() {
    if (theSystem.mainView == &main) theSystem.mainView = nullptr;
    if (theSystem.meteoView == &main) theSystem.meteoView = nullptr;
    if (theSystem.parameters == &main) theSystem.parameters = nullptr;
    if (theSystem.settings == &main) theSystem.settings = nullptr;
}

// A checkable item's handler sees the check mark as it was before the click, and sets it itself.
QAction* TWmain::addItem(QMenu* menu, const char* name, const char* caption, void (TWmain::*slot)(),
                         bool checkable) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(checkable);
    connect(action, &QAction::triggered, this, [this, action, slot, checkable] {
        if (checkable) action->setChecked(!action->isChecked());
        (this->*slot)();
    });
    return action;
}

void TWmain::buildMenus() {
    QMenu* file = menuBar()->addMenu("File");
    file->setObjectName("File1");
    addItem(file, "DetectmoduleonLPT11", "Detect module on LPT1 or COM/USB",
            &TWmain::DetectmoduleonLPT11Click);
    file->addSeparator();
    addItem(file, "Loadsettings1", "Load settings ...", &TWmain::Loadsettings1Click)
        ->setShortcut(QKeySequence("Ctrl+O"));
    addItem(file, "SavesettingsAs1", "Save settings As ...", &TWmain::SavesettingsAs1Click);
    addItem(file, "Autosavesettingsonexit1", "Autosave settings on exit",
            &TWmain::Autosavesettingsonexit1Click, true)
        ->setChecked(true);
    file->addSeparator();
    addItem(file, "Exit1", "Exit", &TWmain::Exit1Click);

    QMenu* plots = menuBar()->addMenu("Plots");
    plots->setObjectName("Plots1");
    addItem(plots, "ViewChart1", "View Chart", &TWmain::ViewChart1Click, true);

    QMenu* settings = menuBar()->addMenu("Settings");
    settings->setObjectName("Settings2");
    addItem(settings, "Clearminmaxvalues1", "Clear min/max values", &TWmain::WclearMinMax);
    addItem(settings, "Minimize1", "Minimize", &TWmain::Minimize1Click);
    addItem(settings, "Settings1", "Settings", &TWmain::Settings1Click);

    QMenu* help = menuBar()->addMenu("Help");
    help->setObjectName("Help1");
    addItem(help, "Mabout", "About", &TWmain::MaboutClick);

    // Ctrl+T and Ctrl+H open their menus; Ctrl+Shift+D shows the log.
    connect(new QShortcut(QKeySequence("Ctrl+T"), this), &QShortcut::activated, this,
            [this, settings] { menuBar()->setActiveAction(settings->menuAction()); });
    connect(new QShortcut(QKeySequence("Ctrl+H"), this), &QShortcut::activated, this,
            [this, help] { menuBar()->setActiveAction(help->menuAction()); });
    auto* debug = new QShortcut(QKeySequence("Ctrl+Shift+D"), this);
    debug->setObjectName("DebugShortcut");
    debug->setContext(Qt::ApplicationShortcut); // also from the small and the chart window
    connect(debug, &QShortcut::activated, this, &TWmain::showDebugWindow);
}

void TWmain::buildTopStrip(QWidget* client) {
    panel(client, "Bevel3", QRect(4, 2, 647, 42), QFrame::Sunken);
    sized(label(client, nullptr, "Local Altitude Setup", QRect(10, 5, 140, 16)), 12, true);
    label(client, "lb_alti", "0.0", QRect(10, 23, 60, 16), Qt::AlignRight | Qt::AlignVCenter);
    label(client, nullptr, "[meter]", QRect(74, 23, 46, 16));
    label(client, "lb_altifeet", "0.0", QRect(124, 23, 60, 16), Qt::AlignRight | Qt::AlignVCenter);
    label(client, nullptr, "[feet]", QRect(188, 23, 40, 16));
    label(client, nullptr, "D1 :", QRect(250, 5, 30, 16));
    label(client, "lb_d1", "0", QRect(282, 5, 60, 16));
    label(client, nullptr, "D2 :", QRect(250, 23, 30, 16));
    label(client, "lb_d2", "0", QRect(282, 23, 60, 16));
    sized(label(client, "lb_type", {}, QRect(360, 5, 280, 34)), 14, true);
}

void TWmain::buildBarometerPage(QWidget* page) {
    QGroupBox* situation = group(page, "GroupBox1", "Meteorological Situation", {4, 4, 200, 306});
    QFrame* pictureBox = panel(situation, "Panel4", QRect(10, 20, 181, 181), QFrame::Sunken);
    const std::pair<const char*, const QString*> weather[] = {
        {"img_sunny", &pictures::sunny177},       {"img_variable", &pictures::variable177},
        {"img_couvert", &pictures::overcast177},  {"img_rainy", &pictures::rainy177},
        {"img_rainsnow", &pictures::rainsnow177}, {"img_snow", &pictures::snow177}};
    for (const auto& [name, path] : weather)
        pictureLabel(pictureBox, name, *path, QRect(2, 2, 177, 177), false);
    QLabel* weatherClass = label(situation, "Panel5", {}, QRect(10, 206, 181, 26), Qt::AlignCenter);
    weatherClass->setFrameStyle(QFrame::Panel | QFrame::Raised);
    colored(sized(weatherClass, 14, true), navy);
    label(situation, nullptr, "trend", QRect(10, 238, 60, 16));
    QLabel* trend = label(situation, "pl_trend", "intermediate high pressure system",
                          QRect(10, 256, 181, 42), Qt::AlignCenter);
    trend->setFrameStyle(QFrame::Panel | QFrame::Raised);
    trend->setWordWrap(true);

    QFrame* sea = panel(page, "Panel3", QRect(210, 4, 220, 112));
    label(sea, nullptr, "Pressure at sea level :", QRect(8, 6, 200, 16));
    sized(label(sea, "lbpresssea", "----.--", QRect(8, 26, 136, 36),
                Qt::AlignRight | Qt::AlignVCenter),
          28, true);
    label(sea, nullptr, "mbar", QRect(150, 40, 50, 16));
    label(sea, nullptr, "min", QRect(8, 70, 30, 16));
    colored(label(sea, "lb_pmin", "----.-- [mbar]", QRect(40, 70, 140, 16)), Qt::blue);
    label(sea, nullptr, "max", QRect(8, 88, 30, 16));
    colored(label(sea, "lb_pmax", "----.-- [mbar]", QRect(40, 88, 140, 16)), Qt::red);

    QFrame* history = panel(page, "Panel6", QRect(210, 120, 220, 190));
    label(history, nullptr, "Historical Pressure Trend ", QRect(8, 4, 200, 16));
    const char* const captions[] = {"-16 h", "-8 h", "-4 h", "-2 h", "-1h", "actual"};
    for (int i = 0; i < 6; ++i) {
        auto* pb = new Tlcd_bar(history);
        pb->setObjectName(QString("pb%1").arg(barAges[i]));
        pb->setGeometry(8 + i * 32, 24, 27, 47);
        pb->Set_LowRange(995);
        pb->Set_HighRange(1025);
        pb->Set_NbrSegments(7);
        pb->Set_FGColor(QColor(128, 128, 0));
        pb->Set_BDColor(QColor(0x80, 0x80, 0x80));
        pb->Set_Value(1020);
        label(history, nullptr, captions[i], QRect(4 + i * 32, 76, 34, 16), Qt::AlignCenter);
    }
    label(history, nullptr, "Variation :", QRect(8, 104, 70, 16));
    label(history, "lb_var", "45.25", QRect(80, 104, 60, 16), Qt::AlignRight | Qt::AlignVCenter);
    label(history, nullptr, "[mbar/h]", QRect(144, 104, 60, 16));
    const std::tuple<const char*, const QString*, int> arrows[] = {
        {"img_quick_up", &pictures::quickUp, 17},
        {"img_slow_up", &pictures::slowUp, 17},
        {"img_unch", &pictures::unchanged, 33},
        {"img_slow_down", &pictures::slowDown, 17},
        {"img_quick_down", &pictures::quickDown, 17}};
    int left = 20;
    for (const auto& [name, path, width] : arrows) {
        pictureLabel(history, name, *path, QRect(left, 134, width, 33), false);
        left += width + 8;
    }
}

void TWmain::buildAltimeterPage(QWidget* page) {
    QGroupBox* altitude = group(page, "GroupBox2", "Altitude", {4, 4, 306, 306});
    auto* gauge = new QFrame(altitude);
    gauge->setObjectName("altipanel");
    gauge->setGeometry(4, 18, 297, 221);
    gauge->setAutoFillBackground(true);
    QPalette teal = gauge->palette();
    teal.setColor(QPalette::Window, QColor(0, 128, 128));
    teal.setColor(QPalette::WindowText, Qt::white);
    gauge->setPalette(teal);
    pictureLabel(gauge, "mountlow", pictures::mountainLow, QRect(0, 0, 297, 221), false);
    pictureLabel(gauge, "mountmid", pictures::mountainMiddle, QRect(0, 0, 297, 221), false);
    pictureLabel(gauge, "mounthigh", pictures::mountainHigh, QRect(0, 0, 297, 221), false);
    line(gauge, "Bevel1", QRect(16, 208, 270, 2));
    line(gauge, "bvl1", QRect(16, 224, 270, 2));
    label(gauge, "lbbottom", "0 meter", QRect(200, 192, 90, 14), Qt::AlignRight | Qt::AlignVCenter);
    sized(label(gauge, "lbtop", "3000 m", QRect(44, 8, 100, 14)), 12, true);
    new Tshape(gauge, "shparrow", QRect(28, 40, 5, 169), Qt::red, false);
    pictureLabel(gauge, "imgup", pictures::arrowUp, QRect(22, 24, 16, 16));
    pictureLabel(gauge, "imgdown", pictures::arrowDown, QRect(22, 408, 16, 16));

    QFrame* extremes = panel(altitude, "Panel8", QRect(4, 244, 297, 56));
    label(extremes, nullptr, "min", QRect(8, 8, 30, 16));
    colored(label(extremes, "lb_amin", {}, QRect(40, 8, 140, 16)), Qt::blue);
    label(extremes, nullptr, "max", QRect(8, 30, 30, 16));
    colored(label(extremes, "lb_amax", {}, QRect(40, 30, 140, 16)), Qt::red);

    QGroupBox* current = group(page, "GroupBox3", "Current altitude", {316, 4, 114, 120});
    sized(
        label(current, "lbmeter", "-----", QRect(6, 24, 62, 24), Qt::AlignRight | Qt::AlignVCenter),
        18, true);
    label(current, nullptr, "meters", QRect(72, 28, 40, 16));
    sized(
        label(current, "lbfeet", "-----", QRect(6, 64, 62, 24), Qt::AlignRight | Qt::AlignVCenter),
        18, true);
    label(current, nullptr, "feet", QRect(72, 68, 40, 16));
}

void TWmain::buildThermometer(QWidget* client) {
    QGroupBox* box = group(client, "GroupBox4", "Temperature", {452, 48, 199, 262});
    pictureLabel(box, "Image1", pictures::thermometerScale, QRect(34, 24, 36, 190));
    new Tshape(box, "verre1", QRect(70, 26, 13, 186), glass, false);
    new Tshape(box, "verre3", QRect(70, 20, 13, 13), glass, true);
    new Tshape(box, "verre2", QRect(64, 200, 25, 25), glass, true);
    new Tshape(box, "mercure", QRect(72, 184, 9, 25), Qt::red, false);
    new Tshape(box, "mercure2", QRect(67, 203, 19, 19), Qt::red, true);
    sized(label(box, "lbcelsius", "--.-- °C ", QRect(96, 60, 98, 22)), 16, true);
    sized(label(box, "lbfarenheit", "---.-- °F", QRect(96, 92, 98, 22)), 14, false);
    QFrame* extremes = panel(box, "Panel1", QRect(6, 226, 187, 32));
    label(extremes, nullptr, "min", QRect(6, 1, 30, 15));
    colored(label(extremes, "lb_tmin", "---.-- [°C]", QRect(38, 1, 140, 15)), Qt::blue);
    label(extremes, nullptr, "max", QRect(6, 16, 30, 15));
    colored(label(extremes, "lb_tmax", "---.-- [°C]", QRect(38, 16, 140, 15)), Qt::red);
}

void TWmain::buildCurrentMeasures(QWidget* client) {
    QGroupBox* box = group(client, "GroupBox5", "Current Local Measures", {452, 314, 199, 78});
    sized(label(box, "lbpressure", "----.--", QRect(8, 20, 100, 24),
                Qt::AlignRight | Qt::AlignVCenter),
          18, true);
    label(box, nullptr, "mbar", QRect(114, 24, 60, 16));
    sized(label(box, "lb_rh", "----.--", QRect(8, 48, 100, 24), Qt::AlignRight | Qt::AlignVCenter),
          18, true);
    label(box, nullptr, "% RH", QRect(114, 52, 60, 16));
}

QWidget* TWmain::control(const char* name) {
    return findChild<QWidget*>(name);
}

void TWmain::setText(const char* name, const std::string& text) {
    if (auto* l = qobject_cast<QLabel*>(control(name))) l->setText(QString::fromStdString(text));
}

void TWmain::setVisible(const char* name, bool visible) {
    if (QWidget* w = control(name)) w->setVisible(visible);
}

void TWmain::setTop(const char* name, int top) {
    if (QWidget* w = control(name)) w->move(w->x(), top);
}

void TWmain::setHeight(const char* name, int height) {
    if (QWidget* w = control(name)) w->resize(w->width(), height);
}

void TWmain::setColor(const char* name, int red, int green, int blue) {
    QWidget* w = control(name);
    if (!w) return;
    QPalette p = w->palette();
    p.setColor(QPalette::Window, QColor(red, green, blue));
    w->setPalette(p);
    w->update();
}

void TWmain::setChecked(const char* item, bool checked) {
    if (auto* action = findChild<QAction*>(item)) action->setChecked(checked);
}

void TWmain::showForm(bool visible) {
    QMainWindow::setVisible(visible);
}

Tlcd_bar* TWmain::bar(int n) {
    return findChild<Tlcd_bar*>(QString("pb%1").arg(n));
}

void TWmain::setBarEnabled(int n, bool enabled) {
    if (Tlcd_bar* b = bar(n)) b->Set_Enable(enabled);
}
void TWmain::setBarValue(int n, double mbar) {
    if (Tlcd_bar* b = bar(n)) b->Set_Value(mbar);
}
void TWmain::setBarLowRange(int n, double mbar) {
    if (Tlcd_bar* b = bar(n)) b->Set_LowRange(mbar);
}
void TWmain::setBarHighRange(int n, double mbar) {
    if (Tlcd_bar* b = bar(n)) b->Set_HighRange(mbar);
}
void TWmain::showTrend(int trend, double variation) {
    main.showTrend(trend, variation);
}

void TWmain::uncheckViewChart() {
    setChecked("ViewChart1", false);
}

void TWmain::DetectmoduleonLPT11Click() {
    main.detectModule();
}
void TWmain::Loadsettings1Click() {
    main.loadSettingsDialog();
}
void TWmain::SavesettingsAs1Click() {
    main.saveSettingsAsDialog();
}
void TWmain::Autosavesettingsonexit1Click() {
    main.toggleAutosave();
}
void TWmain::Exit1Click() {
    main.closeApplication();
}
void TWmain::WclearMinMax() {
    main.resetMinMax();
}
void TWmain::Minimize1Click() {
    main.minimize();
}

void TWmain::ViewChart1Click() {
    auto* item = findChild<QAction*>("ViewChart1");
    const bool show = !item->isChecked();
    item->setChecked(show);
    if (chartWindow) chartWindow->setVisible(show);
    main.applyChartLayout();
}

void TWmain::Settings1Click() {
    if (auto* dialog = qobject_cast<QDialog*>(settingsDialog)) dialog->exec();
}

void TWmain::MaboutClick() {
    if (auto* dialog = qobject_cast<QDialog*>(aboutBox)) dialog->exec();
}

void TWmain::showDebugWindow() {
    if (!debugWindow) return;
    debugWindow->show();
    debugWindow->raise();
}

void TWmain::closeEvent(QCloseEvent* event) {
    event->ignore();
    main.closeApplication();
}
