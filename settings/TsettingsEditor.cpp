#include "settings/TsettingsEditor.h"

#include "core/Prompts.h"
#include "core/Strutil.h"
#include "measurement/ParameterAccess.h"
#include "measurement/Tsensor.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

constexpr std::int32_t Tsensor_wc::*W[4] = {&Tsensor_wc::W1, &Tsensor_wc::W2, &Tsensor_wc::W3,
                                            &Tsensor_wc::W4};
constexpr std::int32_t Tsensor_wc::*C[6] = {&Tsensor_wc::C1, &Tsensor_wc::C2, &Tsensor_wc::C3,
                                            &Tsensor_wc::C4, &Tsensor_wc::C5, &Tsensor_wc::C6};

// Number texts in C-style formats, with "." whatever the locale.
std::string format(double value, std::chars_format form, int precision) {
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, form, precision);
    return std::string(buffer, result.ptr);
}

std::string fixed(double value, int decimals) {
    return format(value, std::chars_format::fixed, decimals);
}

// The shortest general form of a value, to 15 significant digits.
std::string general(double value) {
    return format(value, std::chars_format::general, 15);
}

std::string hex(std::int32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%x", static_cast<unsigned>(value));
    return buffer;
}

std::int32_t truncated(double value) {
    constexpr double low = std::numeric_limits<std::int32_t>::min();
    constexpr double high = std::numeric_limits<std::int32_t>::max();
    if (std::isnan(value)) return 0;
    return static_cast<std::int32_t>(value < low ? low : value > high ? high : value);
}

// True when the text reads as a number (NaN, as from "0e400", does not).
bool readNumber(const std::string& text, double& value) {
    return !readDecimal(text.c_str(), &value) && !std::isnan(value);
}

void error(Tprompts* prompts, const char* text) {
    if (prompts) prompts->message(text, "Error", TpromptIcon::Error, TpromptButtons::Ok);
}

bool confirmed(Tprompts* prompts, const char* text) {
    return prompts && prompts->message(text, "Error", TpromptIcon::Warning,
                                       TpromptButtons::YesNo) == TpromptAnswer::Yes;
}

struct NumberField {
    const std::string* text;
    double* value;
    const char* message;
};

// Reads every field; each that does not parse shows its message. True when all parse.
template <std::size_t count> bool readAll(const NumberField (&fields)[count], Tprompts* prompts) {
    bool all = true;
    for (const NumberField& field : fields) {
        if (readNumber(*field.text, *field.value)) continue;
        error(prompts, field.message);
        all = false;
    }
    return all;
}

} // namespace

std::int32_t TsettingsEditor::tsPart(int part) const {
    const std::int32_t parts[4] = {tsDays, tsHours, tsMinutes, tsSeconds};
    return parts[part];
}

std::int32_t& TsettingsEditor::tsPartRef(int part) {
    switch (part) {
    case 0: return tsDays;
    case 1: return tsHours;
    case 2: return tsMinutes;
    default: return tsSeconds;
    }
}

void TsettingsEditor::show(TparameterAccess* parameters) {
    if (!parameters) return;
    altitude = parameters->getParameter(codeAltitude);
    text.alti = fixed(altitude, 1);
    text.altifeet = fixed(altitude * FeetPerMetre, 1);
    text.n = std::to_string(truncated(parameters->getParameter(codeN)));
    const std::int32_t s = truncated(parameters->getParameter(codeTS));
    tsDays = s / 86400;
    tsHours = (s / 3600) % 24;
    tsMinutes = (s / 60) % 60;
    tsSeconds = s % 60;
    for (int part = 0; part < 4; ++part)
        text.ts[part] = std::to_string(tsPartRef(part));
    parameters->getCalibration(&cal);
    showCalibration(true, true);
    text.sunny = fixed(parameters->getParameter(codeSunny), 1);
    text.variable = fixed(parameters->getParameter(codeVariable), 1);
    text.overcast = fixed(parameters->getParameter(codeOvercast), 1);
    text.hysteresis = fixed(parameters->getParameter(codeHysteresis), 1);
    text.quickDown = fixed(parameters->getParameter(codeQuickDown), 3);
    text.slowDown = fixed(parameters->getParameter(codeSlowDown), 3);
    text.quickUp = fixed(parameters->getParameter(codeQuickUp), 3);
    text.slowUp = fixed(parameters->getParameter(codeSlowUp), 3);
}

