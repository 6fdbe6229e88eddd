#include "logger/web/WebApi.h"

#include "logger/web/Assets.h"
#include "logger/web/Documents.h"
#include "logger/web/Metrics.h"
#include "logger/web/Query.h"

#include <fstream>
#include <sstream>

namespace {

// With a charset the HTTP library sends these as they are: it would otherwise compress them at
// the highest level for every request, which costs more than the loopback or the house network
// saves (half a second for the charting library).
constexpr const char* JsonType = "application/json; charset=utf-8";
constexpr const char* ScriptType = "application/javascript; charset=utf-8";

TwebResponse error(int status, const std::string& message) {
    return {status, JsonType, errorDocument(status, message)};
}

// The query of an endpoint that takes no parameters: empty.
bool noQuery(std::string_view query, TwebResponse& refusal) {
    if (query.empty()) return true;
    TqueryParams params;
    std::string reason;
    refusal =
        error(400, parseQuery(query, params, reason) ? "unknown parameter: " + params.begin()->first
                                                     : reason);
    return false;
}

} // namespace

TwebApi::TwebApi(const TwebState& state, std::string station, std::function<std::int64_t()> clock,
                 ThistoryFactory history, std::string chartScript)
    : state(state), station(std::move(station)), clock(std::move(clock)),
      makeHistory(std::move(history)), chartPath(std::move(chartScript)) {}

TwebResponse TwebApi::respond(const std::string& method, const std::string& path,
                              std::string_view query) const {
    if (method != "GET" && method != "HEAD") return error(405, "read-only: GET or HEAD only");
    if (path.size() > PathMaxLength) return error(414, "path too long");
    if (path.starts_with("/api/")) return api(path, query);
    TwebResponse refusal;
    if (!noQuery(query, refusal)) return refusal;
    if (path == "/metrics")
        return {200, "text/plain; version=0.0.4; charset=utf-8",
                metricsText(state.snapshot(), station, clock())};
    if (path == "/chart.js") return chart();
    return file(path == "/" ? "/index.html" : path);
}

TwebResponse TwebApi::api(const std::string& path, std::string_view query) const {
    if (path == "/api/v1/history") return history(query);
    if (path == "/api/v1/records") return records(query);
    TwebResponse refusal;
    if (path == "/api/v1/current" || path == "/api/v1/state" || path == "/api/v1/events")
        if (!noQuery(query, refusal)) return refusal;
    if (path == "/api/v1/current")
        return {200, JsonType, currentDocument(state.snapshot(), station, clock())};
    if (path == "/api/v1/state")
        return {200, JsonType, stateDocument(state.snapshot(), station, clock())};
    return error(404, "no such resource");
}

TwebResponse TwebApi::checkEvents(std::string_view query) const {
    TwebResponse refusal;
    if (!noQuery(query, refusal)) return refusal;
    return {200, "text/event-stream", {}};
}

std::string TwebApi::event(const TwebSnapshot& snapshot) const {
    return currentDocument(snapshot, station, clock());
}

ThistorySource* TwebApi::source() const {
    if (!pastTried && makeHistory) past = makeHistory();
    pastTried = true;
    return past.get();
}

TwebResponse TwebApi::history(std::string_view query) const {
    TqueryParams params;
    ThistoryQuery range;
    std::string reason;
    if (!parseQuery(query, params, reason) || !parseHistoryQuery(params, clock(), range, reason))
        return error(400, reason);
    std::lock_guard<std::mutex> hold(pastLock);
    const ThistorySource* past = source();
    if (!past) return error(503, "no archive");
    return {200, JsonType,
            historyDocument(range, past->history(range.from, range.to, range.points))};
}

TwebResponse TwebApi::records(std::string_view query) const {
    TwebResponse refusal;
    if (!noQuery(query, refusal)) return refusal;
    std::lock_guard<std::mutex> hold(pastLock);
    const ThistorySource* past = source();
    if (!past) return error(503, "no archive");
    return {200, JsonType, recordsDocument(*past, clock())};
}

TwebResponse TwebApi::file(const std::string& path) const {
    const Tasset* asset = findAsset(path);
    if (!asset) return {404, "text/plain; charset=utf-8", "not found\n"};
    return {200, asset->type, std::string(reinterpret_cast<const char*>(asset->data), asset->size)};
}

// The charting library of the system, read once.
TwebResponse TwebApi::chart() const {
    std::lock_guard<std::mutex> hold(chartLock);
    if (chartText.empty()) {
        std::ifstream in(chartPath, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        chartText = text.str();
    }
    if (chartText.empty()) return {404, "text/plain; charset=utf-8", "no chart library\n"};
    return {200, ScriptType, chartText};
}
