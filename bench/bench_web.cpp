// The logger's web answers: a history request of a year at 1000 points and a scrape of the
// metrics, each built by the API object alone and over HTTP on loopback. The archive is a fake
// that hands back 1000 ready buckets with every quantity, so that what is timed is the server's
// own work: the query, the copy and the JSON text.
#include "logger/web/WebApi.h"
#include "logger/web/WebServer.h"
#include "logger/web/WebState.h"
#include "support/FullReading.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <cstdint>
#include <memory>

namespace {

constexpr std::int64_t Now = 1'800'000'000;

class TreadyHistory : public ThistorySource {
public:
    TreadyHistory() {
        const std::int64_t width = 365 * 86'400 / 1000 + 1;
        for (int i = 0; i < 1000; ++i) {
            ThistoryBucket b{Now - 365 * 86'400 + i * width, width, {}};
            for (auto& q : b.quantities)
                q = Tsummary{60, 1013.25 + i * 0.01, 1001.5, 1024.75, b.start, b.start + 60};
            buckets.push_back(b);
        }
    }
    std::vector<ThistoryBucket> history(std::int64_t, std::int64_t, int) const override {
        return buckets;
    }
    Tsummaries summary(std::int64_t, std::int64_t) const override { return buckets[0].quantities; }

private:
    std::vector<ThistoryBucket> buckets;
};

struct Rig {
    TwebState state{[] { return Now; }};
    TwebApi api{state, "bench", [] { return Now; },
                [] { return std::make_unique<TreadyHistory>(); }};
    Rig() { state.reading(fullReading(Now - 1)); }
};

void HistoryYear1000(benchmark::State& s) {
    Rig rig;
    for (auto _ : s)
        benchmark::DoNotOptimize(rig.api.respond("GET", "/api/v1/history", "span=1y&points=1000"));
}
BENCHMARK(HistoryYear1000)->Unit(benchmark::kMillisecond);

void MetricsScrape(benchmark::State& s) {
    Rig rig;
    for (auto _ : s)
        benchmark::DoNotOptimize(rig.api.respond("GET", "/metrics", ""));
}
BENCHMARK(MetricsScrape)->Unit(benchmark::kMicrosecond);

// The same over HTTP on loopback, wall time: the client would keep its connection, but the server
// answers one request a connection, so each request connects anew, as a browser's or a scraper's.
void OverHttp(benchmark::State& s, const char* path) {
    Rig rig;
    TwebServer server(rig.api, rig.state);
    std::string error;
    if (!server.start(ThttpEndpoint{"127.0.0.1", 0}, error)) {
        s.SkipWithError(error.c_str());
        return;
    }
    httplib::Client client("127.0.0.1", server.port());
    client.set_keep_alive(true);
    for (auto _ : s) {
        auto answer = client.Get(path);
        if (!answer || answer->status != 200) s.SkipWithError("no answer");
        benchmark::DoNotOptimize(answer);
    }
}
BENCHMARK_CAPTURE(OverHttp, HistoryYear1000, "/api/v1/history?span=1y&points=1000")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OverHttp, MetricsScrape, "/metrics")->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
