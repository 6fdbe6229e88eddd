// The main display's settings: the window settings by code, the station's passed on, the
// settings file dialogs and the closing of the program.
#include "charts/ChartView.h"
#include "core/Globals.h"
#include "core/Prompts.h"
#include "display/FormView.h"
#include "display/TmainDisplay.h"
#include "measurement/Tsensor.h"
#include "station/Fixedtext.h"
#include "station/Settingsfile.h"
#include "station/Station.h"

namespace {

const char* const settingsFilter = "Settings files (*.ini);;All files (*)";

// A name whose last part has no extension gets the dialogs' default one, ".ini".
std::string withDefaultExtension(const std::string& name) {
    const std::size_t slash = name.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    return name.find('.', start) == std::string::npos ? name + ".ini" : name;
}

} // namespace

double TmainDisplay::getParameter(int code) {
    switch (code) {
    case codeMinimized: return minimized ? 1.0 : 0.0;
    case codeSaveOnExit: return autosaveOnExit ? 1.0 : 0.0;
    case codeSmallX: return smallForm ? smallForm->formLeft() : 0.0;
    case codeSmallY: return smallForm ? smallForm->formTop() : 0.0;
    default: return station ? station->getParameter(code) : 0.0;
    }
}

// A new local altitude shows at once, with everything derived from it.
void TmainDisplay::setParameter(int code, double v) {
    switch (code) {
    case codeMinimized:
        minimized = v != 0;
        showWindows();
        return;
    case codeSaveOnExit:
        autosaveOnExit = v != 0;
        if (mainForm) mainForm->setChecked("Autosavesettingsonexit1", autosaveOnExit);
        return;
    case codeSmallX:
        if (smallForm) smallForm->moveForm(truncateToInt(v), smallForm->formTop());
        return;
    case codeSmallY:
        if (smallForm) smallForm->moveForm(smallForm->formLeft(), truncateToInt(v));
        return;
    default:
        if (!station) return;
        station->setParameter(code, v);
        if (code == codeAltitude) showValues();
        return;
    }
}

void TmainDisplay::getCalibration(Tsensor_wc* out) {
    if (station) station->getCalibration(out);
}

void TmainDisplay::setCalibration(const Tsensor_wc* in) {
    if (station) station->setCalibration(in);
}

void TmainDisplay::loadStartupSettings() {
    if (station) station->loadStartupSettings();
}

void TmainDisplay::readSettings(const std::string& fileName) {
    if (station) station->readSettings(fileName);
}

void TmainDisplay::writeSettings(const std::string& fileName) {
    if (!station || !smallForm)
        reportSettingsWriteError(fileName);
    else
        writeSettingsFile(fileName, settingsText(*this));
}

void TmainDisplay::detectModule() {
    if (station) station->searchAgain();
}

void TmainDisplay::loadSettingsDialog() {
    if (!theSystem.prompts) return;
    const std::string name =
        theSystem.prompts->openFile("Load settings", settingsFilter, openFileName);
    if (name.empty()) return;
    openFileName = withDefaultExtension(name);
    readSettings(openFileName);
}

void TmainDisplay::saveSettingsAsDialog() {
    if (!theSystem.prompts) return;
    const std::string name =
        theSystem.prompts->saveFile("Save settings As", settingsFilter, saveFileName);
    if (name.empty()) return;
    saveFileName = withDefaultExtension(name);
    writeSettings(saveFileName);
}

void TmainDisplay::toggleAutosave() {
    setParameter(codeSaveOnExit, autosaveOnExit ? 0.0 : 1.0);
}

void TmainDisplay::minimize() {
    minimized = true;
    showWindows();
}

void TmainDisplay::closeApplication() {
    if (!theSystem.prompts) return;
    const TpromptAnswer answer = theSystem.prompts->message(
        "Close application ?", "Confirm", TpromptIcon::Question, TpromptButtons::YesNo);
    if (answer == TpromptAnswer::Yes) endApplication();
}

void TmainDisplay::endApplication() {
    if (autosaveOnExit) writeSettings(saveFileName.empty() ? "setup.ini" : saveFileName);
    if (station) station->stop();
}

void TmainDisplay::applyChartLayout() {
    if (!theSystem.chartView) return;
    const double h = station ? station->sensor().humidity : 0.0;
    if (h > 0 && h <= 999) {
        theSystem.chartView->SetHumidityLayout(true);
        humidityLayout = true;
    } else if (!humidityLayout) {
        theSystem.chartView->SetHumidityLayout(false);
    }
}
