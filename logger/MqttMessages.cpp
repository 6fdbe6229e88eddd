#include "logger/MqttMessages.h"

#include "Version.h"
#include "measurement/Tsensor.h"
#include "station/Fixedtext.h"
#include "station/PressureTendency.h"
#include "station/Tmeteo.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>

namespace {

constexpr double altitudeMarker = 10000; // [m], the altimeter's invalid value
constexpr std::array weatherWords{"none", "sunny",         "variable", "overcast",
                                  "rain", "snow_and_rain", "snow"};
constexpr int weatherSnowAndRain = 5;
constexpr int weatherSnow = 6;
constexpr std::array trendWords{"quick_down", "slow_down", "constant", "quick_up", "slow_up"};
constexpr std::array rateWords{"steady",         "rising_slowly",       "rising",
                               "rising_quickly", "rising_very_rapidly", "falling_slowly",
                               "falling",        "falling_quickly",     "falling_very_rapidly"};

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// Builds one JSON object member by member, in the order of the calls.
class TjsonObject {
public:
    TjsonObject& raw(const std::string& key, const std::string& json) {
        text += text.empty() ? '{' : ',';
        text += jsonString(key);
        text += ':';
        text += json;
        return *this;
    }
    TjsonObject& str(const std::string& key, const std::string& value) {
        return raw(key, jsonString(value));
    }
    TjsonObject& num(const std::string& key, long long value) {
        return raw(key, std::to_string(value));
    }
    TjsonObject& num(const std::string& key, const std::optional<double>& value, int decimals) {
        return value ? raw(key, formatFixed(*value, decimals)) : *this;
    }
    std::string done() const { return text.empty() ? "{}" : text + "}"; }

private:
    std::string text;
};

// Local time with its offset from UTC, "2026-12-08T07:31:05+01:00".
std::string isoLocalTime(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &local);
    int minutes = static_cast<int>(local.tm_gmtoff / 60);
    int magnitude = minutes < 0 ? -minutes : minutes;
    char zone[16];
    std::snprintf(zone, sizeof zone, "%c%02d:%02d", minutes < 0 ? '-' : '+', magnitude / 60 % 100,
                  magnitude % 60);
    return std::string(stamp) + zone;
}

// One value of the station as the home-automation system sees it.
struct Tentity {
    const char* id;
    const char* name;
    const char* key;         // key in the state message
    const char* deviceClass; // "" for none
    const char* unit;        // "" for none
    bool diagnostic = false;
};

constexpr std::array baseEntities{
    Tentity{"pressure", "Pressure", "pressure_mbar", "atmospheric_pressure", "mbar"},
    Tentity{"sea_level_pressure", "Sea-level pressure", "sea_level_pressure_mbar",
            "atmospheric_pressure", "mbar"},
    Tentity{"altitude", "Altitude", "altitude_m", "distance", "m"},
    Tentity{"temperature", "Temperature", "temperature_c", "temperature", "°C"},
    Tentity{"weather", "Weather", "weather", "enum", ""},
    Tentity{"trend", "Pressure trend", "trend", "enum", ""},
    Tentity{"d1", "D1", "d1", "", "", true},
    Tentity{"d2", "D2", "d2", "", "", true},
};

constexpr std::array pressureEntities{
    Tentity{"qfe", "Station pressure (QFE)", "qfe_hpa", "atmospheric_pressure", "hPa"},
    Tentity{"qnh", "Sea-level pressure (QNH)", "qnh_hpa", "atmospheric_pressure", "hPa"},
    Tentity{"qff", "Sea-level pressure (QFF)", "qff_hpa", "atmospheric_pressure", "hPa"},
    Tentity{"tendency", "3-hour pressure tendency", "tendency_hpa", "atmospheric_pressure", "hPa"},
    Tentity{"tendency_characteristic", "Pressure tendency characteristic",
            "tendency_characteristic", "", ""},
    Tentity{"tendency_rate", "Pressure tendency", "tendency_rate", "enum", ""},
    Tentity{"pressure_offset", "Pressure offset", "pressure_offset_hpa", "", "hPa", true},
};

constexpr std::array humidityEntities{
    Tentity{"humidity", "Humidity", "humidity_percent", "humidity", "%"},
    Tentity{"humidity_temperature", "Humidity sensor temperature", "humidity_temperature_c",
            "temperature", "°C"},
};

