#include "measurement/Tsensor.h"

#include "core/Globals.h"
#include "core/Tdebug.h"
#include "measurement/MainView.h"
#include "measurement/Seqmain.h"

#include <cmath>
#include <limits>

namespace {

const char* const LinkTexts[] = {"No module", "LPT module", "COM module"};

// Truncation toward zero that stays defined for every double: values beyond the 32-bit range
// give its nearest end, NaN gives 0.
std::int32_t truncateToInt32(double x) {
    using Limits = std::numeric_limits<std::int32_t>;
    if (std::isnan(x)) return 0;
    if (x <= Limits::min()) return Limits::min();
    if (x >= Limits::max()) return Limits::max();
    return static_cast<std::int32_t>(x);
}

} // namespace

Tsensor::Tsensor() : sscp(std::make_unique<Tsscp>()), lpt(std::make_unique<Tlpt_mod2740>()) {
    setLink(0);
    sscp->reserve(this, false);
    lpt->reserve(this, false);
}

Tsensor::~Tsensor() {
    lpt.reset();
    sscp.reset();
}

const char* Tsensor::linkText(int k) {
    return k >= 0 && k <= 2 ? LinkTexts[k] : nullptr;
}

void Tsensor::setLink(std::int32_t k) {
    link = static_cast<std::uint8_t>(k);
    if (k < 0 || k > 2) return;
    if (theSystem.mainView) theSystem.mainView->setModuleText(LinkTexts[k]);
}

void Tsensor::start_searchLPT() {
    if (step != 0) {
        debugPrint("ERROR : Tsensor : start_searchLPT()");
        return;
    }
    debugPrint("Tsensor : start_searchLPT");
    postNotification(this, SearchLPT);
}

void Tsensor::start_searchCOM(const char* port) {
    if (step != 0) {
        debugPrint("ERROR : Tsensor : start_searchCOM()");
        return;
    }
    debugPrint("Tsensor : start_searchCOM");
    sscp->configure(port, 38400);
}

void Tsensor::start_measure() {
    if (step != 0) return;
    count = 0;
    sumP = sumT = nValid = 0;
    D1 = D2 = 0;
    pressure = Invalid;
    temperature = InvalidTemperature;
    humidity = humidityTemperature = Invalid;
    postNotification(this, link == 1 ? MeasureLPT : link == 2 ? MeasureCOM : StepDone);
}

void Tsensor::setN(double x) {
    N = truncateToInt32(x);
}

void Tsensor::setTS(double x) {
    TS = truncateToInt32(x);
    if (TS < 1) TS = 1;
    if (theSystem.seqMain) theSystem.seqMain->measureNow();
}

void Tsensor::getModuleCalibration(Tsensor_wc* out) const {
    if (!out) return;
    out->W1 = calModule.W1;
    out->W2 = calModule.W2;
    out->W3 = calModule.W3;
    out->W4 = calModule.W4;
    out->computeC();
}

void Tsensor::getCalibration(Tsensor_wc* out) const {
    calInUse.copyTo(out);
}

void Tsensor::setCalibration(const Tsensor_wc* in) {
    if (in) calInUse = *in;
    refreshCoef();
}

void Tsensor::refreshCoef() {
    const std::int32_t c[6] = {calInUse.C1, calInUse.C2, calInUse.C3,
                               calInUse.C4, calInUse.C5, calInUse.C6};
    for (int i = 0; i < 6; ++i)
        coef[i] = c[i];
}

void Tsensor::OnNotification(TeventResource* sender, std::int32_t code) {
    dispatch(sender, code);
}

void Tsensor::runStep() {
    if (step == 0) {
        transitionOn(sscp.get(), Connected, 200);
        transitionOn(sscp.get(), NoReply, 1002);
        transitionOn(this, SearchLPT, 100);
        transitionOn(this, MeasureLPT, 300);
        transitionOn(this, MeasureCOM, 400);
        transitionOn(this, StepDone, 1000);
    } else if (step < 300) {
        runSearchStep();
    } else {
        runMeasureStep();
    }
}

