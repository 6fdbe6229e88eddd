// The archive written on a thread of its own: the readings handed over go in, in their order,
// without the caller waiting for the disk, each before the next one comes, and all at the end.
#include "ArchiveRig.h"

#include <chrono>

namespace {

constexpr std::int64_t Base = 1'790'000'000;

using TarchiveWriterTest = ArchiveRig;

// Whether another connection sees `rows` raw rows in the file within a deadline far beyond any
// sampling time, so that only a reading left waiting fails it.
bool seen(const std::string& path, std::int64_t rows) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        Tdatabase other(path, false);
        if (other.integer("SELECT count(*) FROM raw") == rows) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Another connection holds the file's write lock: handing readings over returns all the same (the
// writer waits for the lock, not the caller). Once the lock is gone, each reading is in the file
// for another connection to read with nothing more to push it: no further reading, no flush.
TEST_F(TarchiveWriterTest, HandingOverNeverWaitsForTheFileAndEachReadingGoesInAtOnce) {
    const std::vector<Treading> readings = wandering(Base, Base + 8, 1);
    auto writer = open<TarchiveWriter>();
    {
        Tdatabase other(path, false);
        Ttransaction locked(other);
        for (std::size_t i = 0; i < 3; ++i)
            writer->reading(readings[i]);
        locked.commit(); // within the writer's wait for a busy file
    }
    EXPECT_TRUE(seen(path, 3));
    for (std::size_t i = 3; i < readings.size(); ++i) {
        writer->reading(readings[i]);
        ASSERT_TRUE(seen(path, std::int64_t(i + 1))) << i;
    }
    EXPECT_TRUE(said.empty()) << said.front();
}

// At the end every reading handed over is committed, however many still wait, and the summaries
// of the newest minute, hour and day with them.
TEST_F(TarchiveWriterTest, AtTheEndEveryReadingHandedOverIsCommitted) {
    const std::vector<Treading> readings = wandering(Base, Base + 3 * 3600 + 30, 1);
    {
        auto writer = open<TarchiveWriter>();
        for (const Treading& r : readings)
            writer->reading(r);
    }
    Tdatabase db(path, false);
    const auto count = std::int64_t(readings.size());
    EXPECT_EQ(db.integer("SELECT count(*) FROM raw"), count);
    for (const char* level : {"minute", "hour", "day"})
        EXPECT_EQ(db.integer(std::string("SELECT total(qfe_count) FROM ") + level), count) << level;
    EXPECT_TRUE(said.empty());
}

} // namespace