void TsettingsEditor::showCalibration(bool wEdits, bool cEdits) {
    for (int i = 0; i < 4; ++i) {
        if (wEdits) text.w[i] = std::to_string(cal.*W[i]);
        text.lbW[i] = hex(cal.*W[i]);
    }
    for (int i = 0; i < 6; ++i) {
        if (cEdits) text.c[i] = std::to_string(cal.*C[i]);
        text.lbC[i] = hex(cal.*C[i]);
    }
}

void TsettingsEditor::setAltitude(double metres) {
    altitude = metres > MaxAltitude ? MaxAltitude : metres < MinAltitude ? MinAltitude : metres;
}

void TsettingsEditor::altitudeTyped() {
    double typed;
    if (readNumber(text.alti, typed)) {
        setAltitude(typed);
        if (altitude != typed) text.alti = general(altitude);
    }
    text.altifeet = fixed(altitude * FeetPerMetre, 1);
}

void TsettingsEditor::altitudeFeetTyped() {
    double feet;
    if (readNumber(text.altifeet, feet)) {
        const double metres = feet * MetresPerFoot;
        setAltitude(metres);
        if (altitude != metres) text.altifeet = general(altitude * FeetPerMetre);
    }
    text.alti = fixed(altitude, 1);
}

void TsettingsEditor::wTyped(int index) {
    std::int32_t value;
    readInteger(text.w[index].c_str(), &value);
    cal.*W[index] = value;
    cal.computeC();
    showCalibration(false, true);
}

void TsettingsEditor::cTyped(int index) {
    std::int32_t value;
    readInteger(text.c[index].c_str(), &value);
    cal.*C[index] = value;
    cal.computeW();
    showCalibration(true, false);
}

void TsettingsEditor::tsLeft(int part) {
    std::int32_t value;
    if (!readInteger(text.ts[part].c_str(), &value))
        tsPartRef(part) = value;
    else
        text.ts[part] = std::to_string(tsPartRef(part));
}

void TsettingsEditor::restoreFromSensor(const Tsensor* sensor) {
    if (!sensor) return;
    sensor->getModuleCalibration(&cal);
    showCalibration(true, true);
}

TsettingsEditor::Result TsettingsEditor::ok(TparameterAccess* parameters, Tprompts* prompts) {
    Checked v;
    bool failed = !checkSampling(v, prompts);
    failed = !checkLimits(v, failed, prompts) || failed;
    failed = !checkRates(v, failed, prompts) || failed;
    if (failed) return Result::Failed;
    if (!parameters) return Result::NoMainWindow;
    commit(v, parameters);
    return Result::Committed;
}

bool TsettingsEditor::checkSampling(Checked& v, Tprompts* prompts) {
    bool passed = true;
    if (!readNumber(text.n, v.n) || v.n < 1 || v.n != std::trunc(v.n)) {
        error(prompts, "Error : The n value must be an integer, larger than 0");
        passed = false;
    }
    const std::int64_t ts = std::int64_t{tsDays} * 86400 + std::int64_t{tsHours} * 3600 +
                            std::int64_t{tsMinutes} * 60 + tsSeconds;
    v.ts = static_cast<double>(ts);
    if (ts < 1) {
        error(prompts, "Error : The ts value must be an integer, larger than 0");
        passed = false;
    }
    if (passed && v.n > 8 && ts < 2) {
        if (!confirmed(prompts, "Error : For more than 8 samples, the sampling time (ts) must be "
                                "at least 2 seconds.\n Correct ts to 2 seconds ?"))
            return false;
        v.ts = 2;
    }
    return passed;
}

