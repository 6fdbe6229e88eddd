#include "measurement/Seqmain.h"

#include "core/AppControl.h"
#include "core/Globals.h"
#include "core/Tdebug.h"
#include "display/MainView.h"
#include "display/SettingsStore.h"
#include "measurement/IntroView.h"
#include "measurement/Tsensor.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>

namespace {

TintroView* intro() {
    return theSystem.introView;
}

} // namespace

TseqMAIN::TseqMAIN() : delay(std::make_unique<Tdelay_resource>()) {
    delay->reserve(this, false);
}

TseqMAIN::~TseqMAIN() {
    delay.reset();
}

Tsensor* TseqMAIN::sensor() {
    return theSystem.sensor;
}

void TseqMAIN::start() {
    if (step != 0) {
        debugPrint("ERROR : TseqMAIN::start() failed");
        return;
    }
    if (Tsensor* s = sensor()) s->reserve(this, false);
    debugPrint("seqMAIN        = %d", logNumber(this));
    debugPrint("seqMAIN->delay = %d", logNumber(delay.get()));
    postNotification(this, Restart);
}

void TseqMAIN::restart() {
    restartRequested = true;
    postNotification(this, Restart);
}

// Cancelling the wait anywhere else would strand a search pause that waits for its delay, so
// only the wait between two measurements is cut short.
void TseqMAIN::measureNow() {
    if (step != 510) return;
    delay->cancelDelay();
    postNotification(this, MeasureNow);
}

void TseqMAIN::OnNotification(TeventResource* sender, std::int32_t code) {
    dispatch(sender, code);
}

void TseqMAIN::runStep() {
    if (step == 0)
        transitionOn(this, Restart, 100);
    else if (step < 500)
        runSearchStep();
    else
        runCycleStep();
}

void TseqMAIN::cancelable() {
    transitionOn(this, CANCEL_REQUEST, 1000);
}

void TseqMAIN::runSearchStep() {
    Tsensor* const s = sensor();
    switch (step) {
    case 100:
        if (entered) loadSettings();
        transitionOn(this, GoOn, 105);
        break;
    case 105:
        if (entered) prepareSearch();
        transitionOn(this, GoOn, 110);
        transitionOn(this, NextPort, 210);
        transitionOn(this, NoPort, 450);
        break;
    case 110:
    case 210:
        if (entered) {
            if (intro()) intro()->searching(step == 110 ? "LPT1" : portName);
            postNotification(this, GoOn);
        }
        transitionOn(this, GoOn, step + 10);
        cancelable();
        break;
    case 120:
        if (entered && s) s->start_searchLPT();
        transitionOn(s, SEQUENCE_SUCCESS, 140);
        transitionOn(s, SEQUENCE_ERROR, 130);
        cancelable();
        break;
    case 220:
        if (entered && s) s->start_searchCOM(portName);
        transitionOn(s, SEQUENCE_SUCCESS, 240);
        transitionOn(s, SEQUENCE_ERROR, 230);
        cancelable();
        break;
    case 130:
    case 230:
        if (entered) {
            if (intro()) intro()->result(false);
            delay->setDelay(NextPortPauseMs);
        }
        transitionOn(delay.get(), SEQUENCE_SUCCESS, step == 130 ? 200 : 235);
        break;
    case 140:
    case 240:
        if (entered) {
            if (intro()) intro()->result(true);
            delay->setDelay(FoundPauseMs);
        }
        transitionOn(delay.get(), SEQUENCE_SUCCESS, 400);
        break;
    case 200:
    case 235:
        if (entered) chooseNextPort();
        transitionOn(this, GoOn, 450);
        transitionOn(this, NextPort, 210);
        transitionOn(this, SearchLPT, 110);
        break;
    case 400:
    case 450:
        if (entered) {
            if (intro()) intro()->closeIntro(step == 400);
            postNotification(this, GoOn);
        }
        transitionOn(this, GoOn, 500);
        break;
    default: break;
    }
}

void TseqMAIN::runCycleStep() {
    Tsensor* const s = sensor();
    switch (step) {
    case 500:
        if (entered && s) s->start_measure();
        transitionOn(s, SEQUENCE_SUCCESS, 505);
        transitionOn(s, SEQUENCE_ERROR, 510);
        cancelable();
        break;
    case 505:
        if (entered) showSample();
        transitionOn(this, GoOn, 510);
        cancelable();
        break;
    case 510:
        if (entered) waitForNextMeasurement();
        transitionOn(delay.get(), SEQUENCE_SUCCESS, 500);
        transitionOn(this, MeasureNow, 500);
        if (transitionOn(this, Restart, 100)) delay->cancelDelay();
        cancelable();
        break;
    default: break;
    }
}

void TseqMAIN::loadSettings() {
    if (Tsensor* s = sensor()) s->setLink(0);
    if (theSystem.settings) theSystem.settings->loadStartupSettings();
    restartRequested = false;
    postNotification(this, GoOn);
}

// The first port of the plan: LPT1 goes on as the search always began, a serial port is
// searched at once, an empty plan ends the search.
void TseqMAIN::prepareSearch() {
    if (intro()) intro()->showIntro();
    ports.enumerate();
    plan = searchPlan ? searchPlan(ports) : defaultPlan();
    portIndex = 0;
    if (plan.empty()) {
        postNotification(this, NoPort);
    } else if (plan.front() == "LPT1") {
        postNotification(this, GoOn);
    } else {
        std::snprintf(portName, sizeof portName, "%s", plan.front().c_str());
        postNotification(this, NextPort);
    }
}

std::vector<std::string> TseqMAIN::defaultPlan() const {
    std::vector<std::string> names{"LPT1"};
    for (int number = 1; number < 256; ++number)
        if (ports.present[number]) names.push_back("COM" + std::to_string(number));
    return names;
}

// The next port of the plan, or "none left".
void TseqMAIN::chooseNextPort() {
    ++portIndex;
    if (portIndex >= static_cast<std::int32_t>(plan.size())) {
        postNotification(this, GoOn);
        return;
    }
    const std::string& name = plan[static_cast<std::size_t>(portIndex)];
    if (name == "LPT1") {
        postNotification(this, SearchLPT);
        return;
    }
    std::snprintf(portName, sizeof portName, "%s", name.c_str());
    postNotification(this, NextPort);
}

void TseqMAIN::showSample() {
    const Tsensor* s = sensor();
    if (firstSample && s && s->pressure < Tsensor::Invalid) {
        firstSample = false;
        if (theSystem.mainView) theSystem.mainView->resetReference();
    }
    if (theSystem.mainView) theSystem.mainView->showSample();
    postNotification(this, GoOn);
}

void TseqMAIN::waitForNextMeasurement() {
    if (restartRequested) {
        postNotification(this, Restart);
        return;
    }
    // A TS beyond what a timer can hold waits as long as a timer can.
    const Tsensor* s = sensor();
    const std::int64_t ms = std::int64_t{s ? s->TS : 1} * 1000;
    delay->setDelay(static_cast<std::int32_t>(std::min<std::int64_t>(ms, INT32_MAX)));
}

// Runs before the end line is logged: lets go of the sensor and ends the message loop, which
// stops after the current message.
void TseqMAIN::onEnd(std::int32_t) {
    delay->cancelDelay();
    if (Tsensor* s = sensor()) s->release(this);
    if (theSystem.app) theSystem.app->quit();
}
