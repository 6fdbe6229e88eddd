#include "measurement/Seqmain.h"

#include "core/AppControl.h"
#include "core/Tdebug.h"
#include "measurement/IntroView.h"
#include "measurement/MainView.h"
#include "measurement/SettingsStore.h"
#include "measurement/Tsensor.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>

TseqMAIN::TseqMAIN() : delay(std::make_unique<Tdelay_resource>()) {
    delay->reserve(this, false);
}

TseqMAIN::~TseqMAIN() {
    delay.reset();
}

void TseqMAIN::start() {
    if (step != StepIdle) {
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
    if (step != StepWait) return;
    delay->cancelDelay();
    postNotification(this, MeasureNow);
}

void TseqMAIN::OnNotification(TeventResource* sender, std::int32_t code) {
    dispatch(sender, code);
}

void TseqMAIN::runStep() {
    if (step == StepIdle)
        transitionOn(this, Restart, StepLoadSettings);
    else if (step < StepMeasure)
        runSearchStep();
    else
        runCycleStep();
}

void TseqMAIN::cancelable() {
    transitionOn(this, CANCEL_REQUEST, END_STEP);
}

void TseqMAIN::runSearchStep() {
    switch (step) {
    case StepLoadSettings:
        if (entered) loadSettings();
        transitionOn(this, GoOn, StepPrepareSearch);
        break;
    case StepPrepareSearch:
        if (entered) prepareSearch();
        transitionOn(this, GoOn, StepAnnounceLpt);
        transitionOn(this, NextPort, StepAnnounceCom);
        transitionOn(this, NoPort, StepNotFound);
        break;
    case StepAfterLpt:
    case StepAfterCom: nextPortStep(); break;
    case StepFound:
    case StepNotFound: closeIntroStep(); break;
    default: runPortStep(); break;
    }
}

// The steps that try one port: it is announced, searched, and its result shown for a pause.
void TseqMAIN::runPortStep() {
    Tsensor* const s = sensor();
    switch (step) {
    case StepAnnounceLpt:
    case StepAnnounceCom: announcePortStep(); break;
    case StepSearchLpt:
        if (entered && s) s->start_searchLPT();
        transitionOn(s, SEQUENCE_SUCCESS, StepLptFound);
        transitionOn(s, SEQUENCE_ERROR, StepLptMissing);
        cancelable();
        break;
    case StepSearchCom:
        if (entered && s) s->start_searchCOM(portName);
        transitionOn(s, SEQUENCE_SUCCESS, StepComFound);
        transitionOn(s, SEQUENCE_ERROR, StepComMissing);
        cancelable();
        break;
    case StepLptMissing:
    case StepComMissing: portResultStep(false); break;
    case StepLptFound:
    case StepComFound: portResultStep(true); break;
    default: break;
    }
}

void TseqMAIN::announcePortStep() {
    const bool lpt = step == StepAnnounceLpt;
    if (entered) {
        if (intro()) intro()->searching(lpt ? "LPT1" : portName);
        postNotification(this, GoOn);
    }
    transitionOn(this, GoOn, lpt ? StepSearchLpt : StepSearchCom);
    cancelable();
}

// A found module ends the search after its pause; a missing one moves on to the next port.
void TseqMAIN::portResultStep(bool found) {
    if (entered) {
        if (intro()) intro()->result(found);
        delay->setDelay(found ? FoundPauseMs : NextPortPauseMs);
    }
    const Step next = found ? StepFound : step == StepLptMissing ? StepAfterLpt : StepAfterCom;
    transitionOn(delay.get(), SEQUENCE_SUCCESS, next);
}

void TseqMAIN::nextPortStep() {
    if (entered) chooseNextPort();
    transitionOn(this, GoOn, StepNotFound);
    transitionOn(this, NextPort, StepAnnounceCom);
    transitionOn(this, SearchLPT, StepAnnounceLpt);
}

void TseqMAIN::closeIntroStep() {
    if (entered) {
        if (intro()) intro()->closeIntro(step == StepFound);
        postNotification(this, GoOn);
    }
    transitionOn(this, GoOn, StepMeasure);
}

void TseqMAIN::runCycleStep() {
    Tsensor* const s = sensor();
    switch (step) {
    case StepMeasure:
        if (entered && s) s->start_measure();
        transitionOn(s, SEQUENCE_SUCCESS, StepShowSample);
        transitionOn(s, SEQUENCE_ERROR, StepWait);
        cancelable();
        break;
    case StepShowSample:
        if (entered) showSample();
        transitionOn(this, GoOn, StepWait);
        cancelable();
        break;
    case StepWait:
        if (entered) waitForNextMeasurement();
        transitionOn(delay.get(), SEQUENCE_SUCCESS, StepMeasure);
        transitionOn(this, MeasureNow, StepMeasure);
        if (transitionOn(this, Restart, StepLoadSettings)) delay->cancelDelay();
        cancelable();
        break;
    default: break;
    }
}

void TseqMAIN::loadSettings() {
    if (Tsensor* s = sensor()) s->setLink(0);
    if (parts.settings) parts.settings->loadStartupSettings();
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
        if (parts.view) parts.view->resetReference();
    }
    if (parts.view) parts.view->showSample();
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
    if (parts.app) parts.app->quit();
}
