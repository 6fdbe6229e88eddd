#pragma once

#include "logger/archive/HistorySource.h"
#include "logger/web/WebState.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

struct TwebResponse {
    int status = 200;
    std::string type; // the Content-Type
    std::string body;
};

// Makes the archive's read access when the first request for the past comes; null without an
// archive.
using ThistoryFactory = std::function<std::unique_ptr<ThistorySource>()>;

// The answers of the web server, without the sockets: the page and its files, the JSON API
// under /api/v1/ and the metrics. Any thread may ask; the past is read by one at a time.
class TwebApi {
public:
    static constexpr std::size_t PathMaxLength = 256;

    TwebApi(const TwebState& state, std::string station, std::function<std::int64_t()> clock,
            ThistoryFactory history = {},
            std::string chartScript = "/usr/share/javascript/chart.js/chart.min.js");

    // A GET or HEAD of `path` (decoded) with its raw query; 405 for any other method.
    TwebResponse respond(const std::string& method, const std::string& path,
                         std::string_view query) const;
    // The events stream's first answer: 200 with an empty body when its query is right.
    TwebResponse checkEvents(std::string_view query) const;
    // The data of one server-sent event: the current document.
    std::string event(const TwebSnapshot& snapshot) const;
    std::int64_t now() const { return clock(); }

private:
    TwebResponse api(const std::string& path, std::string_view query) const;
    TwebResponse history(std::string_view query) const;
    TwebResponse records(std::string_view query) const;
    TwebResponse file(const std::string& path) const;
    TwebResponse chart() const;
    ThistorySource* source() const; // under pastLock

    const TwebState& state;
    std::string station;
    std::function<std::int64_t()> clock;
    ThistoryFactory makeHistory;
    std::string chartPath;
    mutable std::mutex pastLock;
    mutable std::unique_ptr<ThistorySource> past;
    mutable bool pastTried = false;
    mutable std::mutex chartLock;
    mutable std::string chartText;
};
