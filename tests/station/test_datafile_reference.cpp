// The data files of a scripted run, the logger's and the desktop program's, byte for byte as
// the references written before the station layer was introduced.
#include "ScriptedRun.h"
#include "charts/DataFileSink.h"
#include "charts/DataLog.h"
#include "core/Globals.h"
#include "display/FakeForm.h"
#include "display/TmainDisplay.h"
#include "logger/DateTimeText.h"
#include "logger/Logger.h"
#include "station/Station.h"
#include "support/LoggerRunOptions.h"

TEST_F(ScriptedRun, TheLoggersDataFileIsTheReference) {
    {
        Tlogger logger(
            loggerRunOptions(dir.file("setup.ini"), dir.file("samples.dat"), "LPT1", false),
            [](const std::string&) {}, [this] { return calendar(); });
        ASSERT_TRUE(logger.start());
        play();
    }
    expectReference("logger_run.dat");
}

TEST_F(ScriptedRun, TheDesktopsDataFileIsTheReference) {
    {
        TdataLog log([this] { return localDateTimeText(calendar()); });
        TdataFileSink file(log, TdataFileSink::Lines::Every);
        Tstation station([this] { return calendar(); });
        FakeForm mainForm, smallForm;
        TmainDisplay display;
        display.setMainForm(&mainForm);
        display.setSmallForm(&smallForm);
        display.setStation(&station);
        station.addSink(&file);
        station.setSettingsFile("setup.ini", true);
        theSystem.parameters = &display; // the file's header
        std::string error;
        ASSERT_TRUE(log.beginAppending(dir.file("samples.dat"), error));
        station.start();
        play();
        theSystem.parameters = nullptr;
    }
    expectReference("desktop_run.dat");
}
