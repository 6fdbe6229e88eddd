#include "logger/web/Query.h"

#include <charconv>
#include <vector>

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool decode(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+') {
            c = ' ';
        } else if (c == '%') {
            if (i + 2 >= text.size()) return false;
            const int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
            if (high < 0 || low < 0) return false;
            c = static_cast<char>(high * 16 + low);
            i += 2;
        }
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
        out += c;
    }
    return out.size() <= ParamMaxLength;
}

// A whole decimal number in [low, high], nothing around it.
bool readInteger(const std::string& text, std::int64_t low, std::int64_t high,
                 std::int64_t& value) {
    const char* end = text.data() + text.size();
    const auto [stop, fault] = std::from_chars(text.data(), end, value);
    return !text.empty() && fault == std::errc() && stop == end && value >= low && value <= high;
}

struct Tspan {
    const char* name;
    std::int64_t seconds;
};
constexpr Tspan Spans[] = {
    {"24h", 86'400}, {"7d", 7 * 86'400}, {"30d", 30 * 86'400}, {"1y", 365 * 86'400}};

constexpr std::int64_t LatestTime = 4'102'444'800; // 2100-01-01
constexpr std::int64_t LongestSpan = 20LL * 366 * 86'400;

bool takeSpan(const TqueryParams& params, std::int64_t now, ThistoryQuery& query,
              std::string& error) {
    const std::string& name = params.at("span");
    for (const Tspan& span : Spans)
        if (name == span.name) {
            query.from = now - span.seconds;
            query.to = now + 1;
            return true;
        }
    error = "span: one of 24h, 7d, 30d, 1y";
    return false;
}

bool takeRange(const TqueryParams& params, ThistoryQuery& query, std::string& error) {
    if (!params.count("from") || !params.count("to")) {
        error = "from and to go together (or span alone)";
        return false;
    }
    if (!readInteger(params.at("from"), 0, LatestTime, query.from) ||
        !readInteger(params.at("to"), 0, LatestTime, query.to)) {
        error = "from, to: calendar seconds from 0 to 4102444800";
        return false;
    }
    if (query.to <= query.from || query.to - query.from > LongestSpan) {
        error = "from, to: from before to, at most 20 years apart";
        return false;
    }
    return true;
}

} // namespace

bool parseQuery(std::string_view raw, TqueryParams& params, std::string& error) {
    params.clear();
    if (raw.size() > QueryMaxLength) {
        error = "query too long";
        return false;
    }
    while (!raw.empty()) {
        const std::size_t amp = raw.find('&');
        const std::string_view part = raw.substr(0, amp);
        raw = amp == std::string_view::npos ? std::string_view() : raw.substr(amp + 1);
        const std::size_t equals = part.find('=');
        std::string name, value;
        if (equals == std::string_view::npos || !decode(part.substr(0, equals), name) ||
            !decode(part.substr(equals + 1), value) || name.empty()) {
            error = "malformed query";
            return false;
        }
        if (params.size() >= QueryMaxParams || !params.emplace(name, value).second) {
            error = params.size() >= QueryMaxParams ? "too many parameters"
                                                    : "parameter given twice: " + name;
            return false;
        }
    }
    return true;
}

bool parseHistoryQuery(const TqueryParams& params, std::int64_t now, ThistoryQuery& query,
                       std::string& error) {
    for (const auto& [name, value] : params)
        if (name != "span" && name != "from" && name != "to" && name != "points") {
            error = "unknown parameter: " + name;
            return false;
        }
    std::int64_t points = HistoryDefaultPoints;
    if (params.count("points") && !readInteger(params.at("points"), 1, HistoryMaxPoints, points)) {
        error = "points: a whole number from 1 to 2000";
        return false;
    }
    query.points = static_cast<int>(points);
    if (params.count("span")) {
        if (params.count("from") || params.count("to")) {
            error = "span cannot go with from or to";
            return false;
        }
        return takeSpan(params, now, query, error);
    }
    if (params.empty() || (params.size() == 1 && params.count("points"))) {
        error = "span or from and to needed";
        return false;
    }
    return takeRange(params, query, error);
}
