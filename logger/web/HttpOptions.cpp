#include "logger/web/HttpOptions.h"

#include <arpa/inet.h>

namespace {

bool readPort(const std::string& text, int& port) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    port = std::stoi(text);
    return port >= 1 && port <= 65535;
}

// A numeric address: the server binds to an interface, never to a name looked up.
bool addressValid(const std::string& address, bool v6) {
    unsigned char buffer[16];
    return inet_pton(v6 ? AF_INET6 : AF_INET, address.c_str(), buffer) == 1;
}

} // namespace

bool parseHttpEndpoint(const std::string& text, ThttpEndpoint& endpoint) {
    ThttpEndpoint result;
    std::string portText = text;
    bool v6 = false;
    if (text.starts_with('[')) {
        const auto close = text.find(']');
        if (close == std::string::npos || close + 1 >= text.size() || text[close + 1] != ':')
            return false;
        result.address = text.substr(1, close - 1);
        portText = text.substr(close + 2);
        v6 = true;
    } else if (const auto colon = text.rfind(':'); colon != std::string::npos) {
        if (text.find(':') != colon) return false; // IPv6 without brackets: the port is unclear
        result.address = text.substr(0, colon);
        portText = text.substr(colon + 1);
    }
    if (!readPort(portText, result.port) || !addressValid(result.address, v6)) return false;
    endpoint = result;
    return true;
}

const std::vector<option>& ThttpOptions::longOptions() const {
    static const std::vector<option> table{
        {"http", required_argument, nullptr, optHttp},
        {"no-http", no_argument, nullptr, optNoHttp},
    };
    return table;
}

const char* ThttpOptions::help() const {
    return "      --http [ADDR:]PORT         serve the page, the API and the metrics here\n"
           "                                 (default 127.0.0.1:8741; [::]:PORT for IPv6)\n"
           "      --no-http                  no web server\n";
}

bool ThttpOptions::take(int id, const char* value, std::string& error) {
    if (id == optNoHttp) {
        on = false;
        return true;
    }
    const std::string text = value ? value : "";
    if (!parseHttpEndpoint(text, where)) {
        error = "--http: '" + text + "' is not [ADDR:]PORT with a numeric address and a port " +
                "from 1 to 65535";
        return false;
    }
    httpGiven = true;
    return true;
}

bool ThttpOptions::finish(std::string& error) {
    if (httpGiven && !on) {
        error = "--no-http: cannot go with --http";
        return false;
    }
    return true;
}
