#pragma once

#include "core/Sequence.h"
#include "links/Serial_enum.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Tsensor;
class TintroView;
class TmainView;
class TsettingsStore;
class TappControl;

// The program's top-level sequence: loads the settings, searches the module (LPT1, then every
// serial port present in ascending number) while the intro view shows the progress, and then
// measures every TS seconds for the rest of the run. Its end releases the sensor and ends the
// message loop. It reaches the sensor and the views through the parts its owner attaches.
class TseqMAIN : public Tsequence {
public:
    static constexpr std::int32_t FoundPauseMs = 2000;
    static constexpr std::int32_t NextPortPauseMs = 100;

    // The steps of the table, by hundreds: 100 the settings and the search plan, 1xx LPT1,
    // 2xx a serial port, 4xx the end of the search, 5xx the measuring cycle. Their numbers show
    // in the debug log.
    enum Step : std::int32_t {
        StepIdle = 0,
        StepLoadSettings = 100,
        StepPrepareSearch = 105,
        StepAnnounceLpt = 110,
        StepSearchLpt = 120,
        StepLptMissing = 130,
        StepLptFound = 140,
        StepAfterLpt = 200,
        StepAnnounceCom = 210,
        StepSearchCom = 220,
        StepComMissing = 230,
        StepAfterCom = 235,
        StepComFound = 240,
        StepFound = 400,
        StepNotFound = 450,
        StepMeasure = 500,
        StepShowSample = 505,
        StepWait = 510,
    };

    // What the sequence drives and tells; a null part is left out.
    struct Tparts {
        Tsensor* sensor = nullptr;
        TintroView* intro = nullptr;        // the search's progress
        TmainView* view = nullptr;          // each finished sample
        TsettingsStore* settings = nullptr; // loaded at the start of every search
        TappControl* app = nullptr;         // quit at the sequence's end
    };

    TseqMAIN();
    ~TseqMAIN() override;

    void attach(const Tparts& attached) { parts = attached; }

    void start();
    // A new module search, from the main window's menu.
    void restart();
    // Measure at once: honoured while the sequence waits between two measurements; during a
    // search or a measurement the next cycle takes the new settings by itself.
    void measureNow();

    void OnNotification(TeventResource* sender, std::int32_t code) override;

    // The ports a search tries, in order ("LPT1" or "COM%d"), chosen from the serial ports
    // present. Unset, a search tries LPT1 and then every present serial port in ascending number.
    using TsearchPlan = std::function<std::vector<std::string>(const Tserial_enum&)>;
    TsearchPlan searchPlan;

    std::unique_ptr<Tdelay_resource> delay;
    bool firstSample = true;
    bool restartRequested = false;
    char portName[16] = {};
    Tserial_enum ports;
    std::vector<std::string> plan;
    std::int32_t portIndex = 0; // into plan

protected:
    const char* logName() const override { return "TseqMAIN"; }
    void runStep() override;
    void onEnd(std::int32_t result) override;

private:
    // Codes the sequence posts to itself.
    enum : std::int32_t {
        GoOn = 1,
        MeasureNow = 5,
        Restart = 6,
        NextPort = 8,
        SearchLPT = 9,
        NoPort = 10
    };

    void runSearchStep();
    void runPortStep();
    void announcePortStep();
    void portResultStep(bool found);
    void nextPortStep();
    void closeIntroStep();
    void runCycleStep();
    void loadSettings();
    void prepareSearch();
    void chooseNextPort();
    std::vector<std::string> defaultPlan() const;
    void showSample();
    void waitForNextMeasurement();
    void cancelable();
    Tsensor* sensor() const { return parts.sensor; }
    TintroView* intro() const { return parts.intro; }

    Tparts parts;
};
