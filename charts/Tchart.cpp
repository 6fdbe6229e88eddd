#include "charts/Tchart.h"

#include "charts/ChartHost.h"
#include "charts/LogDateTime.h"
#include "charts/Plot_time.h"
#include "charts/Tchart_settings.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include <ctime>

namespace {

constexpr int ClientWidth = 1099;
constexpr int FullClientHeight = 538;
constexpr int CompactClientHeight = 283;
constexpr int FullBottomRow = 504;
constexpr int CompactBottomRow = 256;

constexpr Tcolor Navy = 0x800000;
constexpr Tcolor Yellow = 0x00FFFF;
constexpr Tcolor Black = 0x000000;

const double TimeFractions[4] = {0, 0.33, 0.66, 1};

QFont captionFont(int pixels) {
    QFont font("Arial");
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

// Labels fill their own background (the window's colour, as under them): a new text then
// repaints the label alone, not the panel and the window under it nor the caption that
// overlaps the time labels by a row.
QLabel* placeLabel(QLabel* label, const QString& name, const QString& text, QRect place,
                   Qt::Alignment alignment) {
    label->setText(text);
    label->setObjectName(name);
    label->setGeometry(place);
    label->setAlignment(alignment);
    label->setAutoFillBackground(true);
    return label;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, QRect place,
                  Qt::Alignment alignment) {
    return placeLabel(new QLabel(parent), name, text, place, alignment);
}

QLabel* makeCaption(QWidget* parent, const QString& name, const QString& text, QRect place) {
    QLabel* label = makeLabel(parent, name, text, place, Qt::AlignCenter);
    label->setFont(captionFont(13));
    label->setWordWrap(true);
    return label;
}

// The user's short date and long time of now, as 8-bit text for the data file.
std::string localDateTimeText() {
    return logDateTimeText(QLocale::system(), QDateTime::currentDateTime());
}

} // namespace

// The names, places and texts of one of the four framed panels.
struct TpanelText {
    const char* frame;
    QPoint place;
    const char* valuePrefix;
    const char* timePrefix;
    const char* titleName;
    const char* title;
    const char* unitName;
    const char* unit;
    const char* plotName;
    TchartPlot plot;
};

namespace {

const TpanelText PanelTexts[4] = {
    {"Panel2",
     {8, 8},
     "lb_ph",
     "lb_px",
     "lb_p",
     "Chart of pressure vs time",
     "lb_press",
     "Pressure [mbar]",
     "pressure_plot",
     TchartPlot::pressure},
    {"Panel1",
     {552, 8},
     "lb_th",
     "lb_tx",
     "Label2",
     "Temperature from pressure sensor Corvasine qx4180 Chart vs time",
     "Label3",
     "Temperature [\u00B0C]",
     "temperature_plot",
     TchartPlot::temperature},
    {"Panel3",
     {8, 256},
     "lb_hh",
     "lb_hx",
     "Label1",
     "Humidity Chart vs time",
     "Label5",
     "Humidity [%\u00A0RH]", // the unit in brackets stays on one line
     "humidity_plot",
     TchartPlot::humidity},
    {"Panel4",
     {552, 256},
     "lb_thh",
     "lb_thx",
     "Label6",
     "Temperature from humidity sensor SH15 Chart vs time",
     "Label8",
     "Temperature [\u00B0C]",
     "temp_humidity_plot",
     TchartPlot::humidityTemperature},
};

const char* const valueSuffix[4] = {"100", "66", "33", "0"};
const char* const timeSuffix[4] = {"0", "33", "66", "100"};
const int valueTops[4] = {8, 64, 120, 168};
// Two lines each (the year wraps), the first starting under the plot's left edge, the last
// ending under its right edge, the middle two centred near a third and two thirds of it.
const int timeLefts[4] = {97, 193, 336, 437};
const Qt::Alignment timeAlign[4] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignHCenter,
                                    Qt::AlignRight};

} // namespace

