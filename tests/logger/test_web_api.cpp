// The web server's answers without sockets: the options, the query parsers, the JSON documents
// from the station's copy and a fake archive, and the metrics.
#include "logger/web/Documents.h"
#include "logger/web/HttpOptions.h"
#include "logger/web/Metrics.h"
#include "logger/web/WebApi.h"
#include "support/FakeArchive.h"
#include "support/FullReading.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

namespace {

constexpr std::int64_t Now = 1'800'000'000;

struct WebApi : ::testing::Test {
    std::int64_t now = Now;
    TwebState state{[this] { return now; }};
    FakeArchive past;
    TwebApi api{state, "roof \"north\"", [this] { return now; },
                [this] { return std::make_unique<Forward>(past); }};

    // The archive's read access as the server owns it: forwards to the test's fake.
    struct Forward : ThistorySource {
        explicit Forward(const FakeArchive& f) : fake(f) {}
        std::vector<ThistoryBucket> history(std::int64_t a, std::int64_t b, int n) const override {
            return fake.history(a, b, n);
        }
        Tsummaries summary(std::int64_t a, std::int64_t b) const override {
            return fake.summary(a, b);
        }
        const FakeArchive& fake;
    };
    TwebResponse get(const std::string& path, const std::string& query = "") {
        return api.respond("GET", path, query);
    }
};

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST(HttpOptions, EndpointsAreNumericAddressesWithAPort) {
    const struct {
        const char* text;
        bool good;
        const char* address;
        int port;
    } cases[] = {{"8800", true, "127.0.0.1", 8800},
                 {"0.0.0.0:80", true, "0.0.0.0", 80},
                 {"[::]:8741", true, "::", 8741},
                 {"[::1]:1", true, "::1", 1},
                 {"0", false, "", 0},
                 {"65536", false, "", 0},
                 {"host.lan:80", false, "", 0},
                 {"::1:80", false, "", 0},
                 {"[::1]", false, "", 0},
                 {"[::1]80", false, "", 0},
                 {"1.2.3.4:", false, "", 0},
                 {"1.2.3.4:+80", false, "", 0}};
    for (const auto& c : cases) {
        ThttpEndpoint e;
        EXPECT_EQ(parseHttpEndpoint(c.text, e), c.good) << c.text;
        if (c.good) {
            EXPECT_EQ(e.address + ":" + std::to_string(e.port),
                      std::string(c.address) + ":" + std::to_string(c.port));
        }
    }
    ThttpOptions both;
    std::string error;
    EXPECT_TRUE(both.enabled());
    EXPECT_EQ(both.endpoint().address + ":" + std::to_string(both.endpoint().port),
              "127.0.0.1:8741");
    ASSERT_TRUE(both.take(ThttpOptions::optHttp, "9000", error));
    ASSERT_TRUE(both.take(ThttpOptions::optNoHttp, nullptr, error));
    EXPECT_FALSE(both.finish(error));
    EXPECT_TRUE(has(error, "--no-http")) << error;
}

TEST(WebQuery, OnlyWellFormedShortQueriesWithKnownParametersInRange) {
    const struct {
        const char* query;
        bool good;
        std::int64_t from, to;
        int points;
    } cases[] = {
        {"span=24h", true, Now - 86'400, Now + 1, 500},
        {"span=1y&points=1000", true, Now - 365 * 86'400, Now + 1, 1000},
        {"from=100&to=200&points=1", true, 100, 200, 1},
        {"from=%31%30%30&to=200", true, 100, 200, 500},
        {"span=2h", false, 0, 0, 0},
        {"span=24h&from=1&to=2", false, 0, 0, 0},
        {"from=100", false, 0, 0, 0},
        {"from=200&to=100", false, 0, 0, 0},
        {"from=-1&to=100", false, 0, 0, 0},
        {"from=0&to=99999999999999999999", false, 0, 0, 0},
        {"from=1e3&to=2000", false, 0, 0, 0},
        {"span=24h&points=0", false, 0, 0, 0},
        {"span=24h&points=2001", false, 0, 0, 0},
        {"span=24h&span=7d", false, 0, 0, 0},
        {"span=24h&color=red", false, 0, 0, 0},
        {"span=24h&points=5%", false, 0, 0, 0},
        {"span=24h&x=%0a", false, 0, 0, 0},
        {"span", false, 0, 0, 0},
        {"", false, 0, 0, 0},
    };
    for (const auto& c : cases) {
        TqueryParams params;
        ThistoryQuery q;
        std::string error;
        const bool good =
            parseQuery(c.query, params, error) && parseHistoryQuery(params, Now, q, error);
        EXPECT_EQ(good, c.good) << c.query << ": " << error;
        if (good) {
            EXPECT_EQ(std::tie(q.from, q.to, q.points), std::tie(c.from, c.to, c.points));
        } else {
            EXPECT_FALSE(error.empty()) << c.query;
        }
    }
    TqueryParams params;
    std::string error;
    EXPECT_FALSE(parseQuery(std::string(QueryMaxLength + 1, 'a'), params, error));
    EXPECT_FALSE(parseQuery("a=" + std::string(ParamMaxLength + 1, 'b'), params, error));
    EXPECT_FALSE(parseQuery("a=1&b=1&c=1&d=1&e=1&f=1&g=1", params, error));
}

TEST_F(WebApi, CurrentCarriesEveryValueAndTheStationsStateOrNullWhenAbsent) {
    EXPECT_TRUE(has(get("/api/v1/current").body, "\"time\":null"));
    state.searchStarted();
    state.portTried("COM1");
    state.portResult(false);
    state.portTried("COM33");
    state.portResult(true);
    now = Now - 100;
    state.searchEnded(true);
    Treading r = fullReading(Now - 4);
    r.humidity = 999.9; // the sensor's marker: no humidity
    state.reading(r);
    const std::string body = get("/api/v1/current").body;
    for (const char* part :
         {"\"qfe\":1001.25", "\"qnh\":1014.5", "\"qff\":1013.75", "\"altitude\":98.5",
          "\"temperature\":20.5", "\"humidity\":null", "\"humidityTemperature\":null",
          "\"weather\":\"sunny\"", "\"trendName\":\"constant\"", "\"characteristic\":7",
          "\"words\":\"falling\"", "\"amount\":-3.5", "\"stormAlarm\":true", "\"port\":\"COM33\"",
          "\"present\":true", "\"foundSince\":1799999900", "\"age\":-96",
          "\"station\":\"roof \\\"north\\\"\""})
        EXPECT_TRUE(has(body, part)) << part << " in " << body;
    now = Now;
    state.moduleLost();
    Treading none;
    none.time = Now;
    state.reading(none);
    const std::string lost = get("/api/v1/state").body;
    EXPECT_TRUE(has(lost, "\"present\":false") && has(lost, "\"lostSince\":1800000000") &&
                has(lost, "\"age\":4"))
        << lost;
}

TEST_F(WebApi, HistoryAsksTheArchiveAndKeepsItsGaps) {
    past.first = Now - 86'400;
    past.last = Now;
    past.gapFrom = Now - 14 * 3600;
    past.gapTo = Now - 12 * 3600;
    const TwebResponse r = get("/api/v1/history", "from=1799913600&to=1800000000&points=24");
    ASSERT_EQ(r.status, 200) << r.body;
    EXPECT_EQ(std::tie(past.askedFrom, past.askedTo, past.askedPoints),
              std::make_tuple(Now - 86'400, Now, std::int64_t(24)));
    const std::regex bucket("\\{\"start\":(\\d+),\"seconds\":3600,\"qfe\":\\{\"mean\":");
    const auto count = std::distance(std::sregex_iterator(r.body.begin(), r.body.end(), bucket),
                                     std::sregex_iterator());
    EXPECT_EQ(count, 22) << r.body; // the hours without readings have no bucket
    EXPECT_TRUE(has(r.body, "\"step\":3600"));
    EXPECT_FALSE(has(r.body, "\"start\":1799953200")) << r.body;

    const TwebResponse records = get("/api/v1/records");
    ASSERT_EQ(records.status, 200);
    EXPECT_TRUE(has(records.body, "\"all\":{\"from\":0,\"quantities\":{\"qfe\":{\"count\":1321"))
        << records.body;
}

TEST_F(WebApi, BadRequestsAreRefusedWithJsonErrors) {
    const struct {
        const char* method;
        std::string path, query;
        int status;
    } cases[] = {{"POST", "/api/v1/current", "", 405},
                 {"DELETE", "/metrics", "", 405},
                 {"GET", "/api/v1/current", "x=1", 400},
                 {"GET", "/api/v1/history", "span=24h&points=99999999999999999999", 400},
                 {"GET", "/api/v1/records", "%zz=1", 400},
                 {"GET", "/metrics", "a=1", 400},
                 {"GET", "/api/v2/current", "", 404},
                 {"GET", "/../../etc/passwd", "", 404},
                 {"GET", "/index.html/../app.js", "", 404},
                 {"GET", "/" + std::string(300, 'a'), "", 414}};
    for (const auto& c : cases) {
        const TwebResponse r = api.respond(c.method, c.path, c.query);
        EXPECT_EQ(r.status, c.status) << c.method << " " << c.path << "?" << c.query;
        if (c.path.starts_with("/api/")) {
            EXPECT_TRUE(has(r.body, "\"error\":")) << r.body;
        }
    }
    TwebState alone{[] { return Now; }};
    TwebApi noArchive{alone, "s", [] { return Now; }};
    EXPECT_EQ(noArchive.respond("GET", "/api/v1/history", "span=7d").status, 503);
    EXPECT_EQ(noArchive.respond("GET", "/api/v1/records", "").status, 503);
    EXPECT_EQ(noArchive.respond("HEAD", "/", "").status, 200);
}

TEST_F(WebApi, MetricsAreGaugesWithTheStationLabelAndNoAbsentValue) {
    EXPECT_EQ(metricLabelValue("a\\b\"c\nd"), "a\\\\b\\\"c\\nd");
    Treading r = fullReading(Now - 2);
    r.tendencyAmount.reset();
    state.reading(r);
    const TwebResponse m = get("/metrics");
    ASSERT_EQ(m.status, 200);
    EXPECT_TRUE(has(m.type, "text/plain; version=0.0.4"));
    const std::string label = "{station=\"roof \\\"north\\\"\"}";
    for (const std::string& sample :
         {"corvasine_qfe_hpa" + label + " 1001.25", "corvasine_qnh_hpa" + label + " 1014.5",
          "corvasine_humidity_percent" + label + " 55", "corvasine_module_present" + label + " 1",
          "corvasine_reading_age_seconds" + label + " 2", "corvasine_storm_alarm" + label + " 1"})
        EXPECT_TRUE(has(m.body, "\n" + sample + "\n") || m.body.starts_with(sample)) << sample;
    EXPECT_FALSE(has(m.body, "tendency")) << m.body;
    // Every sample follows its own HELP and TYPE lines.
    const std::regex family("# HELP (\\w+) [^\n]+\n# TYPE \\1 gauge\n\\1\\{station=\"[^\n]*\"\\} "
                            "-?[0-9.e+]+\n");
    const std::string rest = std::regex_replace(m.body, family, "");
    EXPECT_EQ(rest, "") << m.body;
}
