#include "logger/web/Metrics.h"

#include <cmath>
#include <cstdio>
#include <optional>

namespace {

struct Tgauge {
    const char* name;
    const char* help;
    std::optional<double> (*value)(const Treading&);
};

const Tgauge Gauges[] = {
    {"corvasine_qfe_hpa", "Station pressure (QFE) in hPa",
     [](const Treading& r) { return r.pressure; }},
    {"corvasine_qnh_hpa", "Pressure reduced to sea level (QNH) in hPa",
     [](const Treading& r) { return r.seaLevelPressure; }},
    {"corvasine_qff_hpa", "Pressure reduced to sea level with the 12-hour temperature (QFF) in hPa",
     [](const Treading& r) { return r.qff; }},
    {"corvasine_altitude_meters", "Altitude above the reference in m",
     [](const Treading& r) { return r.altitude; }},
    {"corvasine_temperature_celsius", "Temperature of the pressure sensor in degrees Celsius",
     [](const Treading& r) { return r.temperature; }},
    {"corvasine_humidity_percent", "Relative humidity in %",
     [](const Treading& r) { return r.hasHumidity() ? r.humidity : std::nullopt; }},
    {"corvasine_humidity_temperature_celsius",
     "Temperature of the humidity sensor in degrees Celsius",
     [](const Treading& r) { return r.hasHumidity() ? r.humidityTemperature : std::nullopt; }},
    {"corvasine_pressure_tendency_hpa", "Pressure now minus 3 hours ago in hPa",
     [](const Treading& r) { return r.tendencyAmount; }},
    {"corvasine_storm_alarm", "1 while the storm alarm is raised",
     [](const Treading& r) { return std::optional<double>(r.stormAlarm ? 1 : 0); }},
    {"corvasine_weather_class", "Weather class: 1 sunny, 2 variable, 3 overcast, 4 rainy",
     [](const Treading& r) {
         return r.weatherClass > 0 ? std::optional<double>(r.weatherClass) : std::nullopt;
     }},
};

std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

std::string gauge(const char* name, const char* help, const std::string& label,
                  std::optional<double> value) {
    if (!value || !std::isfinite(*value)) return {};
    return std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " gauge\n" + name +
           label + " " + numberText(*value) + "\n";
}

} // namespace

std::string metricLabelValue(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string metricsText(const TwebSnapshot& s, const std::string& station, std::int64_t now) {
    const std::string label = "{station=\"" + metricLabelValue(station) + "\"}";
    std::string out = gauge("corvasine_module_present", "1 while the module answers", label,
                            s.state.present ? 1 : 0);
    if (!s.reading) return out;
    const Treading& r = *s.reading;
    out += gauge("corvasine_reading_age_seconds", "Seconds since the last reading with values",
                 label, static_cast<double>(now - r.time));
    out += gauge("corvasine_reading_time_seconds", "Calendar time of the last reading", label,
                 static_cast<double>(r.time));
    for (const Tgauge& g : Gauges)
        out += gauge(g.name, g.help, label, g.value(r));
    return out;
}