TWchart::TWchart(TchartHost* chartHost, QWidget* parent)
    : QMainWindow(parent), clock([] { return static_cast<std::int64_t>(std::time(nullptr)); }),
      dateTimeText(localDateTimeText), host(chartHost), LogFile([this] { return dateTimeText(); }) {
    setObjectName("TWchart");
    setWindowTitle("Data recorder");
    auto* client = new QWidget(this);
    setCentralWidget(client);
    buildMenus();
    buildPanels(client);

    lb_rec = makeLabel(client, "lb_rec", "REC", QRect(8, FullBottomRow, 49, 18), Qt::AlignCenter);
    lb_rec->setFont(captionFont(15));
    lb_rec->setStyleSheet("color: red; background-color: black;");
    lb_rec->hide();
    Button1 = new QPushButton("Clear Charts", client);
    Button1->setObjectName("Button1");
    Button1->setGeometry(984, FullBottomRow, 105, 25);
    connect(Button1, &QPushButton::clicked, this, &TWchart::Button1Click);

    timer_rec = new QTimer(this);
    timer_rec->setObjectName("timer_rec");
    timer_rec->setSingleShot(true);
    timer_rec->setInterval(600);
    connect(timer_rec, &QTimer::timeout, this, &TWchart::OnTimer);

    range = new TWrange(this);
    connect(range, &TWrange::rangesChosen, this, &TWchart::applyRanges);
    applyLayout(true);
}

TWchart::~TWchart() {
    LogFile.end();
}

void TWchart::buildMenus() {
    QMenu* file = menuBar()->addMenu("File");
    file->setObjectName("File1");
    Storesamplestofile1 = file->addAction("Begin data logging");
    Storesamplestofile1->setObjectName("Storesamplestofile1");
    connect(Storesamplestofile1, &QAction::triggered, this, &TWchart::Storesamplestofile1Click);
    Enddatalogging1 = file->addAction("End data logging");
    Enddatalogging1->setObjectName("Enddatalogging1");
    Enddatalogging1->setEnabled(false);
    connect(Enddatalogging1, &QAction::triggered, this, &TWchart::Enddatalogging1Click);
    file->addSeparator()->setObjectName("N1");
    QAction* hide1 = file->addAction("Close");
    hide1->setObjectName("Hide1");
    connect(hide1, &QAction::triggered, this, &TWchart::Hide1Click);

    QMenu* tools = menuBar()->addMenu("Tools");
    tools->setObjectName("Tools1");
    QAction* setup = tools->addAction("Setup display range");
    setup->setObjectName("Setupdisplayrange1");
    setup->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(setup, &QAction::triggered, this, &TWchart::Setupdisplayrange1Click);
    QAction* pressure = tools->addAction("Show Pressure + Temperature");
    pressure->setObjectName("PressureTemperature1");
    connect(pressure, &QAction::triggered, this, &TWchart::PressureTemperature1Click);
    QAction* altitude = tools->addAction("Show Altitude + Temperature");
    altitude->setObjectName("AltitudeTemperature1");
    connect(altitude, &QAction::triggered, this, &TWchart::AltitudeTemperature1Click);
}

void TWchart::buildPanels(QWidget* client) {
    for (const TpanelText& text : PanelTexts)
        buildPanel(client, text);
    Tpanel& altitude = panels[static_cast<std::size_t>(TchartPlot::altitude)];
    altitude = panelOf(TchartPlot::pressure);
    altitude.plot = new Tplot_time(altitude.frame);
    altitude.plot->setObjectName("altitude_plot");
    altitude.plot->hide();

    for (Tpanel& panel : panels) {
        panel.plot->setGeometry(96, 8, 433, 177);
        panel.plot->SetBGColor(Navy);
        panel.plot->SetWVColor(Yellow);
        panel.plot->SetBorderColor(Black);
        panel.plot->SetHistoryLength(3600);
        panel.plot->Set_x_grid_nbr(2);
        panel.plot->Set_y_grid_nbr(2);
    }
}

// One of the four framed panels: its plot, value and time labels, title and unit.
void TWchart::buildPanel(QWidget* client, const TpanelText& text) {
    Tpanel& panel = panelOf(text.plot);
    panel.frame = new QFrame(client);
    panel.frame->setObjectName(text.frame);
    panel.frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel.frame->setGeometry(QRect(text.place, QSize(537, 241)));
    panel.plot = new Tplot_time(panel.frame);
    panel.plot->setObjectName(text.plotName);
    addScaleLabels(panel, text);
    const bool pressure = text.plot == TchartPlot::pressure;
    const QRect titlePlace = pressure ? QRect(216, 216, 185, 17) : QRect(96, 216, 433, 17);
    QLabel* title = makeCaption(panel.frame, text.titleName, text.title, titlePlace);
    QLabel* unit = makeCaption(panel.frame, text.unitName, text.unit, QRect(8, 80, 81, 33));
    if (pressure) {
        lb_p = title;
        lb_press = unit;
    }
}

