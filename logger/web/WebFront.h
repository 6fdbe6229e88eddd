#pragma once

#include "logger/web/HttpOptions.h"
#include "logger/web/WebApi.h"
#include "logger/web/WebServer.h"
#include "logger/web/WebState.h"

#include <cstdint>
#include <functional>
#include <string>

// The logger's web front: the station's copy (a sink of the station), the answers and the
// server, made together and ended in the right order.
class TwebFront {
public:
    TwebFront(const std::string& station, std::function<std::int64_t()> clock,
              ThistoryFactory history = {});
    // Binds where the options say; false with the line to say when it cannot.
    bool start(const ThttpEndpoint& endpoint, std::string& error);
    TreadingSink* sink() { return &state; }
    int port() const { return server.port(); }

private:
    TwebState state;
    TwebApi api;
    TwebServer server;
};

// The name the page and the metrics give the station when MQTT gives none: the host name.
std::string hostStationName();
