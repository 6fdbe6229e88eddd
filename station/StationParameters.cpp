// The station's settings by code: the sensor's N and TS, the local altitude and the sea-level
// offset, the weather model's limits and rates, the calibration. The window settings (codes 13
// to 16) belong to the windows and are passed on.
#include "measurement/Tsensor.h"
#include "station/Fixedtext.h"
#include "station/Station.h"

namespace {

bool isWindowCode(int code) {
    return code == codeMinimized || code == codeSaveOnExit || code == codeSmallX ||
           code == codeSmallY;
}

} // namespace

double Tstation::getParameter(int code) {
    if (isWindowCode(code)) return windowParameters ? windowParameters->getParameter(code) : 0.0;
    const Tmeteo& m = *meteoPart;
    switch (code) {
    case codeN: return sensorPart->getN();
    case codeTS: return sensorPart->getTS();
    case codeAltitude: return derived.localAltitude;
    case codeSunny: return m.getSunnyLimit();
    case codeVariable: return m.getVariableLimit();
    case codeOvercast: return m.getOvercastLimit();
    case codeHysteresis: return m.getHysteresis();
    case codeSeaLevelOffset: return derived.seaLevelOffset;
    case codeQuickDown: return m.getQuickDownRate();
    case codeSlowDown: return m.getSlowDownRate();
    case codeQuickUp: return m.getQuickUpRate();
    case codeSlowUp: return m.getSlowUpRate();
    default: return 0.0;
    }
}

void Tstation::setParameter(int code, double v) {
    if (isWindowCode(code)) {
        if (windowParameters) windowParameters->setParameter(code, v);
        return;
    }
    switch (code) {
    // Truncated here, so that a value beyond the integer range stops at its ends.
    case codeN: sensorPart->setN(truncateToInt(v)); return;
    case codeTS: sensorPart->setTS(truncateToInt(v)); return;
    case codeAltitude:
        if (derived.changeLocalAltitude(v, qfe(), sensorPart->temperature))
            meteoPart->clearHistory();
        return;
    case codeSeaLevelOffset: derived.seaLevelOffset = v; return;
    default: setMeteoParameter(code, v); return;
    }
}

void Tstation::setMeteoParameter(int code, double v) {
    Tmeteo& m = *meteoPart;
    switch (code) {
    case codeSunny: m.setSunnyLimit(v); return;
    case codeVariable: m.setVariableLimit(v); return;
    case codeOvercast: m.setOvercastLimit(v); return;
    case codeHysteresis: m.setHysteresis(v); return;
    case codeQuickDown: m.setQuickDownRate(v); return;
    case codeSlowDown: m.setSlowDownRate(v); return;
    case codeQuickUp: m.setQuickUpRate(v); return;
    case codeSlowUp: m.setSlowUpRate(v); return;
    default: return;
    }
}

void Tstation::getCalibration(Tsensor_wc* out) {
    if (out) sensorPart->getCalibration(out);
}

void Tstation::setCalibration(const Tsensor_wc* in) {
    if (in) sensorPart->setCalibration(in);
}
