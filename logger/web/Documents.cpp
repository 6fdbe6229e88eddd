#include "logger/web/Documents.h"

#include "logger/web/Json.h"

#include <ctime>

namespace {

std::string optionalTime(std::int64_t time) {
    return time > 0 ? std::to_string(time) : std::string("null");
}

std::string stateObject(const TwebSnapshot& s) {
    return TjsonObject()
        .raw("port", s.state.port.empty() ? std::string("null") : jsonString(s.state.port))
        .boolean("present", s.state.present)
        .boolean("searching", s.state.searching)
        .raw("foundSince", optionalTime(s.state.foundSince))
        .raw("lostSince", optionalTime(s.state.lostSince))
        .text();
}

std::string tendencyObject(const Treading& r) {
    const auto& code = r.tendencyCharacteristic;
    return TjsonObject()
        .number("amount", r.tendencyAmount)
        .raw("characteristic", code ? std::to_string(*code) : std::string("null"))
        .raw("words", code ? jsonString(tendencyWords(*code)) : std::string("null"))
        .text();
}

void readingFields(TjsonObject& o, const Treading& r) {
    const bool humid = r.hasHumidity();
    o.number("qfe", r.pressure)
        .number("qnh", r.seaLevelPressure)
        .number("qff", r.qff)
        .number("altitude", r.altitude)
        .number("temperature", r.temperature)
        .number("humidity", humid ? r.humidity : std::nullopt)
        .number("humidityTemperature", humid ? r.humidityTemperature : std::nullopt)
        .number("pressureOffset", r.pressureOffset)
        .integer("weatherClass", r.weatherClass)
        .string("weather", weatherClassName(r.weatherClass))
        .integer("trend", r.trend)
        .string("trendName", trendName(r.trend))
        .raw("tendency", tendencyObject(r))
        .boolean("stormAlarm", r.stormAlarm);
}

std::string summaryObject(const Tsummary& s, bool withTimes) {
    TjsonObject o;
    if (withTimes) o.integer("count", s.count);
    o.number("mean", s.mean).number("min", s.min).number("max", s.max);
    if (withTimes) o.integer("minTime", s.minTime).integer("maxTime", s.maxTime);
    return o.text();
}

// The quantities present, each as a field of `o`.
void summaryFields(TjsonObject& o, const Tsummaries& all, bool withTimes) {
    for (int q = 0; q < QuantityCount; ++q)
        if (const auto& s = all[static_cast<std::size_t>(q)])
            o.raw(quantityName(static_cast<Tquantity>(q)), summaryObject(*s, withTimes));
}

} // namespace

const char* quantityName(Tquantity quantity) {
    static const char* const names[] = {
        "qfe", "qnh", "qff", "altitude", "temperature", "humidity", "humidityTemperature"};
    return names[static_cast<int>(quantity)];
}

const char* weatherClassName(int weatherClass) {
    static const char* const names[] = {"none", "sunny", "variable", "overcast", "rainy"};
    return weatherClass >= 1 && weatherClass <= 4 ? names[weatherClass] : names[0];
}

const char* trendName(int trend) {
    static const char* const names[] = {"quick down", "slow down", "constant",
                                        "slow up",    "quick up",  "none yet"};
    return trend >= 0 && trend <= 4 ? names[trend] : names[5];
}

const char* tendencyWords(int characteristic) {
    static const char* const words[] = {"rising, then falling",
                                        "rising, then steady",
                                        "rising",
                                        "falling or steady, then rising",
                                        "steady",
                                        "falling, then rising",
                                        "falling, then steady",
                                        "falling",
                                        "steady or rising, then falling",
                                        "unknown"};
    return characteristic >= 0 && characteristic <= 8 ? words[characteristic] : words[9];
}

std::string currentDocument(const TwebSnapshot& s, const std::string& station, std::int64_t now) {
    TjsonObject o;
    o.string("station", station).integer("now", now).raw("state", stateObject(s));
    if (!s.reading) return o.raw("time", "null").raw("age", "null").text();
    o.integer("time", s.reading->time).integer("age", now - s.reading->time);
    readingFields(o, *s.reading);
    return o.text();
}

std::string stateDocument(const TwebSnapshot& s, const std::string& station, std::int64_t now) {
    return TjsonObject()
        .string("station", station)
        .integer("now", now)
        .raw("age", s.reading ? std::to_string(now - s.reading->time) : std::string("null"))
        .raw("state", stateObject(s))
        .text();
}

std::string historyDocument(const ThistoryQuery& query,
                            const std::vector<ThistoryBucket>& buckets) {
    const std::int64_t step = (query.to - query.from + query.points - 1) / query.points;
    std::string list = "[";
    for (const ThistoryBucket& b : buckets) {
        TjsonObject o;
        o.integer("start", b.start).integer("seconds", b.seconds);
        summaryFields(o, b.quantities, false);
        if (list.size() > 1) list += ',';
        list += o.text();
    }
    list += ']';
    return TjsonObject()
        .integer("from", query.from)
        .integer("to", query.to)
        .integer("points", query.points)
        .integer("step", step)
        .raw("buckets", list)
        .text();
}

TrecordStarts recordStarts(std::int64_t now) {
    const std::time_t t = static_cast<std::time_t>(now);
    std::tm local{};
    localtime_r(&t, &local);
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    local.tm_isdst = -1;
    TrecordStarts starts{};
    std::tm day = local;
    starts.day = std::mktime(&day);
    std::tm month = local;
    month.tm_mday = 1;
    starts.month = std::mktime(&month);
    std::tm year = local;
    year.tm_mday = 1;
    year.tm_mon = 0;
    starts.year = std::mktime(&year);
    return starts;
}

std::string recordsDocument(const ThistorySource& source, std::int64_t now) {
    const TrecordStarts starts = recordStarts(now);
    const std::pair<const char*, std::int64_t> spans[] = {
        {"today", starts.day}, {"month", starts.month}, {"year", starts.year}, {"all", 0}};
    TjsonObject o;
    o.integer("now", now);
    for (const auto& [name, from] : spans) {
        TjsonObject quantities;
        summaryFields(quantities, source.summary(from, now + 1), true);
        o.raw(name,
              TjsonObject().integer("from", from).raw("quantities", quantities.text()).text());
    }
    return o.text();
}

std::string errorDocument(int status, const std::string& message) {
    return TjsonObject().integer("status", status).string("error", message).text();
}
