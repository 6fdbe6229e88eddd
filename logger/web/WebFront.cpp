#include "logger/web/WebFront.h"

#include <unistd.h>

TwebFront::TwebFront(const std::string& station, std::function<std::int64_t()> clock,
                     ThistoryFactory history)
    : state(clock), api(state, station, clock, std::move(history)), server(api, state) {}

bool TwebFront::start(const ThttpEndpoint& endpoint, std::string& error) {
    return server.start(endpoint, error);
}

std::string hostStationName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == 0) return "station";
    return name;
}
