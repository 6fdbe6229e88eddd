#include "logger/archive/Summary.h"

Tvalues valuesOf(const Treading& r) {
    Tvalues v;
    v[int(Tquantity::Qfe)] = r.pressure;
    v[int(Tquantity::Qnh)] = r.seaLevelPressure;
    v[int(Tquantity::Qff)] = r.qff;
    v[int(Tquantity::Altitude)] = r.altitude;
    v[int(Tquantity::Temperature)] = r.temperature;
    if (r.hasHumidity()) {
        v[int(Tquantity::Humidity)] = r.humidity;
        v[int(Tquantity::HumidityTemperature)] = r.humidityTemperature;
    }
    return v;
}

const std::array<const char*, QuantityCount>& quantityNames() {
    static const std::array<const char*, QuantityCount> names{
        "qfe", "qnh", "qff", "altitude", "temperature", "humidity", "humidity_temperature"};
    return names;
}

std::string quantityUnit(int quantity, const TunitChoice& units) {
    const bool fahrenheit = units.temperatureUnitChosen == TunitChoice::Temperature::F;
    switch (Tquantity(quantity)) {
    case Tquantity::Altitude:
        return units.altitudeUnitChosen == TunitChoice::Altitude::ft ? "ft" : "m";
    case Tquantity::Temperature:
    case Tquantity::HumidityTemperature: return fahrenheit ? "degF" : "degC";
    case Tquantity::Humidity: return "%RH";
    default: return units.pressureUnit();
    }
}

double inUnit(int quantity, double value, const TunitChoice& units) {
    switch (Tquantity(quantity)) {
    case Tquantity::Altitude: return units.altitude(value);
    case Tquantity::Temperature:
    case Tquantity::HumidityTemperature: return units.temperature(value);
    case Tquantity::Humidity: return value;
    default: return units.pressure(value);
    }
}

void addValue(std::optional<Tsummary>& summary, double value, std::int64_t time) {
    mergeSummary(summary, Tsummary{1, value, value, value, time, time});
}

void mergeSummary(std::optional<Tsummary>& summary, const Tsummary& part) {
    if (part.count <= 0) return;
    if (!summary) {
        summary = part;
        return;
    }
    Tsummary& s = *summary;
    const std::int64_t count = s.count + part.count;
    s.mean = (s.mean * double(s.count) + part.mean * double(part.count)) / double(count);
    s.count = count;
    if (part.min < s.min || (part.min == s.min && part.minTime < s.minTime)) {
        s.min = part.min;
        s.minTime = part.minTime;
    }
    if (part.max > s.max || (part.max == s.max && part.maxTime < s.maxTime)) {
        s.max = part.max;
        s.maxTime = part.maxTime;
    }
}

void mergeSummaries(Tsummaries& into, const Tsummaries& part) {
    for (std::size_t q = 0; q < into.size(); ++q)
        if (part[q]) mergeSummary(into[q], *part[q]);
}
