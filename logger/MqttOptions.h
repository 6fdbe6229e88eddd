#pragma once

#include "logger/MqttPublisher.h"

#include <getopt.h>

#include <string>
#include <vector>

// The logger's MQTT options, taken one by one from its getopt_long loop:
// --mqtt HOST[:PORT], --mqtt-topic PREFIX, --station NAME, --mqtt-user USER,
// --mqtt-password-file FILE, --mqtt-tls CAFILE. A password is only ever read from its file.
class TmqttOptions {
public:
    enum : int {
        optMqtt = 0x1000,
        optMqttTopic,
        optStation,
        optMqttUser,
        optMqttPasswordFile,
        optMqttTls,
    };

    // The entries for getopt_long's table (without its terminating zero entry).
    static const std::vector<option>& longOptions();
    // The lines of --help for these options.
    static const char* help();

    // Takes one option by its id; false for an id that is not one of these options.
    bool owns(int id) const { return id >= optMqtt && id <= optMqttTls; }
    // False, with a one-line error naming the option, for a value it cannot use.
    bool take(int id, const char* value, std::string& error);
    // After the last option: checks that the options fit together, reads the password file and
    // fills the defaults (the port, the station's host name).
    bool finish(std::string& error);

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