// The station's name for an entity id: letters and digits kept (lower case), the rest '_'.
std::string entitySlug(const std::string& name) {
    std::string id;
    for (unsigned char c : name) {
        if (c >= 'A' && c <= 'Z')
            id += static_cast<char>(c - 'A' + 'a');
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            id += static_cast<char>(c);
        else
            id += '_';
    }
    return "corvasine_" + id;
}

// Text as an id that keeps every text apart: letters and digits stay, any other byte becomes
// '_' and two hex digits, so "Garden 1", "garden-1" and "garden_1" differ and no '-' remains.
std::string distinctId(const std::string& text) {
    std::string id;
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            id += static_cast<char>(c);
        } else {
            char escape[4];
            std::snprintf(escape, sizeof escape, "_%02x", c);
            id += escape;
        }
    }
    return id;
}

// The station on the broker, one id per topic prefix and name: "corvasine-garden".
std::string nodeId(const TmqttStation& station) {
    std::string id = distinctId(station.prefix);
    id += '-';
    return id + distinctId(station.name);
}

// GCC 12 at -O3 takes `"[" + std::string(...)` for an overlapping copy (a false -Wrestrict), so
// lists are built by appending.
std::string jsonList(const std::string& items) {
    std::string list = "[";
    list += items;
    return list + "]";
}

template <std::size_t N> std::string jsonWords(const std::array<const char*, N>& words) {
    std::string items;
    for (const char* w : words) {
        if (!items.empty()) items += ',';
        items += jsonString(w);
    }
    return jsonList(items);
}

std::string devicePayload(const TmqttStation& station) {
    return TjsonObject()
        .raw("identifiers", jsonList(jsonString(nodeId(station))))
        .str("name", "Corvasine " + station.name)
        .str("manufacturer", "Corvasine")
        .str("model", "Pressure-sensor module")
        .str("sw_version", CorvVersion)
        .done();
}

std::string originPayload() {
    return TjsonObject().str("name", "corvasine-logger").str("sw_version", CorvVersion).done();
}

// A key the state lacks gives None, which the home-automation system shows as unknown; an
// empty text would leave the old value standing.
std::string valueTemplate(const std::string& key) {
    std::string value = "value_json." + key;
    return "{{ " + value + " if " + value + " is defined else None }}";
}

TmqttMessage config(const TmqttStation& station, const Tentity& e) {
    std::string node = nodeId(station);
    TjsonObject json;
    json.str("name", e.name)
        .str("unique_id", node + "-" + e.id)
        .str("default_entity_id", "sensor." + entitySlug(station.name) + "_" + e.id)
        .str("state_topic", mqttStateTopic(station))
        .str("value_template", valueTemplate(e.key))
        .str("availability_topic", mqttStatusTopic(station))
        .str("payload_available", "online")
        .str("payload_not_available", "offline");
    if (*e.deviceClass) json.str("device_class", e.deviceClass);
    if (*e.unit) json.str("unit_of_measurement", e.unit);
    const std::string id = e.id;
    if (std::string(e.deviceClass) == "enum")
        json.raw("options", id == "weather"         ? jsonWords(weatherWords)
                            : id == "tendency_rate" ? jsonWords(rateWords)
                                                    : jsonWords(trendWords));
    else
        json.str("state_class", "measurement");
    if (e.diagnostic) json.str("entity_category", "diagnostic");
    json.raw("device", devicePayload(station)).raw("origin", originPayload());
    return {"homeassistant/sensor/" + node + "/" + e.id + "/config", json.done()};
}

// The storm alarm as a binary sensor: "ON" while raised.
TmqttMessage stormAlarmConfig(const TmqttStation& station) {
    const std::string node = nodeId(station);
    const std::string json =
        TjsonObject()
            .str("name", "Storm alarm")
            .str("unique_id", node + "-storm_alarm")
            .str("default_entity_id", "binary_sensor." + entitySlug(station.name) + "_storm_alarm")
            .str("state_topic", mqttStateTopic(station))
            .str("value_template", valueTemplate("storm_alarm"))
            .str("payload_on", "ON")
            .str("payload_off", "OFF")
            .str("device_class", "safety")
            .str("availability_topic", mqttStatusTopic(station))
            .str("payload_available", "online")
            .str("payload_not_available", "offline")
            .raw("device", devicePayload(station))
            .raw("origin", originPayload())
            .done();
    return {"homeassistant/binary_sensor/" + node + "/storm_alarm/config", json};
}

