#pragma once

#include "station/Reading.h"

#include <string>
#include <vector>

// The station as it appears on the broker: the topic prefix and the station's name. Both go into
// topics as they are; the options refuse names that MQTT topics cannot carry.
struct TmqttStation {
    std::string prefix = "corvasine";
    std::string name;
};

struct TmqttMessage {
    std::string topic;
    std::string payload;
};

// PREFIX/NAME/state and PREFIX/NAME/status.
std::string mqttStateTopic(const TmqttStation& station);
std::string mqttStatusTopic(const TmqttStation& station);

// Whether a name can stand as one level of a topic: not empty, no '/', '+', '#' or NUL.
bool mqttTopicLevelValid(const std::string& name);

// The JSON state of one reading. Keys carry their units; values the reading lacks are left out,
// the humidity values without the humidity sensor and the altitude at the top of its range too.
std::string mqttStatePayload(const Treading& reading);

// The retained discovery configs of the home-automation system, one per value, all on one
// device for the station. Their topics, unique ids and device differ for every topic prefix
// and station name. The humidity configs are separate: they are sent only for a module
// with the humidity sensor.
std::vector<TmqttMessage> mqttBaseConfigs(const TmqttStation& station);
std::vector<TmqttMessage> mqttHumidityConfigs(const TmqttStation& station);
// The configs of the pressure products (QFE, QNH, QFF, the offset, the 3-hour tendency and the
// storm alarm as a binary sensor), sent once the readings carry them (a station with a history).
std::vector<TmqttMessage> mqttPressureConfigs(const TmqttStation& station);

// The weather code of the messages: the model's class, with rain told apart as the program
// shows it by the temperature: 4 rain, 5 snow and rain, 6 snow.
int mqttWeatherCode(int weatherClass, double temperature);
// Words for the weather and trend codes ("" for an unknown code).
const char* mqttWeatherWord(int weatherClass);
const char* mqttTrendWord(int trend);
// The rate of a 3-hour tendency amount [hPa] as one word: "falling_quickly" ...
std::string mqttTendencyRate(double amount);