// The limits must stay strictly ordered: the weather model keeps sunny > variable > overcast and
// would silently drop an equal limit.
bool TsettingsEditor::checkLimits(Checked& v, bool failedBefore, Tprompts* prompts) {
    const NumberField fields[] = {
        {&text.sunny, &v.sunny, "Error : The \"Sunny\" limit for the meteo must be a number"},
        {&text.variable, &v.variable,
         "Error : The \"Variable\" limit for the meteo must be a number"},
        {&text.overcast, &v.overcast,
         "Error : The \"Overcast\" limit for the meteo must be a number"},
        {&text.hysteresis, &v.hysteresis,
         "Error : The \"Hysteresis\" limit for the meteo must be a number"},
    };
    if (!readAll(fields, prompts)) return false;
    if (failedBefore) return true;
    if (!(v.sunny > v.variable)) {
        error(prompts,
              "Error : The \"Sunny\" limit for the meteo must be larger than the \"Variable\" one");
        return false;
    }
    if (!(v.variable > v.overcast)) {
        error(prompts, "Error : The \"Variable\" limit for the meteo must be larger than the "
                       "\"Overcast\" one");
        return false;
    }
    return true;
}

bool TsettingsEditor::checkRates(Checked& v, bool failedBefore, Tprompts* prompts) {
    const NumberField fields[] = {
        {&text.quickDown, &v.quickDown,
         "Error : The rate limit for the fast falling trend must be a number"},
        {&text.slowDown, &v.slowDown,
         "Error : The rate limit for the slow falling trend must be a number"},
        {&text.quickUp, &v.quickUp,
         "Error : The rate limit for the fast rising trend must be a number"},
        {&text.slowUp, &v.slowUp,
         "Error : The rate limit for the slow rising trend must be a number"},
    };
    if (!readAll(fields, prompts)) return false;
    if (failedBefore) return true;
    if (v.slowDown < v.quickDown) {
        error(prompts, "Error : The variation rate for the slow down trend must be bigger than "
                       "the one for the fast down trend");
        return false;
    }
    if (v.slowUp < v.slowDown) {
        error(prompts, "Error : The variation rate for the slow up trend must be bigger than the "
                       "one for the slow down trend");
        return false;
    }
    if (v.quickUp < v.slowUp) {
        error(prompts, "Error : The variation rate for fast up trend must be bigger than the one "
                       "for the slow up trend");
        return false;
    }
    return true;
}

void TsettingsEditor::commit(const Checked& v, TparameterAccess* parameters) {
    parameters->setParameter(codeN, v.n);
    parameters->setParameter(codeTS, v.ts);
    parameters->setParameter(codeAltitude, altitude);
    commitLimits(v, parameters);
    parameters->setParameter(codeHysteresis, v.hysteresis);
    parameters->setParameter(codeQuickDown, v.quickDown);
    parameters->setParameter(codeSlowDown, v.slowDown);
    parameters->setParameter(codeQuickUp, v.quickUp);
    parameters->setParameter(codeSlowUp, v.slowUp);
    parameters->setCalibration(&cal);
}

// The weather model refuses a limit that would break sunny > variable > overcast, so the three
// go in an order that keeps it at every step: a falling overcast limit and a rising sunny limit
// first, then the variable limit, then whichever of the outer two is left.
void TsettingsEditor::commitLimits(const Checked& v, TparameterAccess* parameters) {
    const bool overcastFirst = v.overcast < parameters->getParameter(codeOvercast);
    const bool sunnyFirst = v.sunny > parameters->getParameter(codeSunny);
    if (overcastFirst) parameters->setParameter(codeOvercast, v.overcast);
    if (sunnyFirst) parameters->setParameter(codeSunny, v.sunny);
    parameters->setParameter(codeVariable, v.variable);
    if (!overcastFirst) parameters->setParameter(codeOvercast, v.overcast);
    if (!sunnyFirst) parameters->setParameter(codeSunny, v.sunny);
}