// Search: a reset and the four words on the parallel port; on a serial port two chances for
// command A, then command B.
void Tsensor::runSearchStep() {
    TeventResource* const com = sscp.get();
    switch (step) {
    case 100:
    case 200:
        if (entered) searchStart();
        transitionOn(this, StepDone, step + 5);
        break;
    case 105:
        if (entered) lpt->start_resetDevice();
        transitionOn(lpt.get(), SEQUENCE_SUCCESS, 110);
        transitionOn(lpt.get(), SEQUENCE_ERROR, 130);
        break;
    case 110:
        if (entered) lpt->start_getW(wWords);
        transitionOn(lpt.get(), SEQUENCE_SUCCESS, 120);
        transitionOn(lpt.get(), SEQUENCE_ERROR, 130);
        break;
    case 120:
    case 220:
        if (entered) searchSucceeded(step == 120 ? 1 : 2);
        transitionOn(this, StepDone, 1000);
        break;
    case 130:
    case 230:
        if (entered) searchFailed();
        transitionOn(this, StepDone, 1002);
        break;
    case 205:
    case 206:
        if (entered) sscp->requestAck();
        transitionOn(com, ReplyStored, 210);
        transitionOn(com, NoReply, step == 205 ? 206 : 230);
        break;
    case 210:
        if (entered) sscp->requestW(wWords);
        transitionOn(com, ReplyStored, 220);
        transitionOn(com, NoReply, 230);
        break;
    default: break;
    }
}

// Measurement: one reset (parallel port) or command A (serial), N conversions, then on the
// serial module the humidity words.
void Tsensor::runMeasureStep() {
    TeventResource* const com = sscp.get();
    switch (step) {
    case 300:
        if (entered) lpt->start_resetDevice();
        transitionOn(lpt.get(), SEQUENCE_SUCCESS, 310);
        transitionOn(lpt.get(), SEQUENCE_ERROR, 1002);
        break;
    case 310:
        if (entered) lpt->start_getD1D2(&D1, &D2);
        transitionOn(lpt.get(), SEQUENCE_SUCCESS, 320);
        transitionOn(lpt.get(), SEQUENCE_ERROR, 330);
        break;
    case 320:
    case 420:
        if (entered) accumulate();
        transitionOn(this, StepDone, step + 10);
        break;
    case 330:
    case 430:
        if (entered) countConversion();
        transitionOn(this, AnotherConversion, step - 20);
        transitionOn(this, StepDone, step == 330 ? 1000 : 440);
        break;
    case 400:
        if (entered) startSerialMeasurement();
        transitionOn(com, ReplyStored, 410);
        transitionOn(com, NoReply, 430);
        transitionOn(this, PortGone, 1000);
        break;
    case 410:
        if (entered) sscp->requestD1D2(&D1, &D2);
        transitionOn(com, ReplyStored, 420);
        transitionOn(com, NoReply, 430);
        break;
    case 440:
        if (entered) sscp->requestHumidity(&SO_RH, &SO_T);
        transitionOn(com, ReplyStored, 450);
        transitionOn(com, NoReply, 1000);
        break;
    case 450:
        if (entered) readHumidity();
        transitionOn(this, StepDone, 1000);
        break;
    default: break;
    }
}

void Tsensor::searchStart() {
    setLink(0);
    for (int i = 1; i <= 4; ++i)
        wWords[i] = 0;
    postNotification(this, StepDone);
}

void Tsensor::searchFailed() {
    setLink(0);
    postNotification(this, StepDone);
}

// The module answered: its calibration replaces whatever was set before.
void Tsensor::searchSucceeded(std::int32_t k) {
    setLink(k);
    calModule.W1 = calInUse.W1 = wWords[1];
    calModule.W2 = calInUse.W2 = wWords[2];
    calModule.W3 = calInUse.W3 = wWords[3];
    calModule.W4 = calInUse.W4 = wWords[4];
    calInUse.computeC();
    refreshCoef();
    postNotification(this, StepDone);
}

// A serial port that has gone (an adapter pulled out) is opened again by every measurement, so
// the first measurement after it is back reads the module without a new search. While it stays
// away, the measurement ends at once with its markers.
void Tsensor::startSerialMeasurement() {
    if (sscp->reconnect())
        sscp->requestAck();
    else
        postNotification(this, PortGone);
}

void Tsensor::accumulate() {
    const Tcompensated sample = compensate(coef, D1, D2);
    pressure = sample.pressure;
    temperature = sample.temperature;
    sumP += pressure;
    sumT += temperature;
    nValid += 1;
    postNotification(this, StepDone);
}

void Tsensor::countConversion() {
    ++count;
    if (count < N) {
        postNotification(this, AnotherConversion);
        return;
    }
    if (nValid != 0) {
        pressure = sumP / nValid;
        temperature = sumT / nValid;
    } else {
        pressure = Invalid;
        temperature = InvalidTemperature;
    }
    postNotification(this, StepDone);
}

void Tsensor::readHumidity() {
    const Thumidity h = convertHumidity(SO_RH, SO_T);
    humidity = h.humidity;
    humidityTemperature = h.temperature;
    postNotification(this, StepDone);
}