template <std::size_t N>
std::vector<TmqttMessage> configs(const TmqttStation& station, const std::array<Tentity, N>& set) {
    std::vector<TmqttMessage> out;
    for (const Tentity& e : set)
        out.push_back(config(station, e));
    return out;
}

} // namespace

std::string mqttStateTopic(const TmqttStation& station) {
    return station.prefix + "/" + station.name + "/state";
}

std::string mqttStatusTopic(const TmqttStation& station) {
    return station.prefix + "/" + station.name + "/status";
}

bool mqttTopicLevelValid(const std::string& name) {
    return !name.empty() && name.find_first_of(std::string("/+#\0", 4)) == std::string::npos;
}

const char* mqttWeatherWord(int weatherClass) {
    return weatherClass >= 0 && weatherClass < int(weatherWords.size()) ? weatherWords[weatherClass]
                                                                        : "";
}

int mqttWeatherCode(int weatherClass, double temperature) {
    if (weatherClass != WEATHER_RAIN) return weatherClass;
    std::string shown = weatherText(weatherClass, temperature);
    if (shown == "Snow & Rain") return weatherSnowAndRain;
    return shown == "Snow" ? weatherSnow : weatherClass;
}

const char* mqttTrendWord(int trend) {
    return trend >= 0 && trend < int(trendWords.size()) ? trendWords[trend] : "";
}

std::string mqttTendencyRate(double amount) {
    std::string words = TpressureTendency::words(amount);
    std::replace(words.begin(), words.end(), ' ', '_');
    return words;
}

// The pressure products of a station with a history, in hPa: present with the QFF.
void addPressureProducts(TjsonObject& json, const Treading& r) {
    if (!r.qff) return;
    json.num("qfe_hpa", r.pressure, 2)
        .num("qnh_hpa", r.seaLevelPressure, 2)
        .num("qff_hpa", r.qff, 2)
        .num("pressure_offset_hpa", r.pressureOffset, 2);
    if (r.tendencyAmount && r.tendencyCharacteristic)
        json.num("tendency_hpa", r.tendencyAmount, 1)
            .num("tendency_characteristic", *r.tendencyCharacteristic)
            .str("tendency_rate", mqttTendencyRate(*r.tendencyAmount));
    json.str("storm_alarm", r.stormAlarm ? "ON" : "OFF");
}

std::string mqttStatePayload(const Treading& r) {
    const bool humidity = r.hasHumidity();
    const bool altitude = r.altitude && *r.altitude < altitudeMarker;
    const int weather =
        mqttWeatherCode(r.weatherClass, r.temperature.value_or(Tsensor::InvalidTemperature));
    TjsonObject json;
    json.str("time", isoLocalTime(static_cast<std::time_t>(r.time)))
        .num("timestamp", static_cast<long long>(r.time))
        .num("pressure_mbar", r.pressure, 2)
        .num("sea_level_pressure_mbar", r.seaLevelPressure, 2)
        .num("altitude_m", altitude ? r.altitude : std::nullopt, 2)
        .num("temperature_c", r.temperature, 2)
        .num("humidity_percent", humidity ? r.humidity : std::nullopt, 2)
        .num("humidity_temperature_c", humidity ? r.humidityTemperature : std::nullopt, 2)
        .str("weather", mqttWeatherWord(weather))
        .num("weather_code", weather)
        .str("trend", mqttTrendWord(r.trend))
        .num("trend_code", r.trend)
        .num("d1", r.D1)
        .num("d2", r.D2);
    addPressureProducts(json, r);
    return json.done();
}

std::vector<TmqttMessage> mqttBaseConfigs(const TmqttStation& station) {
    return configs(station, baseEntities);
}

std::vector<TmqttMessage> mqttHumidityConfigs(const TmqttStation& station) {
    return configs(station, humidityEntities);
}

std::vector<TmqttMessage> mqttPressureConfigs(const TmqttStation& station) {
    std::vector<TmqttMessage> out = configs(station, pressureEntities);
    out.push_back(stormAlarmConfig(station));
    return out;
}