void TWchart::addScaleLabels(Tpanel& panel, const TpanelText& text) {
    QFont timeFont = font();
    timeFont.setPixelSize(11);
    for (int i = 0; i < 4; ++i) {
        panel.values[i] =
            makeLabel(panel.frame, QString(text.valuePrefix) + valueSuffix[i], "",
                      QRect(16, valueTops[i], 76, 16), Qt::AlignRight | Qt::AlignVCenter);
        panel.times[i] = placeLabel(new TtimeLabel(timePictures, panel.frame),
                                    QString(text.timePrefix) + timeSuffix[i], "",
                                    QRect(timeLefts[i], 191, 92, 26), timeAlign[i] | Qt::AlignTop);
        panel.times[i]->setWordWrap(true);
        panel.times[i]->setFont(timeFont);
    }
}

TWchart::Tpanel& TWchart::panelOf(TchartPlot which) {
    return panels[static_cast<std::size_t>(which)];
}

Tplot_time* TWchart::plot(TchartPlot which) const {
    return panels[static_cast<std::size_t>(which)].plot;
}

// A plot without samples has no time to show: its labels stay empty rather than name 1970. A
// label already showing its time is left as it is: most of them keep theirs from one sample to
// the next.
void TWchart::UpdateTimeLabels(TchartPlot which) {
    Tpanel& panel = panelOf(which);
    const bool empty = panel.plot->model().SampleCount() == 0;
    for (std::size_t i = 0; i < 4; ++i) {
        QLabel* label = panel.times[i];
        if (empty) {
            if (!label->text().isEmpty()) label->clear(); // a cleared label repaints
            shownTimes.erase(label);
            continue;
        }
        const auto seconds =
            static_cast<std::int64_t>(panel.plot->GetRangeTempsAtX(TimeFractions[i]));
        const auto shown = shownTimes.find(label);
        if (shown != shownTimes.end() && shown->second == seconds) continue;
        shownTimes[label] = seconds;
        label->setText(QString::fromLatin1(FormatTimeLabel(seconds).c_str()));
    }
}

void TWchart::UpdateRangeLabels(TchartPlot which) {
    Tpanel& panel = panelOf(which);
    const auto texts = rangeLabelTexts(panel.plot->GetRangeYLow(), panel.plot->GetRangeYHigh());
    for (std::size_t i = 0; i < 4; ++i)
        panel.values[i]->setText(QString::fromLatin1(texts[i].c_str()));
}

void TWchart::plotIfInside(TchartPlot which, double value, double time) {
    if (insidePlotWindow(which, value)) plot(which)->AddSample(value, time);
}

void TWchart::NewSample(int, int, double temperature, double pressure, double altitude,
                        double humidity, double humidityTemperature) {
    const auto t = static_cast<double>(clock());
    plotIfInside(TchartPlot::pressure, pressure, t);
    plotIfInside(TchartPlot::temperature, temperature, t);
    plotIfInside(TchartPlot::altitude, altitude, t);
    plotIfInside(TchartPlot::humidity, humidity, t);
    plotIfInside(TchartPlot::humidityTemperature, humidityTemperature, t);

    const TchartPlot shown = ChartMode == 0 ? TchartPlot::pressure : TchartPlot::altitude;
    for (TchartPlot which :
         {TchartPlot::temperature, shown, TchartPlot::humidity, TchartPlot::humidityTemperature})
        UpdateTimeLabels(which);
    for (TchartPlot which :
         {shown, TchartPlot::temperature, TchartPlot::humidity, TchartPlot::humidityTemperature})
        if (plot(which)->YScaleChangedSinceLastCheck()) UpdateRangeLabels(which);
}

void TWchart::lineLogged(bool written) {
    lb_rec->hide();
    timer_rec->start();
    if (!written) applyLogState();
}

void TWchart::applyMode() {
    const bool pressure = ChartMode == 0;
    plot(TchartPlot::pressure)->setVisible(pressure);
    plot(TchartPlot::altitude)->setVisible(!pressure);
    lb_p->setText(pressure ? "Chart of pressure vs time" : "Chart of altitude vs time");
    lb_press->setText(pressure ? "Pressure [mbar]" : "Altitude [m]");
    UpdateRangeLabels(pressure ? TchartPlot::pressure : TchartPlot::altitude);
    AppliedChartMode = ChartMode;
}

