// The data files of a scripted run, the logger's and the desktop program's, byte for byte as
// the references written before the station layer was introduced.
#include "ScriptedRun.h"
#include "charts/ChartView.h"
#include "charts/DataLog.h"
#include "display/FakeForm.h"
#include "display/TmainDisplay.h"
#include "logger/DateTimeText.h"
#include "logger/Logger.h"
#include "measurement/Fakes.h"
#include "measurement/Seqmain.h"

TEST_F(ScriptedRun, TheLoggersDataFileIsTheReference) {
    {
        Tlogger logger(
            {dir.file("setup.ini"), dir.file("samples.dat"), "LPT1", false, {}},
            [](const std::string&) {}, [this] { return calendar(); });
        ASSERT_TRUE(logger.start());
        play();
    }
    expectReference("logger_run.dat");
}

namespace {
// The chart window's part of the desktop program: every sample to the data file while logging.
class LoggingChart : public TchartView {
public:
    explicit LoggingChart(TdataLog& log) : log(log) {}
    void ResetCharts() override {}
    void NewSample(int D1, int D2, double t, double p, double a, double h, double ht) override {
        log.write({D1, D2, t, p, a, h, ht});
    }
    void SetHumidityLayout(bool) override {}
    TdataLog& log;
};
} // namespace

TEST_F(ScriptedRun, TheDesktopsDataFileIsTheReference) {
    {
        Tsensor sensor;
        Tmeteo meteo([this] { return calendar(); });
        TseqMAIN seq;
        FakeForm mainForm, smallForm;
        TmainDisplay display;
        display.setMainForm(&mainForm);
        display.setSmallForm(&smallForm);
        FakeIntro intro;
        FakeApp app;
        TdataLog log([this] { return localDateTimeText(calendar()); });
        LoggingChart chart(log);
        SystemScope scope{Tsystem{.sensor = &sensor,
                                  .meteo = &meteo,
                                  .seqMain = &seq,
                                  .mainView = &display,
                                  .meteoView = &display,
                                  .introView = &intro,
                                  .chartView = &chart,
                                  .app = &app,
                                  .settings = &display,
                                  .parameters = &display}};
        std::string error;
        ASSERT_TRUE(log.beginAppending(dir.file("samples.dat"), error));
        seq.start();
        play();
    }
    expectReference("desktop_run.dat");
}
