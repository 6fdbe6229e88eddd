#include "logger/MqttOptions.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <unistd.h>

namespace {

constexpr int plainPort = 1883;
constexpr int tlsPort = 8883;

bool readPort(const std::string& text, int& port) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    port = std::stoi(text);
    return port >= 1 && port <= 65535;
}

// A prefix may have several levels ("home/weather") but no wildcard and no empty level.
bool prefixValid(const std::string& prefix) {
    if (prefix.empty() || prefix.front() == '/' || prefix.back() == '/' ||
        prefix.find("//") != std::string::npos)
        return false;
    return prefix.find_first_of(std::string("+#\0", 3)) == std::string::npos;
}

std::string hostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || !mqttTopicLevelValid(name)) return "station";
    return name;
}

} // namespace

const std::vector<option>& TmqttOptions::longOptions() const {
    static const std::vector<option> table{
        {"mqtt", required_argument, nullptr, optMqtt},
        {"mqtt-topic", required_argument, nullptr, optMqttTopic},
        {"station", required_argument, nullptr, optStation},
        {"mqtt-user", required_argument, nullptr, optMqttUser},
        {"mqtt-password-file", required_argument, nullptr, optMqttPasswordFile},
        {"mqtt-tls", required_argument, nullptr, optMqttTls},
    };
    return table;
}

const char* TmqttOptions::help() const {
    return "      --mqtt HOST[:PORT]         publish every sample to this MQTT broker\n"
           "                                 (port 1883, 8883 with --mqtt-tls)\n"
           "      --mqtt-topic PREFIX        topic prefix (default corvasine)\n"
           "      --station NAME             station name in the topics (default: host name)\n"
           "      --mqtt-user USER           user name for the broker\n"
           "      --mqtt-password-file FILE  file whose first line is the password\n"
           "      --mqtt-tls CAFILE          connect with TLS, trusting this CA certificate\n";
}

// HOST, HOST:PORT, or an IPv6 address in brackets with or without ":PORT".
bool TmqttOptions::takeBroker(const std::string& value, std::string& error) {
    std::string name = value;
    std::string portText;
    bool hasPort = false;
    bool wellFormed = true;
    if (value.starts_with('[')) {
        auto close = value.find(']');
        wellFormed = close != std::string::npos;
        name = wellFormed ? value.substr(1, close - 1) : "";
        std::string rest = wellFormed ? value.substr(close + 1) : "";
        hasPort = !rest.empty();
        wellFormed = wellFormed && (!hasPort || rest.front() == ':');
        portText = hasPort ? rest.substr(1) : "";
    } else if (auto colon = value.find(':');
               colon != std::string::npos && value.find(':', colon + 1) == std::string::npos) {
        name = value.substr(0, colon);
        portText = value.substr(colon + 1);
        hasPort = true;
    }
    port = 0;
    if (!wellFormed || name.empty() || (hasPort && !readPort(portText, port))) {
        error = "--mqtt: '" + value + "' is not HOST or HOST:PORT with a port from 1 to 65535";
        return false;
    }
    host = name;
    return true;
}

bool TmqttOptions::take(int id, const char* value, std::string& error) {
    std::string v = value ? value : "";
    for (const option& o : longOptions())
        if (o.val == id && id != optMqtt) given.push_back(o.name);
    switch (id) {
    case optMqtt: return takeBroker(v, error);
    case optMqttTopic:
        if (!prefixValid(v)) {
            error = "--mqtt-topic: '" + v + "' is not a topic prefix (no '+', '#' or empty level)";
            return false;
        }
        result.station.prefix = v;
        return true;
    case optStation:
        if (!mqttTopicLevelValid(v)) {
            error = "--station: '" + v + "' cannot stand in a topic (empty, '/', '+' or '#')";
            return false;
        }
        result.station.name = v;
        return true;
    case optMqttUser: result.user = v; return true;
    case optMqttPasswordFile: passwordFile = v; return true;
    case optMqttTls: result.caFile = v; return true;
    default: return false;
    }
}

bool TmqttOptions::readPassword(std::string& error) {
    std::ifstream in(passwordFile);
    if (!in) {
        error = "--mqtt-password-file: " + passwordFile + ": " + std::strerror(errno);
        return false;
    }
    std::getline(in, result.password);
    if (!result.password.empty() && result.password.back() == '\r') result.password.pop_back();
    if (result.password.empty()) {
        error = "--mqtt-password-file: " + passwordFile + ": the first line is empty";
        return false;
    }
    return true;
}

// The CA file must hold a certificate in PEM form: the client library would only find out at
// the first connection, and then say no more than that the connection failed.
bool TmqttOptions::checkCaFile(std::string& error) const {
    std::ifstream in(result.caFile);
    if (!in || access(result.caFile.c_str(), R_OK) != 0) {
        error = "--mqtt-tls: " + result.caFile + ": " + std::strerror(errno);
        return false;
    }
    std::string line;
    while (std::getline(in, line))
        if (line.starts_with("-----BEGIN CERTIFICATE-----")) return true;
    error = "--mqtt-tls: " + result.caFile + ": not a certificate (PEM) file";
    return false;
}

bool TmqttOptions::finish(std::string& error) {
    if (!enabled()) {
        if (!given.empty()) error = "--" + given.front() + " needs --mqtt HOST[:PORT]";
        return given.empty();
    }
    if (!passwordFile.empty() && result.user.empty()) {
        error = "--mqtt-password-file needs --mqtt-user";
        return false;
    }
    if (!passwordFile.empty() && !readPassword(error)) return false;
    if (!result.caFile.empty() && !checkCaFile(error)) return false;
    result.host = host;
    result.port = port > 0 ? port : (result.caFile.empty() ? plainPort : tlsPort);
    if (result.station.name.empty()) result.station.name = hostName();
    return true;
}
