#include "app/Main.h"

#include "charts/ChartSink.h"
#include "charts/DataFileSink.h"
#include "charts/Tchart.h"
#include "core/Globals.h"
#include "core/ProgramFonts.h"
#include "core/QuitSignals.h"
#include "core/TWdebug.h"
#include "core/Wsignal.h"
#include "display/Tabout.h"
#include "display/Tmain.h"
#include "display/Tsmall.h"
#include "measurement/Seqmain.h"
#include "measurement/Tintro.h"
#include "measurement/Tsensor.h"
#include "settings/Tsettings.h"
#include "station/IntroSink.h"
#include "station/Station.h"
#include "station/Tmeteo.h"

#include "Version.h"

#include <cstdio>
#include <exception>
#include <string_view>

TmodelObjects::TmodelObjects() : measuring(std::make_unique<Tstation>()) {}

TmodelObjects::~TmodelObjects() {
    destroy();
}

void TmodelObjects::destroy() {
    measuring->shutDown();
}

TprogramWindows::TprogramWindows(Tstation& measuring) : station(&measuring) {
    installProgramFonts();
    theSystem.prompts = &prompts;
    theSystem.app = this;
    main = std::make_unique<TWmain>();
    signal = std::make_unique<TSignalForm>(&TprogramWindows::start);
    small = std::make_unique<TWsmall>();
    main->setSmallWindow(small.get());
    small->setMainDisplay(&main->display());
    chart = std::make_unique<TWchart>(main.get());
    main->setChartWindow(chart.get());
    theSystem.chartView = chart.get();
    debug = std::make_unique<TWdebug>();
    main->setDebugWindow(debug.get());
    intro = std::make_unique<TWintro>();
    settings = std::make_unique<TWsettings>();
    main->setSettingsDialog(settings.get());
    about = std::make_unique<TWabout>();
    main->setAboutBox(about.get());
    quitSignals = std::make_unique<TquitSignals>([this] { main->display().endApplication(); });
    addSinks();
    main->show();
}

// The presenter takes the station's values and its settings file, "setup.ini", at every search.
void TprogramWindows::addSinks() {
    station->setSettingsFile("setup.ini", true);
    station->setApp(this);
    main->display().setStation(station);
    chartSink = std::make_unique<TchartSink>(*chart);
    fileSink =
        std::make_unique<TdataFileSink>(chart->dataLog(), TdataFileSink::Lines::Every,
                                        [this](bool written) { chart->lineLogged(written); });
    introSink = std::make_unique<TintroSink>(*intro);
    station->addSink(chartSink.get());
    station->addSink(fileSink.get());
    station->addSink(introSink.get());
}

TprogramWindows::~TprogramWindows() {
    quitSignals.reset();
    main->display().setStation(nullptr);
    station->removeSink(chartSink.get());
    station->removeSink(fileSink.get());
    station->removeSink(introSink.get());
    station->setApp(nullptr);
    theSystem.chartView = nullptr;
    if (theSystem.app == this) theSystem.app = nullptr;
    if (theSystem.prompts == &prompts) theSystem.prompts = nullptr;
}

// exit() rather than quit(): quit() would first ask every window to close, and the main window
// answers a close with "Close application ?".
void TprogramWindows::quit() {
    QCoreApplication::exit(0);
}

void TprogramWindows::start() {
    if (theSystem.chartView) theSystem.chartView->ResetCharts();
    if (theSystem.seqMain) theSystem.seqMain->start();
}

namespace {
// The error box of an exception: its text, or an empty text for an exception of unknown kind.
void showException(const std::string& text) {
    if (theSystem.prompts)
        theSystem.prompts->message(text, "CORVASINE's Barometer", TpromptIcon::Error,
                                   TpromptButtons::Ok);
}
} // namespace

bool TbarometerApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showException(e.what());
    } catch (...) {
        showException({});
    }
    return false;
}

void runMessageLoop(const std::function<void()>& loop) {
    try {
        loop();
    } catch (const std::exception& e) {
        showException(e.what());
    } catch (...) {
        showException({});
    }
}

namespace {
const char* const Usage =
    "Usage: corvasine-barometer [--help] [--version]\n"
    "Barometer, altimeter and weather station for the Corvasine pressure-sensor module. It keeps\n"
    "its settings in setup.ini in the current directory.\n"
    "\n"
    "  --help     show this help and end\n"
    "  --version  show the version and end\n"
    "\n"
    "The options of the Qt toolkit, such as -platform NAME, are taken as well. SIGTERM, SIGINT\n"
    "and SIGHUP end the program as File -> Exit answered Yes does.\n";
} // namespace

std::string commandLineAnswer(int argc, const char* const* argv) {
    bool version = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help") return Usage;
        version = version || arg == "--version";
    }
    return version ? std::string("corvasine-barometer ") + CorvVersion + "\n" : std::string();
}

int runProgram(int argc, char** argv) {
    const std::string answer = commandLineAnswer(argc, argv);
    if (!answer.empty()) {
        std::fputs(answer.c_str(), stdout);
        return 0;
    }
    TmodelObjects model;
    TbarometerApplication application(argc, argv);
    TprogramWindows windows(model.station());
    runMessageLoop([] { QApplication::exec(); });
    model.destroy();
    return 0;
}
