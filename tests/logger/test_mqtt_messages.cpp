// The state message and the discovery configs.
#include "logger/MqttMessages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <set>

namespace {

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Sets the time zone for one test and restores the previous one afterwards.
class TfixedZone {
public:
    explicit TfixedZone(const char* zone) {
        const char* now = std::getenv("TZ");
        if (now) previous = now;
        hadZone = now != nullptr;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TfixedZone() {
        if (hadZone)
            setenv("TZ", previous.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::string previous;
    bool hadZone = false;
};

Treading fullSample() {
    Treading s;
    s.time = 1796711465; // 2026-12-08 06:31:05 UTC
    s.pressure = 963.126;
    s.seaLevelPressure = 1013.2;
    s.altitude = -12.5;
    s.temperature = -3.0;
    s.humidity = 48.25;
    s.humidityTemperature = 20.5;
    s.weatherClass = 3;
    s.trend = 1;
    s.D1 = 41234;
    s.D2 = 30123;
    return s;
}

TEST(MqttMessages, StateHoldsEveryValueWithItsUnitAndTheTimeWithItsOffset) {
    TfixedZone zone("XYZ+02:30");
    std::string p = mqttStatePayload(fullSample());
    EXPECT_EQ(p, "{\"time\":\"2026-12-08T04:01:05-02:30\",\"timestamp\":1796711465,"
                 "\"pressure_mbar\":963.13,\"sea_level_pressure_mbar\":1013.20,"
                 "\"altitude_m\":-12.50,\"temperature_c\":-3.00,\"humidity_percent\":48.25,"
                 "\"humidity_temperature_c\":20.50,\"weather\":\"overcast\",\"weather_code\":3,"
                 "\"trend\":\"slow_down\",\"trend_code\":1,\"d1\":41234,\"d2\":30123}");
}

TEST(MqttMessages, ValuesTheModuleDidNotGiveAreLeftOut) {
    Treading s = fullSample();
    s.humidity.reset();
    s.humidityTemperature.reset();
    s.pressure.reset();
    s.altitude.reset();
    std::string p = mqttStatePayload(s);
    EXPECT_FALSE(has(p, "humidity"));
    EXPECT_FALSE(has(p, "\"pressure_mbar\""));
    EXPECT_FALSE(has(p, "altitude"));
    EXPECT_TRUE(has(p, "\"sea_level_pressure_mbar\":1013.20,"));
    EXPECT_TRUE(has(p, "\"temperature_c\":-3.00,"));
}

// The altitude at the top of its range (not known) and a humidity outside its range (no
// humidity sensor) never reach the message; an altitude below the top does.
TEST(MqttMessages, TheTopAltitudeAndAHumidityOutOfRangeAreLeftOut) {
    Treading r = fullSample();
    r.altitude = 10000;
    r.humidity = 0;
    std::string p = mqttStatePayload(r);
    EXPECT_FALSE(has(p, "altitude"));
    EXPECT_FALSE(has(p, "humidity"));
    EXPECT_TRUE(has(p, "\"pressure_mbar\":963.13,"));
    r.altitude = 9999.99;
    r.humidity = 39.57;
    r.temperature.reset();
    p = mqttStatePayload(r);
    EXPECT_TRUE(has(p, "\"altitude_m\":9999.99,"));
    EXPECT_TRUE(has(p, "\"humidity_percent\":39.57,"));
    EXPECT_FALSE(has(p, "temperature_c\":-3"));
}

TEST(MqttMessages, WordsForEveryCodeAndNoneForUnknownOnes) {
    EXPECT_STREQ(mqttWeatherWord(0), "none");
    EXPECT_STREQ(mqttWeatherWord(4), "rain");
    EXPECT_STREQ(mqttWeatherWord(5), "snow_and_rain");
    EXPECT_STREQ(mqttWeatherWord(6), "snow");
    EXPECT_STREQ(mqttWeatherWord(7), "");
    EXPECT_STREQ(mqttTrendWord(0), "quick_down");
    EXPECT_STREQ(mqttTrendWord(4), "slow_up");
    EXPECT_STREQ(mqttTrendWord(-1), "");
}

// Rain is told apart by the temperature as the program shows it; other classes stay.
TEST(MqttMessages, RainBecomesSnowAndRainOrSnowWhenItIsCold) {
    const struct {
        int weatherClass;
        double temperature;
        int code;
    } cases[] = {{4, 3.0, 4}, {4, 2.99, 5}, {4, -1.0, 5}, {4, -1.01, 6}, {3, -20, 3}, {0, -20, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(mqttWeatherCode(c.weatherClass, c.temperature), c.code) << c.temperature;
    Treading r;
    r.weatherClass = 4;
    r.temperature = -5;
    EXPECT_TRUE(has(mqttStatePayload(r), "\"weather_code\":6,"));
}

// Names that fold together as identifiers, under two prefixes: every station its own device,
// topics and unique ids.
TEST(MqttMessages, DiscoveryIdsDifferForEveryPrefixAndStation) {
    std::set<std::string> topics, uniqueIds, devices;
    std::size_t count = 0;
    for (const char* prefix : {"corvasine", "home", "home/garden"})
        for (const char* name : {"Garden 1", "garden-1", "garden_1", "garden 1", "Garden_1"})
            for (const TmqttMessage& m : mqttBaseConfigs({prefix, name})) {
                ++count;
                topics.insert(m.topic);
                auto id = m.payload.find("\"unique_id\":");
                uniqueIds.insert(m.payload.substr(id, m.payload.find(',', id) - id));
                devices.insert(m.payload.substr(m.payload.find("\"identifiers\"")));
            }
    EXPECT_EQ(topics.size(), count);
    EXPECT_EQ(uniqueIds.size(), count);
    EXPECT_EQ(devices.size(), 15u);
    EXPECT_EQ(mqttBaseConfigs({"corvasine", "garden"})[0].topic,
              "homeassistant/sensor/corvasine-garden/pressure/config");
}

TEST(MqttMessages, DiscoveryConfigsNameOneDeviceAndDescribeEachValue) {
    TmqttStation station{"home/weather", "Roof \"North\""};
    auto base = mqttBaseConfigs(station);
    auto humidity = mqttHumidityConfigs(station);
    ASSERT_EQ(base.size(), 8u);
    ASSERT_EQ(humidity.size(), 2u);
    std::set<std::string> topics;
    for (const auto& set : {base, humidity})
        for (const TmqttMessage& m : set) {
            topics.insert(m.topic);
            EXPECT_TRUE(
                m.topic.starts_with("homeassistant/sensor/home_2fweather-Roof_20_22North_22/"))
                << m.topic;
            EXPECT_TRUE(m.topic.ends_with("/config"));
            EXPECT_TRUE(has(m.payload, "\"state_topic\":\"home/weather/Roof \\\"North\\\"/state\""))
                << m.payload;
            EXPECT_TRUE(has(m.payload, "\"availability_topic\":\"home/weather/Roof "
                                       "\\\"North\\\"/status\""));
            EXPECT_TRUE(has(m.payload,
                            "\"device\":{\"identifiers\":[\"home_2fweather-Roof_20_22North_22\"]"));
            EXPECT_TRUE(
                has(m.payload, "\"origin\":{\"name\":\"corvasine-logger\",\"sw_version\":"));
            EXPECT_FALSE(has(m.payload, "object_id"));
        }
    EXPECT_EQ(topics.size(), 10u);

    const std::string& pressure = base[0].payload;
    EXPECT_TRUE(has(pressure, "\"device_class\":\"atmospheric_pressure\""));
    EXPECT_TRUE(has(pressure, "\"unit_of_measurement\":\"mbar\""));
    EXPECT_TRUE(has(pressure, "\"state_class\":\"measurement\""));
    EXPECT_TRUE(has(pressure, "\"value_template\":\"{{ value_json.pressure_mbar if "
                              "value_json.pressure_mbar is defined else None }}\""));
    EXPECT_TRUE(has(pressure, "\"unique_id\":\"home_2fweather-Roof_20_22North_22-pressure\","
                              "\"default_entity_id\":\"sensor.corvasine_roof__north__pressure\""));
    EXPECT_TRUE(
        has(base[2].payload, "\"device_class\":\"distance\",\"unit_of_measurement\":\"m\""));
    EXPECT_TRUE(has(base[3].payload, "\"unit_of_measurement\":\"°C\""));
    EXPECT_TRUE(has(humidity[0].payload, "\"device_class\":\"humidity\""));
    EXPECT_TRUE(has(humidity[0].payload, "\"unit_of_measurement\":\"%\""));
    EXPECT_TRUE(has(humidity[1].payload, "{{ value_json.humidity_temperature_c if"));

    // The words are enumerations without a unit or a state class.
    const std::string& weather = base[4].payload;
    EXPECT_TRUE(has(weather, "\"options\":[\"none\",\"sunny\",\"variable\",\"overcast\",\"rain\","
                             "\"snow_and_rain\",\"snow\"]"));
    EXPECT_FALSE(has(weather, "state_class"));
    EXPECT_TRUE(has(base[5].payload, "\"options\":[\"quick_down\",\"slow_down\",\"constant\","
                                     "\"quick_up\",\"slow_up\"]"));
    EXPECT_TRUE(has(base[6].payload, "\"entity_category\":\"diagnostic\""));
}

TEST(MqttMessages, TopicsAndTheLevelsTheyAccept) {
    TmqttStation station{"corvasine", "attic"};
    EXPECT_EQ(mqttStateTopic(station), "corvasine/attic/state");
    EXPECT_EQ(mqttStatusTopic(station), "corvasine/attic/status");
    EXPECT_TRUE(mqttTopicLevelValid("attic-2.local"));
    EXPECT_FALSE(mqttTopicLevelValid(""));
    EXPECT_FALSE(mqttTopicLevelValid("a/b"));
    EXPECT_FALSE(mqttTopicLevelValid("a+"));
    EXPECT_FALSE(mqttTopicLevelValid("#"));
}

} // namespace

// A station with a history adds the three pressures, the tendency and the alarm in hPa, and their
// configs: the alarm as a binary sensor of device class safety.
TEST(MqttMessages, PressureProductsUnderTheirOwnNamesWithTheirConfigs) {
    Treading s = fullSample();
    EXPECT_FALSE(has(mqttStatePayload(s), "qff")); // a station without a history
    s.qff = 1016.646;
    s.pressureOffset = -0.8;
    s.stormAlarm = true;
    EXPECT_TRUE(has(mqttStatePayload(s), "\"d2\":30123,\"qfe_hpa\":963.13,\"qnh_hpa\":1013.20,"
                                         "\"qff_hpa\":1016.65,\"pressure_offset_hpa\":-0.80,"
                                         "\"storm_alarm\":\"ON\"}"));
    s.tendencyAmount = -3.64;
    s.tendencyCharacteristic = 8;
    s.stormAlarm = false;
    EXPECT_TRUE(has(mqttStatePayload(s), "\"tendency_hpa\":-3.6,\"tendency_characteristic\":8,"
                                         "\"tendency_rate\":\"falling_quickly\","
                                         "\"storm_alarm\":\"OFF\"}"));
    const auto configs = mqttPressureConfigs({"corvasine", "garden"});
    ASSERT_EQ(configs.size(), 8u);
    EXPECT_EQ(configs[2].topic, "homeassistant/sensor/corvasine-garden/qff/config");
    EXPECT_TRUE(has(configs[2].payload, "\"unit_of_measurement\":\"hPa\""));
    EXPECT_TRUE(has(configs[5].payload, "\"falling_very_rapidly\"]"));
    const TmqttMessage& alarm = configs.back();
    EXPECT_EQ(alarm.topic, "homeassistant/binary_sensor/corvasine-garden/storm_alarm/config");
    EXPECT_TRUE(has(alarm.payload, "\"payload_on\":\"ON\",\"payload_off\":\"OFF\","
                                   "\"device_class\":\"safety\""));
    EXPECT_TRUE(has(alarm.payload, "{{ value_json.storm_alarm if value_json.storm_alarm is"));
}
