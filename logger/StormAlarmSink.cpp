#include "logger/StormAlarmSink.h"

#include "logger/AlarmCommand.h"
#include "logger/DateTimeText.h"
#include "station/Fixedtext.h"

namespace {

std::string hPaText(const std::optional<double>& value) {
    if (!value) return "";
    return formatFixed(*value, 2);
}

} // namespace

TstormAlarmSink::TstormAlarmSink(TunitChoice unitChoice,
                                 std::function<void(const std::string&)> sayLine,
                                 TalarmCommand* alarmCommand)
    : units(unitChoice), say(std::move(sayLine)), command(alarmCommand) {}

void TstormAlarmSink::recalled(bool on) {
    raised = on;
    if (on) say("storm alarm in force since before the start (no command run for it)");
}

void TstormAlarmSink::reading(const Treading& r) {
    if (r.stormAlarm == raised) return;
    raised = r.stormAlarm;
    say(line(r));
    if (command) command->run(environment(r));
}

std::string TstormAlarmSink::line(const Treading& r) const {
    const double amount = r.tendencyAmount.value_or(0);
    std::string text = localDateTimeText(r.time);
    if (r.stormAlarm)
        text +=
            " storm alarm raised: the pressure fell " + units.pressureText(-amount) + " in 3 hours";
    else
        text += " storm alarm cleared: 3-hour tendency " + units.pressureChangeText(amount);
    if (r.pressure) text += ", QFE " + units.pressureText(*r.pressure);
    return text;
}

std::vector<std::string> TstormAlarmSink::environment(const Treading& r) const {
    return {
        std::string("CORVASINE_ALARM=") + (r.stormAlarm ? "raised" : "cleared"),
        "CORVASINE_ALARM_TEXT=" + line(r),
        "CORVASINE_FALL_HPA=" +
            hPaText(r.tendencyAmount ? std::optional(-*r.tendencyAmount) : std::nullopt),
        "CORVASINE_QFE_HPA=" + hPaText(r.pressure),
        "CORVASINE_QNH_HPA=" + hPaText(r.seaLevelPressure),
        "CORVASINE_QFF_HPA=" + hPaText(r.qff),
        "CORVASINE_TIME=" + std::to_string(r.time),
    };
}
