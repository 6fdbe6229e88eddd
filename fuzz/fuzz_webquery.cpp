// The web server's request handling on arbitrary paths and queries: the first line of the
// input is the path, the rest the raw query.
#include "logger/web/Query.h"
#include "logger/web/WebApi.h"
#include "logger/web/WebState.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// An archive with one reading an hour, made up on the spot.
class Tpast : public ThistorySource {
public:
    std::vector<ThistoryBucket> history(std::int64_t from, std::int64_t to,
                                        int points) const override {
        if (points < 1 || points > HistoryMaxPoints || from >= to) std::abort();
        return {ThistoryBucket{from, (to - from) / points, summary(from, to)}};
    }
    Tsummaries summary(std::int64_t from, std::int64_t) const override {
        Tsummaries all;
        all[0] = Tsummary{1, 1000, 999, 1001, from, from};
        return all;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t line = input.find('\n');
    const std::string path = input.substr(0, line);
    const std::string query = line == std::string::npos ? "" : input.substr(line + 1);

    TqueryParams params;
    std::string error;
    if (parseQuery(query, params, error))
        for (const auto& [name, value] : params)
            if (name.empty() || name.size() > ParamMaxLength || value.size() > ParamMaxLength)
                std::abort();

    static TwebState state([] { return std::int64_t(1'800'000'000); });
    static TwebApi api(
        state, "fuzz", [] { return std::int64_t(1'800'000'000); },
        [] { return std::make_unique<Tpast>(); }, "/nonexistent");
    const TwebResponse r = api.respond("GET", path, query);
    const bool known = r.status == 200 || r.status == 400 || r.status == 404 || r.status == 414;
    if (!known || (path.starts_with("/api/") && r.status != 200 && !r.body.starts_with("{")))
        std::abort();
    return 0;
}
