#pragma once

#include "logger/OptionGroup.h"
#include "station/PressureUnits.h"

#include <optional>
#include <string>
#include <vector>

// The logger's pressure options: --pressure-offset HPA, --calibrate QNH_HPA, --units LIST,
// --storm-drop HPA, --storm-hysteresis HPA, --on-alarm COMMAND.
class TpressureOptions : public TloggerOptionGroup {
public:
    enum : int {
        optPressureOffset = 0x3000,
        optCalibrate,
        optUnits,
        optStormDrop,
        optStormHysteresis,
        optOnAlarm,
    };

    const std::vector<option>& longOptions() const override;
    const char* help() const override;
    bool owns(int id) const override { return id >= optPressureOffset && id <= optOnAlarm; }
    bool take(int id, const char* value, std::string& error) override;
    bool finish(std::string& error) override;

    // The words of a command line: split at blanks, '...' and "..." keep blanks in a word (the
    // quotes go); nothing else is special. False for an unclosed quote.
    static bool splitWords(const std::string& line, std::vector<std::string>& words);

    double offset = 0;                  // [hPa]
    std::optional<double> calibrateQnh; // [hPa], the reference to calibrate against
    TunitChoice units;
    double stormDrop = 4.0;                // [hPa] in 3 hours
    double stormHysteresis = 1.0;          // [hPa]
    std::vector<std::string> alarmCommand; // the program and its arguments; empty: none
};
