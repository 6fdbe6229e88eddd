#pragma once

#include "logger/OptionGroup.h"

#include <string>
#include <vector>

// Where the logger's web page, API and metrics listen.
struct ThttpEndpoint {
    std::string address = "127.0.0.1";
    int port = 8741;
};

// The logger's HTTP options: --http [ADDR:]PORT (IPv6 addresses in brackets) and --no-http.
// The server is on by default, on the loopback address only.
class ThttpOptions : public TloggerOptionGroup {
public:
    static constexpr int DefaultPort = 8741;
    enum : int { optHttp = 0x4000, optNoHttp };

    const std::vector<option>& longOptions() const override;
    const char* help() const override;
    bool owns(int id) const override { return id >= optHttp && id <= optNoHttp; }
    bool take(int id, const char* value, std::string& error) override;
    bool finish(std::string& error) override;

    bool enabled() const { return on; }
    const ThttpEndpoint& endpoint() const { return where; }

private:
    bool on = true;
    bool httpGiven = false;
    ThttpEndpoint where;
};

// PORT (on the loopback address), ADDR:PORT or [IPV6]:PORT; false for anything else.
bool parseHttpEndpoint(const std::string& text, ThttpEndpoint& endpoint);
