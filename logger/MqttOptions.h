#pragma once

#include "logger/MqttPublisher.h"
#include "logger/OptionGroup.h"

#include <string>
#include <vector>

// The logger's MQTT options:
// --mqtt HOST[:PORT], --mqtt-topic PREFIX, --station NAME, --mqtt-user USER,
// --mqtt-password-file FILE, --mqtt-tls CAFILE. A password is only ever read from its file.
class TmqttOptions : public TloggerOptionGroup {
public:
    enum : int {
        optMqtt = 0x1000,
        optMqttTopic,
        optStation,
        optMqttUser,
        optMqttPasswordFile,
        optMqttTls,
    };

    const std::vector<option>& longOptions() const override;
    const char* help() const override;
    bool owns(int id) const override { return id >= optMqtt && id <= optMqttTls; }
    bool take(int id, const char* value, std::string& error) override;
    // Also reads the password file and fills the defaults (the port, the station's host name).
    bool finish(std::string& error) override;

    bool enabled() const { return !host.empty(); }
    const TmqttSettings& settings() const { return result; }

private:
    bool takeBroker(const std::string& value, std::string& error);
    bool readPassword(std::string& error);
    bool checkCaFile(std::string& error) const;

    std::string host;
    int port = 0; // 0: the default for plain or TLS connections
    std::string passwordFile;
    std::vector<std::string> given; // names of the options given, for "needs --mqtt"
    TmqttSettings result;
};
