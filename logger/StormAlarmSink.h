#pragma once

#include "station/PressureUnits.h"
#include "station/Reading.h"

#include <functional>
#include <string>
#include <vector>

class TalarmCommand;

// Watches the storm alarm of the readings: each change gives one line (in the chosen units) and
// runs the alarm command, when there is one, with the alarm in its environment:
// CORVASINE_ALARM (raised or cleared), CORVASINE_ALARM_TEXT (the line), CORVASINE_FALL_HPA (the
// 3-hour fall), CORVASINE_QFE_HPA, CORVASINE_QNH_HPA, CORVASINE_QFF_HPA, CORVASINE_TIME (calendar
// seconds). The state the station recalled at its start is no change: it is said once, and the
// command is not run for it.
class TstormAlarmSink : public TreadingSink {
public:
    TstormAlarmSink(TunitChoice units, std::function<void(const std::string&)> say,
                    TalarmCommand* command);

    // The alarm state recalled from the history, before the first reading.
    void recalled(bool raised);
    void reading(const Treading& reading) override;

    // The line for a change of the alarm to the reading's state.
    std::string line(const Treading& reading) const;
    // The command's environment entries for that change.
    std::vector<std::string> environment(const Treading& reading) const;

private:
    TunitChoice units;
    std::function<void(const std::string&)> say;
    TalarmCommand* command;
    bool raised = false;
};