void TWchart::RefreshCharts(bool force) {
    if (AppliedChartMode != ChartMode || force) applyMode();
    const TchartPlot shown = ChartMode == 0 ? TchartPlot::pressure : TchartPlot::altitude;
    UpdateTimeLabels(shown);
    plot(shown)->DrawComponent();
    plot(shown)->Paint();
    for (TchartPlot which :
         {TchartPlot::temperature, TchartPlot::humidity, TchartPlot::humidityTemperature}) {
        UpdateRangeLabels(which);
        UpdateTimeLabels(which);
        plot(which)->Paint();
    }
}

void TWchart::ResetCharts() {
    for (TchartPlot which : {TchartPlot::pressure, TchartPlot::temperature, TchartPlot::altitude,
                             TchartPlot::humidity, TchartPlot::humidityTemperature})
        plot(which)->SetAutoScaleY(true);
    range->SetPAutoScale(true);
    range->SetAAutoScale(true);
    range->SetTAutoScale(true);
    range->SetHAutoScale(true);
    range->SetTHAutoScale(true);
    RefreshCharts(false);
}

void TWchart::SetHumidityLayout(bool full) {
    applyLayout(full);
    range->SetHumidityLayout(full);
}

void TWchart::applyLayout(bool full) {
    const int clientHeight = full ? FullClientHeight : CompactClientHeight;
    const int bottomRow = full ? FullBottomRow : CompactBottomRow;
    centralWidget()->setFixedSize(ClientWidth, clientHeight);
    setFixedSize(ClientWidth, clientHeight + menuBar()->sizeHint().height());
    Button1->move(Button1->x(), bottomRow);
    lb_rec->move(lb_rec->x(), bottomRow);
    panelOf(TchartPlot::humidity).frame->setVisible(full);
    panelOf(TchartPlot::humidityTemperature).frame->setVisible(full);
}

void TWchart::hideAndUncheck() {
    hide();
    if (host) host->uncheckViewChart();
}

void TWchart::Hide1Click() {
    hideAndUncheck();
}

void TWchart::closeEvent(QCloseEvent* event) {
    event->ignore();
    hideAndUncheck();
}

void TWchart::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    RefreshCharts(true);
}

void TWchart::PressureTemperature1Click() {
    ChartMode = 0;
    RefreshCharts(true);
}

void TWchart::AltitudeTemperature1Click() {
    ChartMode = 1;
    RefreshCharts(true);
}

void TWchart::Setupdisplayrange1Click() {
    static const struct {
        TchartPlot plot;
        TrangeField high, low;
    } fieldsOf[5] = {{TchartPlot::pressure, ed_ph, ed_pl},
                     {TchartPlot::altitude, ed_ah, ed_al},
                     {TchartPlot::temperature, ed_th, ed_tl},
                     {TchartPlot::humidity, ed_hh, ed_hl},
                     {TchartPlot::humidityTemperature, ed_thh, ed_thl}};
    for (const auto& f : fieldsOf) {
        range->field(f.high)->setText(
            QString::fromLatin1(fixedText(plot(f.plot)->GetRangeYHigh(), 1).c_str()));
        range->field(f.low)->setText(
            QString::fromLatin1(fixedText(plot(f.plot)->GetRangeYLow(), 1).c_str()));
    }
    range->exec();
    RefreshCharts(true);
}

void TWchart::applyRanges(TplotRanges ranges) {
    for (const TplotRange& r : ranges) {
        Tplot_time* p = plot(r.plot);
        if (!p) continue;
        p->SetAutoScaleY(r.autoScale);
        if (r.autoScale) continue;
        p->SetManualYScaleHigh(r.high);
        p->SetManualYScaleLow(r.low);
    }
    RefreshCharts(true);
}

void TWchart::Button1Click() {
    for (TchartPlot which :
         {TchartPlot::temperature, TchartPlot::humidity, TchartPlot::humidityTemperature,
          TchartPlot::pressure, TchartPlot::altitude})
        plot(which)->ClearContent();
    RefreshCharts(true);
}

void TWchart::OnTimer() {
    lb_rec->show();
    timer_rec->stop();
}

void TWchart::Storesamplestofile1Click() {
    LogFile.begin();
    applyLogState();
}

void TWchart::Enddatalogging1Click() {
    LogFile.end();
    applyLogState();
}

void TWchart::applyLogState() {
    const bool on = LogFile.logging();
    Storesamplestofile1->setEnabled(!on);
    Enddatalogging1->setEnabled(on);
    lb_rec->setVisible(on);
    if (!on) timer_rec->stop();
}
