// The archive read back: records of any span, curves from the level that fits, the minutes the
// station asks for at its start.
#include "ArchiveRig.h"

#include <fstream>

namespace {

constexpr std::int64_t Base = 1'790'000'000; // 13:33:20 UTC
constexpr std::int64_t Day = 86400;

// Three days every 13 s, with no reading from 20 to 23 hours after the start.
struct TarchiveReaderTest : ArchiveRig {
    TarchiveReaderTest() {
        for (const Treading& r : wandering(Base, Base + 3 * Day, 13))
            if (r.time < Base + 20 * 3600 || r.time >= Base + 23 * 3600) readings.push_back(r);
        open()->add(readings);
    }
    std::vector<Treading> readings;
};

TEST_F(TarchiveReaderTest, TheSummaryOfAnySpanIsThatOfTheReadingsInIt) {
    const std::int64_t midnight = Base - Base % Day + Day;
    const std::pair<std::int64_t, std::int64_t> spans[] = {
        {Base + 7, Base + 50},                                      // within a minute
        {Base + 100, Base + 4000},                                  // minutes and an hour's edges
        {midnight - 7000, midnight + 9000},                         // hours across midnight
        {midnight, midnight + Day},                                 // one whole day
        {midnight - 3 * 3600 - 17, midnight + Day + 3 * 3600 + 41}, // a day and its edges
        {Base + 20 * 3600 + 10, Base + 22 * 3600},                  // inside the gap
        {0, Base * 2},                                              // all time
    };
    TarchiveReader reader(path);
    for (const auto& [from, to] : spans)
        expectSummaries(reader.summary(from, to), bruteSummary(readings, from, to),
                        std::to_string(from - Base) + ".." + std::to_string(to - Base));
}

// A curve of at most `points` buckets from the finest level with at most two rows a point: each
// bucket is whole steps of that level on its grid, sums up the rows that begin in it, and the gap
// has none.
TEST_F(TarchiveReaderTest, AHistoryIsReadFromTheFinestLevelWithFewRows) {
    struct Case {
        std::int64_t from, to;
        int points;
        std::int64_t step, length; // of the level expected, of its buckets
    };
    const Case cases[] = {
        {Base + 1000, Base + 4000, 2000, 1, 2},
        {Base + 77, Base + 77 + Day, 2000, 60, 60},
        {Base + 77, Base + 3 * Day, 2000, 3600, 3600},
        {Base + 77, Base + 3 * Day, 50, 3600, 7200},
        {Base - 5 * Day, Base + 40 * Day, 30, 86400, 2 * 86400},
    };
    TarchiveReader reader(path);
    for (const Case& c : cases) {
        const std::vector<ThistoryBucket> buckets = reader.history(c.from, c.to, c.points);
        ASSERT_FALSE(buckets.empty());
        EXPECT_LE(buckets.size(), std::size_t(c.points));
        std::int64_t count = 0, want = 0;
        for (const ThistoryBucket& b : buckets) {
            EXPECT_EQ(b.seconds, c.length);
            EXPECT_EQ(b.start % c.step, 0);
            // The readings whose row of that level begins in the bucket.
            std::vector<Treading> in;
            for (const Treading& r : readings) {
                const std::int64_t row = r.time - (r.time % c.step);
                if (row >= std::max(b.start, c.from) && row < b.start + b.seconds && row < c.to)
                    in.push_back(r);
            }
            ASSERT_FALSE(in.empty()) << "a bucket without readings at " << b.start - Base;
            expectSummaries(b.quantities, bruteSummary(in, 0, Base * 2),
                            "step " + std::to_string(c.step) + " at " +
                                std::to_string(b.start - Base));
            count += b.quantities[0]->count;
        }
        for (const Treading& r : readings) // every row in the span is in a bucket
            want += r.time - r.time % c.step >= c.from && r.time - r.time % c.step < c.to;
        EXPECT_EQ(count, want) << "step " << c.step;
    }
}

TEST_F(TarchiveReaderTest, TheMinutesAreTheMeansTheStationAsksFor) {
    TarchiveReader reader(path);
    const std::int64_t from = Base + 19 * 3600 + 60, to = Base + 24 * 3600 - 20; // a minute
    const std::vector<TpastMinute> minutes = reader.minutes(from, to);
    std::vector<std::int64_t> starts; // of the minutes with readings, both ends included
    for (const Treading& r : readings)
        if (const std::int64_t m = r.time - r.time % 60;
            m >= from && m <= to && (starts.empty() || starts.back() != m))
            starts.push_back(m);
    ASSERT_EQ(minutes.size(), starts.size());
    ASSERT_LT(starts.size(), std::size_t(5 * 60 - 10)); // the gap is left out
    for (std::size_t i = 0; i < minutes.size(); ++i) {
        const TpastMinute& m = minutes[i];
        EXPECT_EQ(m.time, starts[i]);
        const Tsummaries want = bruteSummary(readings, m.time, m.time + 60);
        ASSERT_TRUE(m.pressure && m.seaLevelPressure && m.temperature);
        EXPECT_NEAR(*m.pressure, want[int(Tquantity::Qfe)]->mean, 1e-9);
        EXPECT_NEAR(*m.seaLevelPressure, want[int(Tquantity::Qnh)]->mean, 1e-9);
        EXPECT_NEAR(*m.temperature, want[int(Tquantity::Temperature)]->mean, 1e-9);
    }
}

// The file spoilt under an open reader: the station and the outputs get nothing, no exception.
TEST_F(TarchiveReaderTest, AReadThatFailsGivesNothing) {
    TarchiveReader reader(path);
    ASSERT_FALSE(reader.minutes(Base, Base + Day).empty());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(70000, 'x');
    EXPECT_TRUE(reader.minutes(Base, Base + Day).empty());
    EXPECT_TRUE(reader.history(Base, Base + Day, 100).empty());
    EXPECT_FALSE(reader.summary(Base, Base + Day)[0].has_value());
}

} // namespace
