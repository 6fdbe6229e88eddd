#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// The parameters of a request's query, decoded. Each name at most once.
using TqueryParams = std::map<std::string, std::string>;

// Limits of what a query may be: longer ones are refused before any work is done.
inline constexpr std::size_t QueryMaxLength = 512;
inline constexpr std::size_t QueryMaxParams = 6;
inline constexpr std::size_t ParamMaxLength = 32;

// Splits "a=1&b=2" with %XX and '+' decoded; false with a short reason for a query that is too
// long, has too many or too long parts, a name twice, a bad escape or a control character.
bool parseQuery(std::string_view raw, TqueryParams& params, std::string& error);

// A history request: the span [from, to) in calendar seconds as at most `points` buckets.
struct ThistoryQuery {
    std::int64_t from = 0;
    std::int64_t to = 0;
    int points = 0;
};

inline constexpr int HistoryMaxPoints = 2000;
inline constexpr int HistoryDefaultPoints = 500;

// span=24h|7d|30d|1y ending now, or from=&to= (calendar seconds); points=1..2000. Nothing else.
bool parseHistoryQuery(const TqueryParams& params, std::int64_t now, ThistoryQuery& query,
                       std::string& error);
