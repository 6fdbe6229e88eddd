#include "logger/PressureOptions.h"

#include <cmath>
#include <cstdlib>

namespace {

// A number within [low, high]; the whole text must be the number.
bool readNumber(const char* text, double low, double high, double& value) {
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(v) || v < low || v > high) return false;
    value = v;
    return true;
}

} // namespace

const std::vector<option>& TpressureOptions::longOptions() const {
    static const std::vector<option> table{
        {"pressure-offset", required_argument, nullptr, optPressureOffset},
        {"calibrate", required_argument, nullptr, optCalibrate},
        {"units", required_argument, nullptr, optUnits},
        {"storm-drop", required_argument, nullptr, optStormDrop},
        {"storm-hysteresis", required_argument, nullptr, optStormHysteresis},
        {"on-alarm", required_argument, nullptr, optOnAlarm},
    };
    return table;
}

const char* TpressureOptions::help() const {
    return "      --pressure-offset HPA      added to the measured pressure (-50 to 50)\n"
           "      --calibrate QNH_HPA        wait for one sample, print the offset that makes\n"
           "                                 its QNH this reference and the option line, exit\n"
           "      --units LIST               units of what it prints and exports, e.g. inHg,F,ft:\n"
           "                                 hPa (or mbar), inHg, mmHg, kPa; C, F; m, ft\n"
           "      --storm-drop HPA           storm alarm at a 3-hour fall of this (default 4.0)\n"
           "      --storm-hysteresis HPA     cleared after an hour under the drop less this\n"
           "                                 (default 1.0)\n"
           "      --on-alarm COMMAND         run at every change of the storm alarm: a program\n"
           "                                 and its arguments split at blanks ('...' and \"...\"\n"
           "                                 keep blanks), no shell; the alarm in CORVASINE_*;\n"
           "                                 one at a time (a change meanwhile waits, the\n"
           "                                 newest only), killed after 60 s\n";
}

bool TpressureOptions::take(int id, const char* value, std::string& error) {
    const std::string v = value ? value : "";
    double number = 0;
    switch (id) {
    case optPressureOffset:
        if (readNumber(v.c_str(), -50, 50, offset)) return true;
        error = "--pressure-offset: '" + v + "' is not a number of hPa from -50 to 50";
        return false;
    case optCalibrate:
        if (readNumber(v.c_str(), 800, 1100, number)) {
            calibrateQnh = number;
            return true;
        }
        error = "--calibrate: '" + v + "' is not a QNH in hPa from 800 to 1100";
        return false;
    case optUnits:
        if (units.parse(v)) return true;
        error = "--units: '" + v + "' is not a list like inHg,F,ft (each quantity once)";
        return false;
    case optStormDrop:
        if (readNumber(v.c_str(), 0.1, 50, stormDrop)) return true;
        error = "--storm-drop: '" + v + "' is not a number of hPa from 0.1 to 50";
        return false;
    case optStormHysteresis:
        if (readNumber(v.c_str(), 0, 50, stormHysteresis)) return true;
        error = "--storm-hysteresis: '" + v + "' is not a number of hPa from 0 to 50";
        return false;
    case optOnAlarm:
        if (splitWords(v, alarmCommand) && !alarmCommand.empty()) return true;
        error = "--on-alarm: '" + v + "' is no command (empty, or a quote left open)";
        return false;
    default: return false;
    }
}

bool TpressureOptions::finish(std::string& error) {
    if (stormHysteresis < stormDrop) return true;
    error = "--storm-hysteresis: must be less than the storm drop";
    return false;
}

bool TpressureOptions::splitWords(const std::string& line, std::vector<std::string>& words) {
    words.clear();
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (char c : line) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                word += c;
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return quote == 0;
}
